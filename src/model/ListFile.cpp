#include "model/ListFile.h"

#include "config/LanguageTexts.h"

#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"

#include "model/HistoryTail.h"
#include "model/RecordField.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>
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

// Walks a list field by field; every count and length is checked against the bytes that remain before it
// is used, and the first problem is kept with its byte offset. The list is either a file image in memory
// or a file read in pieces of kPiece bytes: only the record being read (and the piece it lies in) needs
// to be in memory, so a large list is built without a copy of its file beside it.
class Reader
{
public:
    static constexpr qsizetype kPiece = qsizetype(1) << 20;

    explicit Reader(QByteArrayView bytes) : m_data(bytes.data()), m_size(bytes.size()), m_have(bytes.size())
    {
    }
    explicit Reader(RegularFileReader& file) : m_file(&file), m_size(file.size()) {}

    qsizetype pos() const { return m_pos; }
    qsizetype remaining() const { return m_size - m_pos; }
    // The bytes at pos(); valid for as many bytes as the last successful need() asked for.
    const char* here() const { return m_data + (m_pos - m_base); }
    qsizetype errorAt() const { return m_errorAt; }
    const QString& error() const { return m_error; }
    // A failure of the file itself (not of its content), or success.
    const IoResult& readError() const { return m_readError; }

    // The record being read starts here: its bytes stay in memory until the next mark.
    void markRecord() { m_keep = m_pos; }
    // Rows refer to their bytes in the image being read instead of copying them (the image outlives them).
    bool rowsInPlace = false;
    QByteArray rowBytes(const char* data, qsizetype size) const
    {
        return rowsInPlace ? QByteArray::fromRawData(data, size) : QByteArray(data, size);
    }

    // Bytes from pos() that are in memory now, and a step over n of them.
    qsizetype buffered() const { return m_base + m_have - m_pos; }
    void skip(qsizetype n) { m_pos += n; }
    // The bytes from the mark to pos().
    QByteArrayView marked() const { return QByteArrayView(m_data + (m_keep - m_base), m_pos - m_keep); }

    bool fail(qsizetype at, const QString& reason)
    {
        m_errorAt = at;
        m_error = reason;
        return false;
    }

    // The checks stay small enough to inline; the messages are built out of line, on the rare damaged file.
    bool readInt(qint32& v, const Field& what)
    {
        if (remaining() < 4 || !need(4)) [[unlikely]]
            return failEnd(what, "the file ends inside %1");
        v = qFromLittleEndian<qint32>(here());
        m_pos += 4;
        return true;
    }

    bool readByte(quint8& v, const Field& what)
    {
        if (remaining() < 1 || !need(1)) [[unlikely]]
            return failEnd(what, "the file ends before %1");
        v = static_cast<quint8>(*here());
        m_pos += 1;
        return true;
    }

    bool readText(const Field& what)
    {
        if (remaining() < 4 || !need(4)) [[unlikely]]
            return failEnd(what, "the file ends inside the length of %1");
        const qint32 len = qFromLittleEndian<qint32>(here());
        if (len < 0 || len > remaining() - 4) [[unlikely]]
            return failLength(what, len);
        if (!need(4 + qsizetype(len))) [[unlikely]]
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

    // True when the file ends where its size said; a file that grew while it was read has more.
    bool atEndOfFile()
    {
        if (!m_file || m_pos < m_base + m_have)
            return m_pos == m_base + m_have;
        char extra;
        const qint64 got = m_file->read(&extra, 1);
        if (got < 0)
            m_readError = m_file->error();
        return got == 0;
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

    // Makes the n bytes from pos() available; false when the file ends before them (it shrank while being
    // read) or cannot be read.
    bool need(qsizetype n)
    {
        if (m_pos + n <= m_base + m_have) [[likely]]
            return true;
        return refill(n);
    }

    bool refill(qsizetype n)
    {
        if (!m_file || !m_readError)
            return false;
        // Keep the record being read, drop what lies before it, and read on behind it.
        const qsizetype kept = m_base + m_have - m_keep;
        const qsizetype wanted = (m_pos - m_keep) + n;
        if (m_buffer.size() < std::max(wanted, kPiece))
            growBuffer(std::max(wanted, kPiece), kept);
        else if (m_keep > m_base && kept > 0)
            std::memmove(m_buffer.data(), m_buffer.constData() + (m_keep - m_base), size_t(kept));
        m_data = m_buffer.constData();
        m_base = m_keep;
        m_have = kept;
        // Fill the buffer, but never beyond the size the file had: what follows is checked at the end.
        while (m_have < wanted) {
            const qsizetype room = std::min<qint64>(m_buffer.size() - m_have, m_size - (m_base + m_have));
            const qint64 got = room > 0 ? m_file->read(m_buffer.data() + m_have, room) : 0;
            if (got < 0) {
                m_readError = m_file->error();
                return false;
            }
            if (got == 0) {
                // The file shrank since it was opened: it ends here.
                m_size = m_base + m_have;
                return false;
            }
            m_have += qsizetype(got);
        }
        return true;
    }

    void growBuffer(qsizetype size, qsizetype kept)
    {
        QByteArray bigger(size, Qt::Uninitialized);
        if (kept > 0)
            std::memcpy(bigger.data(), m_data + (m_keep - m_base), size_t(kept));
        m_buffer = std::move(bigger);
    }

    RegularFileReader* m_file = nullptr;
    QByteArray m_buffer;
    const char* m_data = nullptr;
    qsizetype m_size;
    // The buffer holds the bytes from file offset m_base on, m_have of them.
    qsizetype m_base = 0;
    qsizetype m_have = 0;
    qsizetype m_keep = 0;
    qsizetype m_pos = 0;
    qsizetype m_errorAt = 0;
    QString m_error;
    IoResult m_readError;
};

bool readNames(Reader& r, QByteArrayList* names, bool owners)
{
    qint32 count = 0;
    if (!r.readLastIndex(count, 4, {owners ? "the last owner index" : "the last project index"}))
        return false;
    if (names)
        names->reserve(count);
    for (qint32 i = 0; i < count; ++i) {
        r.markRecord();
        if (!r.readText({owners ? "owner name %1" : "project name %1", i + 1}))
            return false;
        if (names)
            names->append(r.marked().sliced(4).toByteArray());
    }
    return true;
}

// Reads one item record; with out, the row is appended to it.
bool readItem(Reader& r, qint32 index, std::vector<ToDoItem>* out)
{
    // Most records lie whole in the bytes read and are sound: measured in one pass and taken as they are.
    // Anything else (a record that runs on into the next piece, or a damaged one) is read field by field.
    r.markRecord();
    if (r.buffered() >= 5 && qFromLittleEndian<qint32>(r.here()) == 1) {
        const char* flagged = r.here();
        const qsizetype length = ToDoItem::recordLength(flagged + 5, r.buffered() - 5);
        if (length >= 0) {
            if (out)
                out->push_back(ToDoItem::fromRecord(r.rowBytes(flagged + 5, length), flagged[4] != 0));
            r.skip(5 + length);
            return true;
        }
    }
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
    r.markRecord();
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
        const QByteArrayView record = r.marked();
        out->push_back(ToDoItem::fromRecord(r.rowBytes(record.data(), record.size()), checked != 0));
    }
    return true;
}

// Parses (into an empty out) or, without out, only checks a list. A file that cannot be read is reported
// as such, not as damaged.
IoResult walkList(Reader& r, bool withNames, ToDoList* out, const QString& fileName)
{
    auto damaged = [&] {
        if (!r.readError())
            return r.readError();
        return IoResult::failure(LanguageTexts::shared()
                                     .text("ListErrors", "Damaged")
                                     .arg(QDir::toNativeSeparators(fileName))
                                     .arg(r.errorAt())
                                     .arg(r.error()),
                                 IoError::BadData);
    };
    // An empty file is an empty list.
    if (r.remaining() == 0 && r.atEndOfFile())
        return r.readError();
    qint32 count = 0;
    if (!r.readInt(count, {"the item count"}))
        return damaged();
    // A first word that no list file can begin with (more items than the largest list file could hold):
    // the file is no list at all, a text or a picture, rather than a damaged list.
    if (count < 0 || count > FileLimit::List / kMinRecord)
        return IoResult::failure(
            LanguageTexts::shared().text("ListErrors", "NotAList").arg(QDir::toNativeSeparators(fileName)),
            IoError::BadData);
    if (count > r.remaining() / kMinRecord) {
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
    if (r.remaining() != 0 || !r.atEndOfFile()) {
        // Unknown data is kept safe by refusing the file rather than dropping it on the next save.
        if (r.remaining() != 0)
            r.fail(r.pos(),
                   QStringLiteral("%1 bytes of unknown data follow the end of the list").arg(r.remaining()));
        else
            r.fail(r.pos(), QStringLiteral("the file grew while it was read, past the end of the list"));
        return damaged();
    }
    return IoResult::success();
}

IoResult walkList(QByteArrayView bytes, bool withNames, ToDoList* out, const QString& fileName)
{
    Reader r(bytes);
    return walkList(r, withNames, out, fileName);
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
        return IoResult::tooLarge(IoStep::Write, path, bytes.size(), FileLimit::List);
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

IoResult ReadListFileImage(const QString& path, bool withNames, QByteArray& image, ToDoList& out)
{
    if (!QFileInfo::exists(path))
        return IoResult::failed(IoStep::Open, path, IoError::NotFound);
    QByteArray bytes;
    if (IoResult r = readWholeFile(path, bytes); !r)
        return r;
    Reader reader(bytes);
    reader.rowsInPlace = true;
    ToDoList fresh;
    IoResult r = walkList(reader, withNames, &fresh, path);
    if (r) {
        out = std::move(fresh);
        image = std::move(bytes);
    }
    return r;
}

IoResult ReadListFile(const QString& path, bool withNames, ToDoList& out)
{
    if (!QFileInfo::exists(path))
        return IoResult::failed(IoStep::Open, path, IoError::NotFound);
    // A history file that a step was cut short in is read as it was before that step.
    if (!withNames) {
        if (const std::optional<HistoryTail::Point> point = HistoryTail::pendingPoint(path)) {
            QByteArray bytes;
            if (IoResult r = readWholeFile(path, bytes); !r)
                return r;
            if (bytes.size() >= point->size) {
                bytes.truncate(point->size);
                if (bytes.size() >= 4)
                    qToLittleEndian<qint32>(point->count, bytes.data());
                return ParseList(bytes, false, out, path);
            }
        }
    }
    // Read in pieces and built as it goes: a large list needs no copy of its file in memory.
    RegularFileReader file;
    if (IoResult r = file.open(path, FileLimit::List); !r)
        return r;
    Reader reader(file);
    ToDoList fresh;
    IoResult r = walkList(reader, withNames, &fresh, path);
    if (r)
        out = std::move(fresh);
    return r;
}

bool IsListFile(const QString& path)
{
    for (const bool withNames : {true, false}) {
        RegularFileReader file;
        if (!file.open(path, FileLimit::List))
            return false;
        Reader reader(file);
        if (walkList(reader, withNames, nullptr, path))
            return true;
    }
    return false;
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

namespace {
// The old history is checked whole once: appending to a damaged file would bury the damage in the middle.
IoResult checkHistoryBeforeAppend(const QString& path)
{
    if (HistoryTail::isAsLeft(path))
        return IoResult::success();
    if (IoResult r = HistoryTail::settle(path); !r)
        return r;
    QByteArray old;
    if (IoResult r = readWholeFile(path, old); !r)
        return r;
    return walkList(old, false, nullptr, path);
}
} // namespace

IoResult AppendSelectedToHistory(const ToDoList& list, const QList<int>& selectedRows, const QString& path,
                                 int* countBefore, qint64* sizeBefore)
{
    if (IoResult r = EnsureIniFile(path); !r)
        return r;
    const std::vector<bool> mask = rowMask(list, &selectedRows);
    qint32 added = 0;
    QByteArray records;
    records.reserve(recordsSize(list, mask, added));
    appendRecords(records, list, mask);
    // Appended where it lies; a history file that is a link (which the program never writes through) is
    // written anew instead.
    if (!QFileInfo(path).isSymLink()) {
        if (IoResult r = checkHistoryBeforeAppend(path); !r)
            return r;
        HistoryTail::Point before;
        if (IoResult r = HistoryTail::append(path, records, added, &before); !r)
            return r;
        if (countBefore)
            *countBefore = before.count;
        if (sizeBefore)
            *sizeBefore = before.size;
        return IoResult::success();
    }
    QByteArray old;
    if (IoResult r = readWholeFile(path, old); !r)
        return r;
    // The old history is checked whole: appending to a damaged file would bury the damage in the middle.
    if (IoResult r = walkList(old, false, nullptr, path); !r)
        return r;
    const qint32 oldCount = old.isEmpty() ? 0 : qFromLittleEndian<qint32>(old.constData());
    if (qint64(oldCount) + added > std::numeric_limits<qint32>::max())
        return IoResult::failure(
            LanguageTexts::shared().text("ListErrors", "HistoryFull").arg(QDir::toNativeSeparators(path)));
    QByteArray bytes;
    bytes.reserve(qMax<qsizetype>(old.size(), 4) + records.size());
    appendInt(bytes, oldCount + added);
    if (!old.isEmpty())
        bytes.append(old.constData() + 4, old.size() - 4);
    bytes.append(records);
    if (IoResult r = writeAtomically(path, bytes); !r)
        return r;
    if (countBefore)
        *countBefore = oldCount;
    if (sizeBefore)
        *sizeBefore = -1;
    return IoResult::success();
}

IoResult CheckListFile(const QString& path, bool withNames)
{
    RegularFileReader file;
    if (IoResult r = file.open(path, FileLimit::List); !r)
        return r;
    Reader reader(file);
    return walkList(reader, withNames, nullptr, path);
}

QByteArray SerializeRecords(const std::vector<ToDoItem>& items)
{
    ToDoList list;
    list.items = items;
    const std::vector<bool> mask(items.size(), true);
    QByteArray out;
    appendRecords(out, list, mask);
    return out;
}

IoResult SaveHistoryFile(const ToDoList& list, const QString& path)
{
    if (IoResult r = HistoryTail::settle(path); !r)
        return r;
    if (IoResult r = EnsureFolderOf(path); !r)
        return r;
    return writeAtomically(path, SerializeList(list, false));
}

IoResult LoadHistoryFile(ToDoList& list, const QString& path)
{
    // A missing history file is created empty.
    if (IoResult r = EnsureIniFile(path); !r)
        return r;
    if (IoResult r = HistoryTail::settle(path); !r)
        return r;
    ToDoList fresh;
    if (IoResult r = ReadListFile(path, false, fresh); !r)
        return r;
    list.items = std::move(fresh.items);
    return IoResult::success();
}
