#include "model/HistoryTail.h"

#include "config/LanguageTexts.h"

#include "platform/AtomicFile.h"
#include "platform/CrashPoint.h"
#include "platform/FileStamp.h"
#include "platform/FileSystem.h"
#include "platform/InPlaceFile.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <future>
#include <limits>
#include <mutex>

namespace {
constexpr char kMagic[4] = {'Q', 'M', 'C', 'B'};
// Magic, size, count, and the file's inode: a file put in its place since is not the one the mark is about.
constexpr qsizetype kMarkSize = 24;

QByteArray countBytes(qint32 count)
{
    QByteArray out(4, Qt::Uninitialized);
    qToLittleEndian(count, out.data());
    return out;
}

IoResult damaged(const QString& path)
{
    return IoResult::failure(LanguageTexts::shared().text("ListErrors", "CountUnread").arg(ShownPath(path)),
                             IoError::BadData);
}

IoResult writeMark(const QString& historyPath, HistoryTail::Point point)
{
    QByteArray mark(kMagic, 4);
    mark.resize(kMarkSize);
    qToLittleEndian<qint64>(point.size, mark.data() + 4);
    qToLittleEndian<qint32>(point.count, mark.data() + 12);
    qToLittleEndian<quint64>(FileStamp::of(historyPath).inode, mark.data() + 16);
    return AtomicFile::save(HistoryTail::markPath(historyPath), mark, AtomicFile::Ownership::ProgramFile);
}

// A move's append runs beside the window: what this run knows of the file is kept under one lock.
std::mutex& stateLock()
{
    static std::mutex lock;
    return lock;
}

// The history file as this run last left it whole, and the runs of records this run appended that make up
// its end then, in order (none known when it was left otherwise).
struct Run
{
    HistoryTail::Point at;
    RecordDigest records;
    qint32 count = 0;
};
struct Left
{
    QString path;
    FileStamp stamp;
    std::vector<Run> runs;
};
Left& lastLeft()
{
    static Left left;
    return left;
}

// A check of the whole history under way, and what it found: the file's stamp when it read whole.
struct Checking
{
    QString path;
    std::future<FileStamp> result;
};
Checking& pendingCheck()
{
    static Checking checking;
    return checking;
}

// Whether the file is as this run left it, and its end is exactly the runs of tail this run appended,
// from point on: then nothing need be read to know it.
bool endsAsLeft(const QString& historyPath, HistoryTail::Point point, std::span<const RecordDigest> tail,
                qint32 count)
{
    const std::lock_guard lock(stateLock());
    const Left& left = lastLeft();
    if (tail.empty() || left.path != historyPath || left.runs.size() < tail.size() ||
        left.stamp != FileStamp::of(historyPath) || QFileInfo::exists(HistoryTail::markPath(historyPath)))
        return false;
    const auto first = left.runs.end() - qsizetype(tail.size());
    if (first->at.size != point.size || first->at.count != point.count)
        return false;
    qint64 total = 0;
    for (size_t i = 0; i < tail.size(); ++i) {
        if (first[qsizetype(i)].records != tail[i])
            return false;
        total += first[qsizetype(i)].count;
    }
    return total == count;
}

IoResult removeMark(const QString& historyPath)
{
    // A folder under the mark's name is named as one.
    if (IoResult r = RemoveFile(HistoryTail::markPath(historyPath)); !r)
        return r;
    CrashPoint::reach("history mark removed");
    return IoResult::success();
}
} // namespace

namespace HistoryTail {
QString markPath(const QString& historyPath)
{
    return historyPath + QStringLiteral(".cutback");
}

std::optional<Point> pendingPoint(const QString& historyPath)
{
    QFile file(markPath(historyPath));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray mark = file.read(kMarkSize + 1);
    if (mark.size() != kMarkSize || !mark.startsWith(QByteArrayView(kMagic, 4)))
        return std::nullopt;
    Point p{qFromLittleEndian<qint64>(mark.constData() + 4),
            qFromLittleEndian<qint32>(mark.constData() + 12)};
    if (FileStamp::of(historyPath).inode != qFromLittleEndian<quint64>(mark.constData() + 16))
        return std::nullopt;
    if (p.size < 0 || p.count < 0 || (p.size > 0 && p.size < 4))
        return std::nullopt;
    return p;
}

IoResult settle(const QString& historyPath)
{
    const std::optional<Point> point = pendingPoint(historyPath);
    if (!point) {
        // A mark that says nothing usable (none at all, mostly) has nothing to undo.
        return QFileInfo::exists(markPath(historyPath)) ? removeMark(historyPath) : IoResult::success();
    }
    InPlaceFile file(historyPath);
    if (!QFileInfo::exists(historyPath))
        return removeMark(historyPath);
    if (IoResult r = file.open(); !r)
        return r;
    // Shorter than the mark: the file was replaced since, and is not the one the mark is about.
    if (file.size() >= point->size) {
        if (IoResult r = file.truncate(point->size); !r)
            return r;
        if (point->size >= 4) {
            if (IoResult r = file.write(0, countBytes(point->count)); !r)
                return r;
        }
        if (IoResult r = file.sync(); !r)
            return r;
        CrashPoint::reach("history cut back");
    }
    return removeMark(historyPath);
}

IoResult append(const QString& historyPath, QByteArrayView records, qint32 count, Point* before,
                const BeforeAppend& beforeAppend)
{
    if (IoResult r = settle(historyPath); !r)
        return r;
    InPlaceFile file(historyPath);
    if (IoResult r = file.open(); !r)
        return r;
    Point start{file.size(), 0};
    if (start.size > 0) {
        QByteArray head;
        if (start.size < 4 || !file.read(0, 4, head))
            return damaged(historyPath);
        start.count = qFromLittleEndian<qint32>(head.constData());
        if (start.count < 0)
            return damaged(historyPath);
    }
    if (qint64(start.count) + count > std::numeric_limits<qint32>::max())
        return IoResult::failure(
            LanguageTexts::shared().text("ListErrors", "HistoryFull").arg(ShownPath(historyPath)));
    if (start.size + 4 + records.size() > FileLimit::List)
        return IoResult::tooLarge(IoStep::Write, historyPath, -1, FileLimit::List);
    const FileStamp found = FileStamp::of(historyPath);
    if (beforeAppend) {
        if (IoResult r = beforeAppend(start, records, count); !r)
            return r;
    }
    if (IoResult r = writeMark(historyPath, start); !r)
        return r;
    // The records first, the count that takes them in last: until then a reader and the next start go by
    // the mark.
    if (IoResult r = file.write(start.size == 0 ? 4 : start.size, records); !r)
        return r;
    CrashPoint::reach("history rows appended");
    if (IoResult r = file.sync(); !r)
        return r;
    if (IoResult r = file.write(0, countBytes(start.count + count)); !r)
        return r;
    CrashPoint::reach("history count written");
    if (IoResult r = file.sync(); !r)
        return r;
    if (IoResult r = removeMark(historyPath); !r)
        return r;
    {
        const std::lock_guard lock(stateLock());
        Left& left = lastLeft();
        std::vector<Run> runs;
        if (left.path == historyPath && left.stamp == found)
            runs = std::move(left.runs);
        runs.push_back({start, RecordDigest::of(records), count});
        left = {historyPath, FileStamp::of(historyPath), std::move(runs)};
    }
    if (before)
        *before = start;
    return IoResult::success();
}

namespace {
IoResult checkEnd(const QString& historyPath, Point point, std::span<const RecordDigest> tail, qint32 count,
                  bool mayTrustLeft)
{
    if (pendingPoint(historyPath))
        return IoResult::failure(
            LanguageTexts::shared().text("ListErrors", "BeingChanged").arg(ShownPath(historyPath)),
            IoError::BadData);
    const IoResult changed = IoResult::failure(
        LanguageTexts::shared().text("ListErrors", "TailChanged").arg(ShownPath(historyPath)),
        IoError::BadData);
    if (mayTrustLeft && endsAsLeft(historyPath, point, tail, count))
        return IoResult::success();
    InPlaceFile file(historyPath);
    if (IoResult r = file.open(); !r)
        return r;
    qint64 at = point.size == 0 ? 4 : point.size;
    qint64 size = 0;
    for (const RecordDigest& run : tail) {
        if (!run.known() || run.size > FileLimit::List)
            return changed;
        size += run.size;
    }
    QByteArray piece;
    if (file.size() != at + size || !file.read(0, 4, piece) ||
        qFromLittleEndian<qint32>(piece.constData()) != qint64(point.count) + count)
        return changed;
    constexpr qint64 kPiece = 4 << 20;
    for (const RecordDigest& run : tail) {
        RecordDigester digest;
        for (qint64 left = run.size; left > 0;) {
            const qint64 n = std::min(left, kPiece);
            if (IoResult r = file.read(at, n, piece); !r)
                return r;
            digest.add(piece);
            at += n;
            left -= n;
        }
        if (digest.result() != run)
            return changed;
    }
    return IoResult::success();
}
} // namespace

IoResult endsWith(const QString& historyPath, Point point, std::span<const RecordDigest> tail, qint32 count)
{
    return checkEnd(historyPath, point, tail, count, true);
}

IoResult cutBack(const QString& historyPath, Point point, const RecordDigest& tail, qint32 count)
{
    if (IoResult r = settle(historyPath); !r)
        return r;
    // The bytes to be cut are read, whatever this run knows: another writer may have left the file with the
    // size and times it found (a tool that keeps times, or a write within the file system's granularity).
    if (IoResult r = checkEnd(historyPath, point, {&tail, 1}, count, false); !r)
        return r;
    const bool asLeft = endsAsLeft(historyPath, point, {&tail, 1}, count);
    if (IoResult r = writeMark(historyPath, point); !r)
        return r;
    if (IoResult r = settle(historyPath); !r)
        return r;
    const std::lock_guard lock(stateLock());
    Left& left = lastLeft();
    // The runs before the one cut off still end the file.
    std::vector<Run> runs;
    if (asLeft && left.path == historyPath) {
        runs = std::move(left.runs);
        runs.pop_back();
    }
    left = {historyPath, FileStamp::of(historyPath), std::move(runs)};
    return IoResult::success();
}

void checkInBackground(const QString& historyPath, std::function<IoResult(const QString&)> check)
{
    const std::lock_guard lock(stateLock());
    Checking& checking = pendingCheck();
    if (checking.result.valid())
        checking.result.wait();
    checking.path = historyPath;
    checking.result = std::async(std::launch::async, [historyPath, check = std::move(check)] {
        const FileStamp before = FileStamp::of(historyPath);
        // Only a file that no mark says is half-way, and that nobody wrote while it was read, counts.
        if (pendingPoint(historyPath) || !before.exists || !check(historyPath))
            return FileStamp();
        return FileStamp::of(historyPath) == before ? before : FileStamp();
    });
}

bool isAsLeft(const QString& historyPath)
{
    const std::lock_guard lock(stateLock());
    Checking& checking = pendingCheck();
    if (checking.result.valid() && checking.path == historyPath) {
        const FileStamp whole = checking.result.get();
        if (whole.exists)
            lastLeft() = {historyPath, whole, {}};
    }
    const Left& left = lastLeft();
    return left.path == historyPath && left.stamp == FileStamp::of(historyPath) &&
           !QFileInfo::exists(markPath(historyPath));
}
} // namespace HistoryTail
