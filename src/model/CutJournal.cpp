#include "model/CutJournal.h"

#include "model/JournalBytes.h"
#include "model/ListFile.h"
#include "platform/AtomicFile.h"
#include "platform/CrashPoint.h"
#include "platform/FileSystem.h"

#include <QFile>

#include <algorithm>

namespace {
// A journal of an earlier version, which held the records themselves, reads as damaged: its cuts are let
// go.
constexpr char kMagic[4] = {'Q', 'M', 'U', 'D'};
} // namespace

using namespace JournalBytes;

CutJournal::CutJournal(const QString& historyPath)
    : m_historyPath(historyPath), m_path(historyPath + QStringLiteral(".undone"))
{
}

IoResult CutJournal::write(const std::vector<Cut>& cuts)
{
    if (cuts.empty()) {
        if (QFile::exists(m_path) && !QFile::remove(m_path))
            return IoResult::failed(IoStep::Remove, m_path, IoError::Other);
        return IoResult::success();
    }
    QByteArray out(kMagic, 4);
    for (const Cut& c : cuts) {
        putInt64(out, c.point.size);
        putInt32(out, c.point.count);
        putInt32(out, c.count);
        putInt64(out, c.records.size);
        putInt64(out, qint64(c.records.low));
        putInt64(out, qint64(c.records.high));
        putBytes(out, c.written.toUtf8());
        putBytes(out, c.writtenStamp.toText());
        putBytes(out, c.historyBefore.toText());
    }
    if (IoResult r = AtomicFile::save(m_path, out, AtomicFile::Ownership::ProgramFile); !r)
        return r;
    CrashPoint::reach("cut journal written");
    return IoResult::success();
}

bool CutJournal::read(std::vector<Cut>& out) const
{
    QByteArray all;
    if (!readJournal(m_path, kMagic, all))
        return false;
    Reader in(all);
    while (!in.atEnd()) {
        Cut c;
        QByteArray written, stamp, historyBefore;
        qint64 low = 0, high = 0;
        if (!in.int64(c.point.size) || !in.int32(c.point.count) || !in.int32(c.count) ||
            !in.int64(c.records.size) || !in.int64(low) || !in.int64(high) || !in.bytes(written) ||
            !in.bytes(stamp) || !in.bytes(historyBefore))
            return false;
        if (c.point.size < -1 || c.point.count < 0 || c.count <= 0 || !c.records.known() ||
            c.records.size > FileLimit::List)
            return false;
        c.records.low = quint64(low);
        c.records.high = quint64(high);
        c.written = QString::fromUtf8(written);
        // A stamp that does not say what a file was matches no file: the cut is let go.
        bool writtenKnown = false, historyKnown = false;
        c.writtenStamp = FileStamp::fromText(stamp, &writtenKnown);
        c.historyBefore = FileStamp::fromText(historyBefore, &historyKnown);
        if (!writtenKnown || !historyKnown || !c.writtenStamp.exists)
            c.written.clear();
        out.push_back(std::move(c));
    }
    return true;
}

IoResult CutJournal::completeInterrupted(int* rowsCut)
{
    if (rowsCut)
        *rowsCut = 0;
    std::vector<Cut> cuts;
    if (!QFile::exists(m_path))
        return IoResult::success();
    if (!read(cuts))
        return write({});
    std::stable_sort(cuts.begin(), cuts.end(),
                     [](const Cut& a, const Cut& b) { return a.point.count > b.point.count; });
    for (const Cut& cut : cuts) {
        // No save wrote the rows back, or the file is no longer the one it wrote.
        if (cut.written.isEmpty() || FileStamp::of(cut.written) != cut.writtenStamp)
            continue;
        // The run began to make it: made, unless the history is still exactly as it was then.
        if (cut.historyBefore.exists && FileStamp::of(m_historyPath) != cut.historyBefore)
            continue;
        IoResult r = cut.point.size >= 0
                         ? HistoryTail::cutBack(m_historyPath, cut.point, cut.records, cut.count)
                         : IoResult::failure(QString(), IoError::BadData);
        // Rows of a later move behind them: the records are taken out where the move put them.
        if (!r && r.kind == IoError::BadData)
            r = cutInPlace(cut);
        if (r && rowsCut)
            *rowsCut += cut.count;
        if (!r && r.kind != IoError::BadData)
            return r;
    }
    return write({});
}

IoResult CutJournal::cutInPlace(const Cut& cut) const
{
    // Only where the move put them: equal rows elsewhere are other moves' (the cut may also have been made
    // just before the run ended).
    ToDoList history;
    if (IoResult r = ReadListFile(m_historyPath, false, history); !r)
        return r;
    auto& all = history.items;
    const auto start = static_cast<qsizetype>(cut.point.count);
    const auto count = static_cast<qsizetype>(cut.count);
    if (start + count > qsizetype(all.size()) ||
        RecordDigest::of(SerializeRecords({all.begin() + start, all.begin() + start + count})) != cut.records)
        return IoResult::failure(QString(), IoError::BadData);
    all.erase(all.begin() + start, all.begin() + start + count);
    return SaveHistoryFile(history, m_historyPath);
}
