#include "model/ListFile.h"

#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"

#include "model/RecordField.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <limits>
#include <vector>

namespace {
// The smallest item record: FlagLength, Checked, an empty Action and LastColumnIndex -1.
constexpr qsizetype kMinRecord = 4 + 1 + 4 + 4;

using RecordField::appendInt;
using RecordField::appendText;

// Names a field in an error message. Kept as a pattern and numbers, and made into text only when a file
// turns out to be damaged: building the text for every field would cost more than the whole load.
struct Field
{
    const char* pattern; // with %1 and %2 for the numbers
    qint64 n1 = 0;
    qint64 n2 = 0;

    QString text() const
    {
        QString t = QString::fromLatin1(pattern);
        if (t.contains(QLatin1String("%1")))
            t = t.arg(n1);
        if (t.contains(QLatin1String("%2")))
            t = t.arg(n2);
        return t;
    }
};

// Walks a file image field by field; every count and length is checked against the bytes that remain
// before it is used, and the first problem is kept with its byte offset.
class Reader
{
public:
    explicit Reader(QByteArrayView bytes) : m_data(bytes.data()), m_size(bytes.size()) {}

    qsizetype pos() const { return m_pos; }
    qsizetype remaining() const { return m_size - m_pos; }
    const char* here() const { return m_data + m_pos; }
    qsizetype errorAt() const { return m_errorAt; }
    const QString& error() const { return m_error; }

    bool fail(qsizetype at, const QString& reason)
    {
        m_errorAt = at;
        m_error = reason;
        return false;
    }

    // The checks stay small enough to inline; the messages are built out of line, on the rare damaged file.
    bool readInt(qint32& v, const Field& what)
    {
        if (remaining() < 4) [[unlikely]]
            return failEnd(what, "the file ends inside %1");
        v = qFromLittleEndian<qint32>(here());
        m_pos += 4;
        return true;
    }

    bool readByte(quint8& v, const Field& what)
    {
        if (remaining() < 1) [[unlikely]]
            return failEnd(what, "the file ends before %1");
        v = static_cast<quint8>(*here());
        m_pos += 1;
        return true;
    }

    bool readText(const Field& what)
    {
        if (remaining() < 4) [[unlikely]]
            return failEnd(what, "the file ends inside the length of %1");
        const qint32 len = qFromLittleEndian<qint32>(here());
        if (len < 0 || len > remaining() - 4) [[unlikely]]
            return failLength(what, len);
        m_pos += 4 + len;
        return true;
    }

    // A stored "count - 1", bounded by the bytes left (each entry takes at least minEntry bytes).
    bool readLastIndex(qint32& count, qsizetype minEntry, const Field& what)
    {
        qint32 last = 0;
        if (!readInt(last, what))
            return false;
        if (last < -1 || qint64(last) + 1 > remaining() / minEntry) [[unlikely]]
            return failCount(what, last);
        count = last + 1;
        return true;
    }

private:
    [[gnu::noinline, gnu::cold]] bool failEnd(const Field& what, const char* pattern)
    {
        return fail(m_pos, QString::fromLatin1(pattern).arg(what.text()));
    }

    [[gnu::noinline, gnu::cold]] bool failLength(const Field& what, qint32 len)
    {
        if (len < 0)
            return fail(m_pos, QStringLiteral("%1 has the negative length %2").arg(what.text()).arg(len));
        return fail(m_pos, QStringLiteral("%1 is %2 bytes long, but only %3 bytes follow")
                               .arg(what.text())
                               .arg(len)
                               .arg(remaining() - 4));
    }

    [[gnu::noinline, gnu::cold]] bool failCount(const Field& what, qint32 last)
    {
        return fail(
            m_pos - 4,
            QStringLiteral("%1 is %2, more than the rest of the file can hold").arg(what.text()).arg(last));
    }

    const char* m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
    qsizetype m_errorAt = 0;
    QString m_error;
};

bool readNames(Reader& r, QByteArrayList* names, bool owners)
{
    qint32 count = 0;
    if (!r.readLastIndex(count, 4, {owners ? "the last owner index" : "the last project index"}))
        return false;
    if (names)
        names->reserve(count);
    for (qint32 i = 0; i < count; ++i) {
        const char* field = r.here();
        if (!r.readText({owners ? "owner name %1" : "project name %1", i + 1}))
            return false;
        if (names)
            names->append(QByteArray(field + 4, r.here() - field - 4));
    }
    return true;
}

// Reads one item record; with out, the row is appended to it.
bool readItem(Reader& r, qint32 index, std::vector<ToDoItem>* out)
{
    const qint64 item = index + 1;
    const qsizetype start = r.pos();
    qint32 flagLength = 0;
    if (!r.readInt(flagLength, {"the flag length of item %1", item}))
        return false;
    // The program only ever writes 1; anything else means we are not at a record.
    if (flagLength != 1)
        return r.fail(
            start, QStringLiteral("item %1 has the flag length %2 instead of 1").arg(item).arg(flagLength));
    quint8 checked = 0;
    if (!r.readByte(checked, {"the checked flag of item %1", item}))
        return false;
    const qsizetype recordStart = r.pos();
    const char* record = r.here();
    if (!r.readText({"the action of item %1", item}))
        return false;
    qint32 values = 0;
    if (!r.readLastIndex(values, 4, {"the last column index of item %1", item}))
        return false;
    for (qint32 k = 0; k < values; ++k) {
        if (!r.readText({"column value %2 of item %1", item, k + 1}))
            return false;
    }
    if (out) {
        // One allocation per row: the record bytes are exactly the row's own buffer.
        out->push_back(ToDoItem::fromRecord(QByteArray(record, r.pos() - recordStart), checked != 0));
    }
    return true;
}

// Parses (into an empty out) or, without out, only checks a whole file image.
IoResult walkList(QByteArrayView bytes, bool withNames, ToDoList* out, const QString& fileName)
{
    if (bytes.isEmpty())
        return IoResult::success();
    Reader r(bytes);
    auto damaged = [&] {
        return IoResult::failure(QStringLiteral("%1: damaged at byte %2: %3")
                                     .arg(QDir::toNativeSeparators(fileName))
                                     .arg(r.errorAt())
                                     .arg(r.error()),
                                 IoError::BadData);
    };
    qint32 count = 0;
    if (!r.readInt(count, {"the item count"}))
        return damaged();
    if (count < 0 || count > r.remaining() / kMinRecord) {
        r.fail(0, QStringLiteral("the item count %1 is more than the rest of the file can hold").arg(count));
        return damaged();
    }
    if (out)
        out->items.reserve(count);
    for (qint32 i = 0; i < count; ++i) {
        if (!readItem(r, i, out ? &out->items : nullptr))
            return damaged();
    }
    if (withNames) {
        if (!readNames(r, out ? &out->OwnerNames : nullptr, true) ||
            !readNames(r, out ? &out->ProjectNames : nullptr, false))
            return damaged();
    }
    if (r.remaining() != 0) {
        // Unknown data is kept safe by refusing the file rather than dropping it on the next save.
        r.fail(r.pos(),
               QStringLiteral("%1 bytes of unknown data follow the end of the list").arg(r.remaining()));
        return damaged();
    }
    return IoResult::success();
}

// Which rows to write, in list order; null selection means all.
std::vector<bool> rowMask(const ToDoList& list, const QList<int>* selectedRows)
{
    std::vector<bool> mask(list.items.size(), selectedRows == nullptr);
    if (selectedRows) {
        for (int row : *selectedRows) {
            if (row >= 0 && row < list.size())
                mask[row] = true;
        }
    }
    return mask;
}

void appendRecords(QByteArray& out, const ToDoList& list, const std::vector<bool>& mask)
{
    for (size_t i = 0; i < list.items.size(); ++i) {
        if (!mask[i])
            continue;
        const ToDoItem& item = list.items[i];
        appendInt(out, 1);
        out.append(item.checked() ? '\1' : '\0');
        out.append(item.record());
    }
}

qsizetype recordsSize(const ToDoList& list, const std::vector<bool>& mask, qint32& count)
{
    qsizetype size = 0;
    count = 0;
    for (size_t i = 0; i < list.items.size(); ++i) {
        if (mask[i]) {
            size += 5 + list.items[i].record().size();
            ++count;
        }
    }
    return size;
}

qsizetype namesSize(const QByteArrayList& names)
{
    qsizetype size = 4;
    for (const QByteArray& n : names)
        size += 4 + n.size();
    return size;
}

void appendNames(QByteArray& out, const QByteArrayList& names)
{
    appendInt(out, static_cast<qint32>(names.size()) - 1);
    for (const QByteArray& n : names)
        appendText(out, n);
}

IoResult readWholeFile(const QString& path, QByteArray& bytes)
{
    return ReadRegularFile(path, FileLimit::List, bytes);
}

// Writes beside the target and replaces it only when everything was written and synced. A list that its
// own reader would refuse is not written at all.
IoResult writeAtomically(const QString& path, const QByteArray& bytes)
{
    if (bytes.size() > FileLimit::List)
        return IoResult::failure(
            QStringLiteral("Cannot write file %1: the list would take %2 MiB, more than the "
                           "%3 MiB a list file may hold")
                .arg(ShownPath(path))
                .arg(bytes.size() >> 20)
                .arg(FileLimit::List >> 20),
            IoError::TooLarge);
    return AtomicFile::save(path, bytes);
}

} // namespace

QByteArray SerializeList(const ToDoList& list, bool withNames, const QList<int>* selectedRows)
{
    const std::vector<bool> mask = rowMask(list, selectedRows);
    qint32 count = 0;
    qsizetype size = 4 + recordsSize(list, mask, count);
    if (withNames)
        size += namesSize(list.OwnerNames) + namesSize(list.ProjectNames);
    QByteArray out;
    out.reserve(size);
    appendInt(out, count);
    appendRecords(out, list, mask);
    if (withNames) {
        appendNames(out, list.OwnerNames);
        appendNames(out, list.ProjectNames);
    }
    return out;
}

IoResult ParseList(QByteArrayView bytes, bool withNames, ToDoList& out, const QString& fileName)
{
    // Into a fresh list, so that a damaged file leaves the caller's rows as they were.
    ToDoList fresh;
    IoResult r = walkList(bytes, withNames, &fresh, fileName);
    if (r)
        out = std::move(fresh);
    return r;
}

IoResult SaveListFile(const ToDoList& list, const QString& path, const QList<int>* selectedRows)
{
    // Only the folder is made beforehand: an empty placeholder file would be left behind by a failed save.
    if (IoResult r = EnsureFolderOf(path); !r)
        return r;
    return writeAtomically(path, SerializeList(list, true, selectedRows));
}

IoResult ReadListFile(const QString& path, bool withNames, ToDoList& out)
{
    if (!QFileInfo::exists(path))
        return IoResult::failure(QStringLiteral("Cannot open file %1: the file does not exist")
                                     .arg(QDir::toNativeSeparators(path)),
                                 IoError::NotFound);
    QByteArray bytes;
    if (IoResult r = readWholeFile(path, bytes); !r)
        return r;
    return ParseList(bytes, withNames, out, path);
}

IoResult LoadListFile(ToDoList& list, const QString& path)
{
    if (!QFileInfo::exists(path)) {
        // A list that was never saved: empty, and the names stay as they are.
        list.items.clear();
        return IoResult::success();
    }
    ToDoList fresh;
    if (IoResult r = ReadListFile(path, true, fresh); !r)
        return r;
    list.items = std::move(fresh.items);
    // Reopening a list must not double its names (they would grow with every open and save).
    ToDoList::appendNewNames(list.OwnerNames, fresh.OwnerNames);
    ToDoList::appendNewNames(list.ProjectNames, fresh.ProjectNames);
    return IoResult::success();
}

IoResult AppendSelectedToHistory(const ToDoList& list, const QList<int>& selectedRows, const QString& path,
                                 int* countBefore)
{
    if (IoResult r = EnsureIniFile(path); !r)
        return r;
    QByteArray old;
    if (IoResult r = readWholeFile(path, old); !r)
        return r;
    // The old history is checked whole: appending to a damaged file would bury the damage in the middle.
    if (IoResult r = walkList(old, false, nullptr, path); !r)
        return r;
    const qint32 oldCount = old.isEmpty() ? 0 : qFromLittleEndian<qint32>(old.constData());

    const std::vector<bool> mask = rowMask(list, &selectedRows);
    qint32 added = 0;
    const qsizetype addedSize = recordsSize(list, mask, added);
    if (qint64(oldCount) + added > std::numeric_limits<qint32>::max())
        return IoResult::failure(
            QStringLiteral("%1: the history cannot hold more items").arg(QDir::toNativeSeparators(path)));

    // The new file is built whole and replaces the old one in one step.
    QByteArray bytes;
    bytes.reserve(qMax<qsizetype>(old.size(), 4) + addedSize);
    appendInt(bytes, oldCount + added);
    if (!old.isEmpty())
        bytes.append(old.constData() + 4, old.size() - 4);
    appendRecords(bytes, list, mask);
    if (IoResult r = writeAtomically(path, bytes); !r)
        return r;
    if (countBefore)
        *countBefore = oldCount;
    return IoResult::success();
}

IoResult SaveHistoryFile(const ToDoList& list, const QString& path)
{
    if (IoResult r = EnsureFolderOf(path); !r)
        return r;
    return writeAtomically(path, SerializeList(list, false));
}

IoResult LoadHistoryFile(ToDoList& list, const QString& path)
{
    // A missing history file is created empty.
    if (IoResult r = EnsureIniFile(path); !r)
        return r;
    ToDoList fresh;
    if (IoResult r = ReadListFile(path, false, fresh); !r)
        return r;
    list.items = std::move(fresh.items);
    return IoResult::success();
}
