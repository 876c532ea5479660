#include "model/MoveJournal.h"

#include "model/ListFile.h"
#include "platform/AtomicFile.h"
#include "platform/CrashPoint.h"

#include <QFile>
#include <QFileInfo>
#include <QMultiHash>
#include <QtEndian>

#include <limits>

namespace {
constexpr char kMagic[4] = {'Q', 'M', 'M', 'J'};
// A journal names a few moves of a few rows each; anything much larger is not one.
constexpr qint64 kMaxJournal = qint64(1) << 30;

void putInt32(QByteArray& out, qint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

void putInt64(QByteArray& out, qint64 v)
{
    char b[8];
    qToLittleEndian(v, b);
    out.append(b, 8);
}

void putBytes(QByteArray& out, QByteArrayView bytes)
{
    putInt32(out, static_cast<qint32>(bytes.size()));
    out.append(bytes.data(), bytes.size());
}

// Reads what a journal holds, each field only when it lies whole in the bytes left.
class Reader
{
public:
    explicit Reader(QByteArrayView bytes) : m_bytes(bytes) {}
    bool atEnd() const { return m_at == m_bytes.size(); }
    bool int32(qint32& v)
    {
        if (m_bytes.size() - m_at < 4)
            return false;
        v = qFromLittleEndian<qint32>(m_bytes.data() + m_at);
        m_at += 4;
        return true;
    }
    bool int64(qint64& v)
    {
        if (m_bytes.size() - m_at < 8)
            return false;
        v = qFromLittleEndian<qint64>(m_bytes.data() + m_at);
        m_at += 8;
        return true;
    }
    bool bytes(QByteArray& out)
    {
        qint32 n = 0;
        if (!int32(n) || n < 0 || m_bytes.size() - m_at < n)
            return false;
        out = m_bytes.sliced(m_at, n).toByteArray();
        m_at += n;
        return true;
    }

private:
    QByteArrayView m_bytes;
    qsizetype m_at = 0;
};

// Where the records of a move start in the history: behind the count of an empty file.
qint64 recordsStart(HistoryTail::Point point)
{
    return point.size == 0 ? 4 : point.size;
}
} // namespace

MoveJournal::MoveJournal(const QString& historyPath)
    : m_historyPath(historyPath), m_path(historyPath + QStringLiteral(".moving"))
{
}

bool MoveJournal::read(Contents& out) const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxJournal)
        return false;
    const QByteArray all = file.readAll();
    if (!all.startsWith(QByteArrayView(kMagic, 4)))
        return false;
    Reader in(QByteArrayView(all).sliced(4));
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
        if (!in.int64(m.point.size) || !in.int32(m.point.count) || !in.int32(m.count) || !in.bytes(m.records))
            return false;
        if (m.point.size < 0 || m.point.count < 0 || m.count <= 0)
            return false;
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
    c.moves.push_back({point, count, records.toByteArray()});

    QByteArray out(kMagic, 4);
    putBytes(out, c.listPath.toUtf8());
    putBytes(out, c.listStamp.toText());
    for (const Move& m : c.moves) {
        putInt64(out, m.point.size);
        putInt32(out, m.point.count);
        putInt32(out, m.count);
        putBytes(out, m.records);
    }
    if (IoResult r = AtomicFile::save(m_path, out, AtomicFile::Ownership::ProgramFile); !r)
        return r;
    CrashPoint::reach("move journal written");
    return IoResult::success();
}

void MoveJournal::clear()
{
    // A journal left behind only costs a look at the next start: the list's stamp no longer matches.
    QFile::remove(m_path);
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
    for (const Move& m : c.moves) {
        // Complete in the history: its records where they were appended, and the count taking them in.
        if (historyCount < qint64(m.point.count) + m.count || !history.seek(recordsStart(m.point)) ||
            history.read(m.records.size()) != m.records)
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

QList<int> MoveJournal::interruptedRows(const QString& listPath, const ToDoList& shown) const
{
    QList<int> rows;
    const std::vector<ToDoItem> moved = interruptedMoves(listPath);
    if (moved.empty())
        return rows;
    QMultiHash<QByteArrayView, size_t> byAction;
    for (size_t i = 0; i < moved.size(); ++i)
        byAction.insert(moved[i].action(), i);
    std::vector<bool> taken(moved.size(), false);
    for (size_t r = 0; r < shown.items.size() && rows.size() < qsizetype(moved.size()); ++r) {
        const ToDoItem& item = shown.items[r];
        for (auto it = byAction.constFind(item.action()); it != byAction.cend() && it.key() == item.action();
             ++it) {
            if (!taken[*it] && moved[*it] == item) {
                taken[*it] = true;
                rows.append(static_cast<int>(r));
                break;
            }
        }
    }
    return rows;
}
