#pragma once

#include <QString>

#include <functional>

class QTextStream;

// The window-free exchange commands of the command line. The data paths, code page and regional layers
// are set up by the caller. listFile empty means the standard list. What was done goes to out, errors go to
// err; the result is the exit status (0 or 1), and on failure no file has been changed. An output file
// named "-" is standard output.
int ExportCSVCommand(const QString& outFile, const QString& listFile, QTextStream& err);
int ExportHtmlCommand(const QString& outFile, const QString& listFile, QTextStream& err);
// The list as to-dos (--export-ics): one iCalendar file, or, when outFile is a folder or ends in "/", one
// file per to-do in that folder.
int ExportICalendarCommand(const QString& outFile, const QString& listFile, QTextStream& err);
// Takes the data folder's lock for its run, waiting up to kImportLockWaitMs for another command-line run to
// finish; refuses at once when a window holds it. Says on out how many items it imported.
int ImportCSVCommand(const QString& inFile, const QString& listFile, QTextStream& out, QTextStream& err);
// The to-dos of an iCalendar file, or of every .ics file in a folder, added to the list as
// ImportCSVCommand adds rows (--import-ics).
int ImportICalendarCommand(const QString& inPath, const QString& listFile, QTextStream& out,
                           QTextStream& err);

// Runs work(path of the list) for a command-line run that changes the list: holding the data folder's lock
// (waiting up to kImportLockWaitMs for another command-line run to finish; refused at once when a window
// holds it) and the list's hold. On refusal the message ends in "; <nothingDone>." and the status is 1.
int WithListHeld(const QString& listFile, QTextStream& err, const QString& nothingDone,
                 const std::function<int(const QString& path)>& work);

// How long an import waits for the lock of the data folder.
inline constexpr int kImportLockWaitMs = 10000;
