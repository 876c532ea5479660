#include "exchange/CSVExchange.h"

#include "exchange/CSVConvert.h"
#include "exchange/CSVRecordReader.h"
#include "exchange/ExportTarget.h"
#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <string.h>

namespace {
QString shownName(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Where a quoted field ends is not known: taking the rest of the line, or cutting it short, would put
// texts into the wrong columns without a word.
IoResult notClosed(const QString& path, qsizetype line)
{
    return IoResult::failure(
        QStringLiteral("The file %1 has a quoted field that is not closed (line %2), so where its text "
                       "ends is not known; nothing was imported")
            .arg(shownName(path))
            .arg(line),
        IoError::BadData);
}

IoResult notUtf8(const QString& path, qsizetype line)
{
    return IoResult::failure(
        QStringLiteral("The file %1 is not UTF-8 text (line %2), but the program's code page is "
                       "UTF-8. Convert the file to UTF-8, or choose the code page it was written in.")
            .arg(shownName(path))
            .arg(line),
        IoError::BadData);
}

// 1-based line of offset, counting line ends as the reader does.
qsizetype lineOf(QByteArrayView text, qsizetype offset)
{
    qsizetype line = 1;
    for (qsizetype i = 0; i < offset; ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
            ++line;
    }
    return line;
}
} // namespace

namespace {
// Hands the CSV text of rows to put in consecutive pieces of about a megabyte, so that a large export
// needs no buffer of its own size. False when put failed.
template <typename Put> bool writeRows(const std::vector<ToDoItem>& rows, Put put)
{
    QByteArray buffer(qsizetype(1) << 20, Qt::Uninitialized);
    char* end = buffer.data();
    for (const ToDoItem& row : rows) {
        const qsizetype need =
            CSVFieldRoom(row.record().size()) + (row.valueCount() + 1) * CSVFieldRoom(0) + 2;
        if (end - buffer.constData() + need > buffer.size()) {
            if (!put(QByteArrayView(buffer.constData(), end - buffer.constData())))
                return false;
            if (need > buffer.size())
                buffer.resize(need);
            end = buffer.data();
        }
        // The record as the list file lays it out: Action, LastColumnIndex, then the column values,
        // each text after its 32-bit length.
        const char* p = row.record().constData();
        const auto text = [&p] {
            const qint32 len = qFromLittleEndian<qint32>(p);
            const QByteArrayView t(p + 4, len);
            p += 4 + len;
            return t;
        };
        end = WriteCSVField(end, text());
        const qint32 count = qFromLittleEndian<qint32>(p) + 1;
        p += 4;
        for (qint32 k = 0; k < count; ++k)
            end = WriteCSVField(end, text());
        *end++ = '\r';
        *end++ = '\n';
    }
    return put(QByteArrayView(buffer.constData(), end - buffer.constData()));
}
} // namespace

QByteArray RowsToCSV(const std::vector<ToDoItem>& rows)
{
    QByteArray out;
    writeRows(rows, [&out](QByteArrayView piece) {
        out.append(piece);
        return true;
    });
    return out;
}

IoResult WriteCSVFile(const QString& path, const std::vector<ToDoItem>& rows)
{
    if (IoResult r = CheckExportTarget(path); !r)
        return r;
    AtomicFile file(path);
    if (IoResult r = file.open(); !r)
        return r;
    qint64 total = 0;
    const bool fits = writeRows(rows, [&file, &total](QByteArrayView piece) {
        total += piece.size();
        return total <= FileLimit::CSV && file.write(piece);
    });
    if (total > FileLimit::CSV) {
        file.cancel();
        return IoResult::failure(
            QStringLiteral("Cannot write file %1: the CSV text would be larger than the %2 MiB "
                           "an import reads; nothing was written")
                .arg(ShownPath(path))
                .arg(FileLimit::CSV >> 20),
            IoError::TooLarge);
    }
    Q_UNUSED(fits); // a failed write is reported by commit()
    return file.commit();
}

ToDoItem RowFromCSVFields(const std::vector<QByteArrayView>& fields)
{
    const size_t used = std::min(fields.size(), size_t(ToDoItem::ColumnCount + 1));
    const auto field = [&](size_t k) { return k < used ? fields[k] : QByteArrayView(); };
    qsizetype size = 4 + 4 + 4 * ToDoItem::ColumnCount;
    for (size_t k = 0; k < used; ++k)
        size += fields[k].size();
    // The record layout of the list file: Action, LastColumnIndex, the column values; one block per row.
    QByteArray record(size, Qt::Uninitialized);
    char* d = record.data();
    const auto put = [&d](QByteArrayView text) {
        qToLittleEndian<qint32>(static_cast<qint32>(text.size()), d);
        if (!text.isEmpty())
            std::memcpy(d + 4, text.data(), text.size());
        d += 4 + text.size();
    };
    put(field(0));
    qToLittleEndian<qint32>(ToDoItem::ColumnCount - 1, d);
    d += 4;
    for (size_t k = 1; k <= ToDoItem::ColumnCount; ++k)
        put(field(k));
    return ToDoItem::fromRecord(std::move(record), false);
}

IoResult CSVToRows(QByteArrayView text, std::vector<ToDoItem>& rows, const QString& fileName)
{
    if (CodePage::current() == CodePage::Kind::Utf8) {
        if (text.startsWith("\xEF\xBB\xBF"))
            text = text.sliced(3);
        if (const qsizetype bad = CodePage::firstInvalidUtf8(text); bad >= 0)
            return notUtf8(fileName, lineOf(text, bad));
    }
    std::vector<ToDoItem> out;
    out.reserve(text.size() / 64 + 1);
    std::vector<QByteArrayView> fields;
    fields.reserve(16);
    CSVRecordReader reader(text);
    while (reader.next(fields))
        out.push_back(RowFromCSVFields(fields));
    if (reader.unclosedLine() > 0)
        return notClosed(fileName, reader.unclosedLine());
    rows = std::move(out);
    return IoResult::success();
}

namespace {
// The failures a CSV text is refused for, with the line they are on.
IoResult holdsNul(const QString& path, qsizetype line)
{
    // A NUL would end the text early and drop the rest without a word; such a file is no CSV text.
    return IoResult::failure(
        QStringLiteral("The file %1 holds a NUL byte (line %2): it is not a text file, and "
                       "nothing was imported")
            .arg(shownName(path))
            .arg(line),
        IoError::BadData);
}

// Where the piece buffer[from, have) may end: after its last line break. A CR at the very end may be the
// first half of a CR LF and waits for the next piece. -1 when no line ends in it.
qsizetype pieceEnd(const QByteArray& buffer, qsizetype from, qsizetype have)
{
    const char* data = buffer.constData();
    if (const void* lf = ::memrchr(data + from, '\n', size_t(have - from)))
        return static_cast<const char*>(lf) - data + 1;
    // Lines ended by CR alone.
    for (qsizetype i = have - 2; i >= from; --i) {
        if (data[i] == '\r')
            return i + 1;
    }
    return -1;
}
} // namespace

IoResult ReadCSVFile(const QString& path, std::vector<ToDoItem>& rows)
{
    // The file is read in pieces of whole lines, and each piece becomes rows before the next is read: the
    // rows and one buffer are all the memory an import takes. A piece is checked (NUL bytes, and UTF-8
    // when that is the code page) before its rows are made; on any failure no row is handed out.
    RegularFileReader file;
    if (IoResult r = file.open(path, FileLimit::CSV); !r)
        return r;
    const bool utf8 = CodePage::current() == CodePage::Kind::Utf8;
    constexpr qsizetype kPiece = qsizetype(1) << 20;
    QByteArray buffer(kPiece, Qt::Uninitialized);
    qsizetype have = 0;
    qsizetype linesBefore = 0;
    bool atStart = true;
    bool atEnd = false;
    std::vector<ToDoItem> out;
    std::vector<QByteArrayView> fields;
    fields.reserve(16);
    while (have > 0 || !atEnd) {
        while (!atEnd && have < buffer.size()) {
            const qint64 got = file.read(buffer.data() + have, buffer.size() - have);
            if (got < 0)
                return file.error();
            if (got == 0)
                atEnd = true;
            have += qsizetype(got);
        }
        qsizetype from = 0;
        if (atStart) {
            atStart = false;
            if (utf8 && QByteArrayView(buffer.constData(), have).startsWith("\xEF\xBB\xBF"))
                from = 3;
            // Room for the rows, reckoned from the lines in the first 64 KiB.
            const qsizetype sample = std::min<qsizetype>(have - from, 64 * 1024);
            qint64 lines = 0;
            for (const char *p = buffer.constData() + from, *e = p + sample;
                 (p = static_cast<const char*>(std::memchr(p, '\n', size_t(e - p)))) != nullptr; ++p)
                ++lines;
            if (lines > 0)
                out.reserve(size_t(std::min<qint64>(lines * file.size() / sample + 16, file.size() / 2 + 1)));
        }
        const qsizetype end = atEnd ? have : pieceEnd(buffer, from, have);
        if (end < 0) {
            // A line longer than the buffer: read more of it first.
            buffer.resize(buffer.size() * 2);
            continue;
        }
        const QByteArrayView piece(buffer.constData() + from, end - from);
        if (utf8) {
            if (const qsizetype bad = CodePage::firstInvalidUtf8(piece); bad >= 0)
                return notUtf8(path, linesBefore + lineOf(piece, bad));
        }
        CSVRecordReader reader(piece);
        while (reader.next(fields))
            out.push_back(RowFromCSVFields(fields));
        // The reader stops at a NUL, which it meets as it scans.
        if (reader.textEnd() < piece.size())
            return holdsNul(path, linesBefore + lineOf(piece, reader.textEnd()));
        if (reader.unclosedLine() > 0)
            return notClosed(path, linesBefore + reader.unclosedLine());
        linesBefore += reader.linesRead();
        have -= end;
        std::memmove(buffer.data(), buffer.constData() + end, size_t(have));
        if (atEnd)
            break;
    }
    rows = std::move(out);
    return IoResult::success();
}

IoResult ImportCSVFile(const QString& path, ToDoList& list, int* added)
{
    std::vector<ToDoItem> rows;
    const IoResult result = ReadCSVFile(path, rows);
    if (!result)
        return result;
    if (added)
        *added = static_cast<int>(rows.size());
    list.items.reserve(list.items.size() + rows.size());
    for (ToDoItem& row : rows)
        list.items.push_back(std::move(row));
    return IoResult::success();
}

QString ImportSummary(const QString& path, int added)
{
    if (added == 0)
        return QStringLiteral("Imported no items from %1: the file holds no records").arg(shownName(path));
    return QStringLiteral("Imported %1 %2 from %3")
        .arg(added)
        .arg(added == 1 ? QStringLiteral("item") : QStringLiteral("items"), shownName(path));
}
