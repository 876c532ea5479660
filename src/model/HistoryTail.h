#pragma once

#include "model/RecordDigest.h"
#include "platform/IoResult.h"

#include <QByteArrayView>
#include <QString>

#include <functional>
#include <optional>
#include <span>

// The history file grows at its end: a move to history appends its records and then rewrites the item
// count in front, and taking it back cuts them off again, so either step costs what it moves, not what
// the history holds. The file is never half-way for long: before either step a mark file beside it
// ("<history>.cutback") names the size and count to go back to, and it is removed once the step is
// complete. A mark that a crash left is acted on before anything else writes the history (settle()):
// the file is cut back to it. Rolling back is right because no list file loses the rows before the
// append is complete, and a cut is made only once the rows are back in a list file. Readers that find
// a mark read the file as the mark says it was (pendingPoint()).
namespace HistoryTail {
struct Point
{
    qint64 size = 0; // bytes; 0 for an empty file
    qint32 count = 0;
};

QString markPath(const QString& historyPath);
// The point a mark names, when the history file has one.
std::optional<Point> pendingPoint(const QString& historyPath);
// Cuts the file back to its mark and removes the mark; success when there is none.
IoResult settle(const QString& historyPath);
// Told where count records are about to be appended, before any of them is written; a failure stops the
// append (nothing written).
using BeforeAppend = std::function<IoResult(Point at, QByteArrayView records, qint32 count)>;
// Appends count records (their bytes) to an existing history file; before gets where it ended before.
IoResult append(const QString& historyPath, QByteArrayView records, qint32 count, Point* before,
                const BeforeAppend& beforeAppend = {});
// Cuts the file back to point when what follows it is exactly the count records of the digest tail (else
// BadData, and nothing changed). What it cuts is always read and checked.
IoResult cutBack(const QString& historyPath, Point point, const RecordDigest& tail, qint32 count);
// Success when what follows point is exactly the runs of records of the digests tail, one after the other
// and count records in all (else BadData); changes nothing. Reads what it checks once, in pieces; nothing
// while the file has the stamp this run's last append or cut left it with and its end is those runs as
// this run appended them. That stamp does not prove that nobody wrote the file since (a writer may keep
// its size and times): a step that changes the file on the strength of this answer checks again.
IoResult endsWith(const QString& historyPath, Point point, std::span<const RecordDigest> tail, qint32 count);
// True while the file is as this run's last append or cut left it (and then was whole): it needs no new
// check before the next append.
bool isAsLeft(const QString& historyPath);
// Checks the history file whole on a thread of its own (check reads it through), so that the first move
// of a run need not: isAsLeft() takes the outcome in, waiting for it if need be.
void checkInBackground(const QString& historyPath, std::function<IoResult(const QString&)> check);
} // namespace HistoryTail
