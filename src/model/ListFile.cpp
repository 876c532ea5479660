#include "model/ListFile.h"

#include "config/LanguageTexts.h"

#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"

#include "model/HistoryTail.h"
#include "model/ListFileReader.h"
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

bool readNames(ListFileReader& r, QByteArrayList* names, bool owners)
{
    qint32 count = 0;
    if (!r.readLastIndex(count, 4, {owners ? "LastOwner" : "LastProject"}))
        return false;
    if (names)
        names->reserve(count);
    for (qint32 i = 0; i < count; ++i) {
        r.markRecord();
        if (!r.readText({owners ? "OwnerName" : "ProjectName", i + 1}))
            return false;
        if (names)
            names->append(r.marked().sliced(4).toByteArray());
    }
    return true;
}

// Reads one item record; with out, the row is appended to it.
bool readItem(ListFileReader& r, qint32 index, std::vector<ToDoItem>* out)
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
    if (!r.readInt(flagLength, {"FlagLength", item}))
        return false;
    // The program only ever writes 1; anything else means we are not at a record.
    if (flagLength != 1)
        return r.fail(
            start,
            LanguageTexts::shared().text("ListFileParts", "FlagLengthWrong").arg(item).arg(flagLength));
    quint8 checked = 0;
    if (!r.readByte(checked, {"CheckedFlag", item}))
        return false;
    r.markRecord();
    if (!r.readText({"Action", item}))
        return false;
    qint32 values = 0;
    if (!r.readLastIndex(values, 4, {"LastColumn", item}))
        return false;
    for (qint32 k = 0; k < values; ++k) {
        if (!r.readText({"ColumnValue", item, k + 1}))
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
IoResult walkList(ListFileReader& r, bool withNames, ToDoList* out, const QString& fileName)
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
    if (!r.readInt(count, {"ItemCount"}))
        return damaged();
    // A first word that no list file can begin with (more items than the largest list file could hold):
    // the file is no list at all, a text or a picture, rather than a damaged list.
    if (count < 0 || count > FileLimit::List / kMinRecord)
        return IoResult::failure(
            LanguageTexts::shared().text("ListErrors", "NotAList").arg(QDir::toNativeSeparators(fileName)),
            IoError::BadData);
    if (count > r.remaining() / kMinRecord) {
        r.fail(0, LanguageTexts::shared().text("ListFileParts", "ItemCountTooBig").arg(count));
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
            r.fail(r.pos(), LanguageTexts::shared().text("ListFileParts", "UnknownData").arg(r.remaining()));
        else
            r.fail(r.pos(), LanguageTexts::shared().text("ListFileParts", "Grew"));
        return damaged();
    }
    return IoResult::success();
}

IoResult walkList(QByteArrayView bytes, bool withNames, ToDoList* out, const QString& fileName)
{
    ListFileReader r(bytes);
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

// One item record: FlagLength (1), the Checked byte, then the record's own bytes.
qsizetype recordSize(const ToDoItem& item)
{
    return 5 + item.record().size();
}

void appendRecord(QByteArray& out, const ToDoItem& item)
{
    appendInt(out, 1);
    out.append(item.checked() ? '\1' : '\0');
    out.append(item.record());
}

void appendRecords(QByteArray& out, const ToDoList& list, const std::vector<bool>& mask)
{
    for (size_t i = 0; i < list.items.size(); ++i) {
        if (mask[i])
            appendRecord(out, list.items[i]);
    }
}

qsizetype recordsSize(const ToDoList& list, const std::vector<bool>& mask, qint32& count)
{
    qsizetype size = 0;
    count = 0;
    for (size_t i = 0; i < list.items.size(); ++i) {
        if (mask[i]) {
            size += recordSize(list.items[i]);
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
IoResult writeAtomically(const QString& path, const QByteArray& bytes,
                         const AtomicFile::BeforeReplace& beforeReplace = {})
{
    if (bytes.size() > FileLimit::List)
        return IoResult::tooLarge(IoStep::Write, path, bytes.size(), FileLimit::List);
    return AtomicFile::save(path, bytes, AtomicFile::Ownership::UserFile, beforeReplace);
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

IoResult SaveListFile(const ToDoList& list, const QString& path, const QList<int>* selectedRows,
                      const AtomicFile::BeforeReplace& beforeReplace)
{
    // Only the folder is made beforehand: an empty placeholder file would be left behind by a failed save.
    if (IoResult r = EnsureFolderOf(path); !r)
        return r;
    return writeAtomically(path, SerializeList(list, true, selectedRows), beforeReplace);
}

namespace {
// The bytes of a history file that a step was cut short in, as the file was before that step.
void asBeforeCutShortStep(const QString& path, QByteArray& bytes)
{
    const std::optional<HistoryTail::Point> point = HistoryTail::pendingPoint(path);
    if (!point || bytes.size() < point->size)
        return;
    bytes.truncate(point->size);
    if (bytes.size() >= 4)
        qToLittleEndian<qint32>(point->count, bytes.data());
}
} // namespace

IoResult ReadListFileImage(const QString& path, bool withNames, QByteArray& image, ToDoList& out)
{
    if (!QFileInfo::exists(path))
        return IoResult::failed(IoStep::Open, path, IoError::NotFound);
    QByteArray bytes;
    if (IoResult r = readWholeFile(path, bytes); !r)
        return r;
    if (!withNames)
        asBeforeCutShortStep(path, bytes);
    ListFileReader reader(bytes);
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
    // A history file that a step was cut short in is read as it was before that step (parsed into rows
    // of their own: the bytes go when this returns).
    if (!withNames && HistoryTail::pendingPoint(path)) {
        QByteArray bytes;
        if (IoResult r = readWholeFile(path, bytes); !r)
            return r;
        asBeforeCutShortStep(path, bytes);
        return ParseList(bytes, false, out, path);
    }
    // Read in pieces and built as it goes: a large list needs no copy of its file in memory.
    RegularFileReader file;
    if (IoResult r = file.open(path, FileLimit::List); !r)
        return r;
    ListFileReader reader(file);
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
        ListFileReader reader(file);
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

IoResult AppendRecordsToHistory(const QByteArray& records, qint32 added, const QString& path,
                                int* countBefore, qint64* sizeBefore,
                                const HistoryTail::BeforeAppend& beforeAppend)
{
    if (IoResult r = EnsureIniFile(path); !r)
        return r;
    // Appended where it lies; a history file that is a link (which the program never writes through) is
    // written anew instead.
    if (!QFileInfo(path).isSymLink()) {
        if (IoResult r = checkHistoryBeforeAppend(path); !r)
            return r;
        HistoryTail::Point before;
        if (IoResult r = HistoryTail::append(path, records, added, &before, beforeAppend); !r)
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
    if (beforeAppend) {
        if (IoResult r = beforeAppend({old.size(), oldCount}, records, added); !r)
            return r;
    }
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
    ListFileReader reader(file);
    return walkList(reader, withNames, nullptr, path);
}

QByteArray SerializeRecords(const std::vector<ToDoItem>& items)
{
    qsizetype size = 0;
    for (const ToDoItem& item : items)
        size += recordSize(item);
    QByteArray out;
    out.reserve(size);
    for (const ToDoItem& item : items)
        appendRecord(out, item);
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
