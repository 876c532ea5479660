#pragma once

#include "model/HistoryTail.h"
#include "model/ToDoList.h"
#include "platform/AtomicFile.h"
#include "platform/IoResult.h"

#include <QList>
#include <QString>

// The binary list file: all integers 32-bit signed little-endian, texts as length + raw bytes.
// Full file (standard ".tdo", external ".tdx"): ItemCount, item records, LastOwnerIndex, owner names,
// LastProjectIndex, project names. History file (".tdh"): ItemCount and item records only.
// Item record: FlagLength (1), Checked byte, Action, LastColumnIndex, column values.
//
// Reading is strict where a damaged file could be mistaken for a good one: FlagLength must be 1, every
// count and length must fit in the bytes that remain, and nothing may follow the end of the list. A
// Checked byte other than 0 counts as completed (and is written back as 1). An empty file is an empty list.
//
// Every save writes a temporary file beside the target and replaces the target only when all was written.
// Every load reads into a fresh list and hands it over only when the whole file was read; on failure the
// caller's list is untouched and the error names the file and the byte offset.

// With selectedRows, only those rows are written. beforeReplace runs when the new file is whole, before it
// replaces the old one.
IoResult SaveListFile(const ToDoList& list, const QString& path, const QList<int>* selectedRows = nullptr,
                      const AtomicFile::BeforeReplace& beforeReplace = {});
// Replaces the rows; appends the file's names that the lists do not hold yet. A missing file gives an
// empty list and success.
IoResult LoadListFile(ToDoList& list, const QString& path);

// History routines (items only). countBefore, when given, gets the number of items the history file held
// before the rows were appended, sizeBefore its size in bytes (-1 when it was written anew). The rows are
// appended where the file lies (HistoryTail), at the cost of the rows, not of the history; beforeAppend is
// told where they go first. records are count records serialised (SerializeRecords): it reads nothing but
// the history file (and what beforeAppend reads), so it may run on any thread.
IoResult AppendRecordsToHistory(const QByteArray& records, qint32 count, const QString& historyPath,
                                int* countBefore = nullptr, qint64* sizeBefore = nullptr,
                                const HistoryTail::BeforeAppend& beforeAppend = {});
// Reads a list or history file through without keeping its rows: success when the whole file reads.
IoResult CheckListFile(const QString& path, bool withNames);
// The records of items as a history or list file holds them, one after the other.
QByteArray SerializeRecords(const std::vector<ToDoItem>& items);
IoResult SaveHistoryFile(const ToDoList& list, const QString& historyPath);
// A missing history file is created empty.
IoResult LoadHistoryFile(ToDoList& list, const QString& historyPath);

// Reads a list file without creating anything, into out (replaced); a missing file is an error. For
// commands that only read (the command line's --print).
IoResult ReadListFile(const QString& path, bool withNames, ToDoList& out);

// The same for a command that reads a list once and lets it go (the command line's listing): the file is
// read whole into image, and the rows refer to their bytes in it instead of holding copies of their own,
// which is the quickest read and the lightest list. image must outlive the rows; changing a row copies it.
IoResult ReadListFileImage(const QString& path, bool withNames, QByteArray& image, ToDoList& out);

// Whether the file reads whole as a list or a history list, checked in pieces without building rows.
bool IsListFile(const QString& path);

// In-memory forms, shared by the file routines, the command line and the benchmarks.
QByteArray SerializeList(const ToDoList& list, bool withNames, const QList<int>* selectedRows = nullptr);
// Parses a whole file image into out (which is replaced); fileName only names the file in errors.
IoResult ParseList(QByteArrayView bytes, bool withNames, ToDoList& out, const QString& fileName);
