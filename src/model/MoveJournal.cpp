#include "model/MoveJournal.h"

#include "model/JournalBytes.h"
#include "model/ListFile.h"
#include "platform/AtomicFile.h"
#include "platform/CrashPoint.h"
#include "platform/FileSystem.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <limits>

namespace {
constexpr char kMagic[4] = {'Q', 'M', 'M', 'K'};
} // namespace

using namespace JournalBytes;

MoveJournal::MoveJournal(const QString& historyPath)
    : m_historyPath(historyPath), m_path(historyPath + QStringLiteral(".moving"))
{
}

bool MoveJournal::read(Contents& out) const
{
    QByteArray all;
    if (!readJournal(m_path, kMagic, all))
        return false;
    Reader in(all);
    QByteArray path;
    QByteArray stamp;
    if (!in.bytes(path) || !in.bytes(stamp))
        return false;
    bool known = false;
    out.listPath = QString::fromUtf8(path);
    out.listStamp = FileStamp::fromText(stamp, &known);
    if (!known)
        return false;
    out.moves.clear();
    while (!in.atEnd()) {
        Move m;
        HistoryTail::Point shifted;
        if (!in.int64(m.point.size) || !in.int32(m.point.count) || !in.int32(m.count) ||
            !in.bytes(m.records) || !in.int64(shifted.size) || !in.int32(shifted.count))
            return false;
        if (m.point.size < 0 || m.point.count < 0 || m.count <= 0 || shifted.size < -1)
            return false;
        if (shifted.size >= 0)
            m.shifted = shifted;
        out.moves.push_back(std::move(m));
    }
    return true;
}

IoResult MoveJournal::note(const QString& listPath, HistoryTail::Point point, QByteArrayView records,
                           qint32 count)
{
    Contents c;
    const FileStamp now = FileStamp::of(listPath);
    if (!read(c) || c.listPath != listPath || c.listStamp != now) {
        c = Contents{listPath, now, {}};
    }
    // A move noted at or behind this point never got its records in (or they were cut off again).
    std::erase_if(c.moves, [&point](const Move& m) { return m.point.size >= point.size; });
    c.moves.push_back({point, count, records.toByteArray(), std::nullopt});
    return write(c);
}

void MoveJournal::cutComing(HistoryTail::Point point, qint64 bytes, qint32 count)
{
    Contents c;
    if (!read(c))
        return;
    bool behind = false;
    for (Move& m : c.moves) {
        if (m.point.size > point.size) {
            m.shifted = HistoryTail::Point{m.point.size - bytes, m.point.count - count};
            behind = true;
        }
    }
    // Unwritten, the journal names records that will not be there: the moves then stay in the list as well.
    if (behind)
        (void)write(c);
}

void MoveJournal::cutEnded(bool made)
{
    Contents c;
    if (!read(c) || std::none_of(c.moves.begin(), c.moves.end(), [](const Move& m) { return m.shifted; }))
        return;
    for (Move& m : c.moves) {
        if (m.shifted && made)
            m.point = *m.shifted;
        m.shifted.reset();
    }
    (void)write(c);
}

IoResult MoveJournal::write(const Contents& c) const
{
    QByteArray out(kMagic, 4);
    putBytes(out, c.listPath.toUtf8());
    putBytes(out, c.listStamp.toText());
    for (const Move& m : c.moves) {
        putInt64(out, m.point.size);
        putInt32(out, m.point.count);
        putInt32(out, m.count);
        putBytes(out, m.records);
        putInt64(out, m.shifted ? m.shifted->size : -1);
        putInt32(out, m.shifted ? m.shifted->count : 0);
    }
    if (IoResult r = AtomicFile::save(m_path, out, AtomicFile::Ownership::ProgramFile); !r)
        return r;
    CrashPoint::reach("move journal written");
    return IoResult::success();
}

void MoveJournal::clear()
{
    // A journal left behind only costs a look at the next start: the list's stamp no longer matches. It
    // may hold the records of a million rows, whose pages the system takes a while to free.
    RemoveBeside(m_path);
}

std::vector<ToDoItem> MoveJournal::interruptedMoves(const QString& listPath) const
{
    std::vector<ToDoItem> rows;
    Contents c;
    if (!read(c) || c.listPath != listPath || FileStamp::of(listPath) != c.listStamp)
        return rows;
    QFile history(m_historyPath);
    if (!history.open(QIODevice::ReadOnly))
        return rows;
    const QByteArray head = history.read(4);
    if (head.size() != 4)
        return rows;
    const qint64 historyCount = qFromLittleEndian<qint32>(head.constData());
    auto holds = [&](const Move& m, HistoryTail::Point at) {
        return historyCount >= qint64(at.count) + m.count && history.seek(recordsStart(at)) &&
               history.read(m.records.size()) == m.records;
    };
    for (const Move& m : c.moves) {
        // Complete in the history: its records where they were appended (or where a cut before them, cut
        // short, may have left them), and the count taking them in.
        if (!holds(m, m.point) && !(m.shifted && holds(m, *m.shifted)))
            continue;
        QByteArray image;
        putInt32(image, m.count);
        image.append(m.records);
        ToDoList moved;
        if (!ParseList(image, false, moved, m_path))
            continue;
        for (ToDoItem& item : moved.items)
            rows.push_back(std::move(item));
    }
    return rows;
}
