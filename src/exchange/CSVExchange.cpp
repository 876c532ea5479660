#include "exchange/CSVExchange.h"

#include "config/LanguageTexts.h"

#include "exchange/ExportTarget.h"
#include "exchange/ListingTextWriter.h"
#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/JobProgress.h"

#include <QDir>

#include <cstring>

namespace {
QString shownName(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// A field needs quotes when it holds one of these.
bool needsQuotes(QByteArrayView text)
{
    for (const char c : text) {
        if (c == ',' || c == '"' || c == '\r' || c == '\n' || c == '\0')
            return true;
    }
    return false;
}

// Hands the CSV text of rows to put in consecutive pieces of about a megabyte, so that a large export
// needs no buffer of its own size. False when put failed or the run was cancelled.
template <bool Utf8, typename Put>
bool writeRows(const std::vector<ToDoItem>& rows, Put put, JobProgress* progress)
{
    using Text = ListingTextWriter<ListPrinter::Format::Csv, Utf8>;
    const Text writer;
    QByteArray buffer(qsizetype(1) << 20, Qt::Uninitialized);
    char* end = buffer.data();
    for (int c = 0; c <= ToDoItem::ColumnCount; ++c) {
        const QByteArrayView caption = CSVExportCaption(c);
        std::memcpy(end, caption.data(), size_t(caption.size()));
        end += caption.size();
        *end++ = c < ToDoItem::ColumnCount ? ',' : '\r';
    }
    *end++ = '\n';
    const auto field = [&writer](char* d, QByteArrayView text) {
        const bool quoted = needsQuotes(text);
        if (quoted)
            *d++ = '"';
        if (CSVTextNeedsGuard(text))
            *d++ = '\'';
        d = writer.write(d, text);
        if (quoted)
            *d++ = '"';
        return d;
    };
    qint64 done = 0;
    for (const ToDoItem& row : rows) {
        if ((done++ & 1023) == 0) {
            if (JobProgress::stopped(progress))
                return false;
            JobProgress::step(progress, done - 1);
        }
        const qsizetype need = Text::bound(row.record().size()) + 4 * (ToDoItem::ColumnCount + 1) + 2;
        if (end - buffer.constData() + need > buffer.size()) {
            if (!put(QByteArrayView(buffer.constData(), end - buffer.constData())))
                return false;
            if (need > buffer.size())
                buffer.resize(need);
            end = buffer.data();
        }
        // Every row has all eight columns, so that each record has as many fields as the header.
        end = field(end, row.action());
        for (int k = 0; k < ToDoItem::ColumnCount; ++k) {
            *end++ = ',';
            end = field(end, row.value(k));
        }
        *end++ = '\r';
        *end++ = '\n';
    }
    return put(QByteArrayView(buffer.constData(), end - buffer.constData()));
}

template <typename Put>
bool writeRows(const std::vector<ToDoItem>& rows, Put put, JobProgress* progress = nullptr)
{
    if (CodePage::current() == CodePage::Kind::Utf8)
        return writeRows<true>(rows, put, progress);
    return writeRows<false>(rows, put, progress);
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

IoResult WriteCSVFile(const QString& path, const std::vector<ToDoItem>& rows, JobProgress* progress)
{
    if (IoResult r = CheckExportTarget(path); !r)
        return r;
    AtomicFile file(path);
    if (IoResult r = file.open(); !r)
        return r;
    qint64 total = 0;
    const bool fits = writeRows(
        rows,
        [&file, &total](QByteArrayView piece) {
            total += piece.size();
            return total <= FileLimit::CSV && file.write(piece);
        },
        progress);
    if (JobProgress::stopped(progress)) {
        file.cancel();
        return ExportCancelled(path);
    }
    if (total > FileLimit::CSV) {
        file.cancel();
        return IoResult::tooLarge(IoStep::Write, path, total, FileLimit::CSV);
    }
    Q_UNUSED(fits); // a failed write is reported by commit()
    return file.commit();
}

IoResult CSVToRows(QByteArrayView text, std::vector<ToDoItem>& rows, const QString& fileName,
                   CSVImportNotes* notes)
{
    return ReadCSV(QString(), text, fileName, rows, notes);
}

IoResult ReadCSVFile(const QString& path, std::vector<ToDoItem>& rows, CSVImportNotes* notes,
                     JobProgress* progress)
{
    // The file is read in pieces of whole records, and each piece becomes rows before the next is read:
    // the rows and one buffer are all the memory an import takes.
    return ReadCSV(path, QByteArrayView(), path, rows, notes, progress);
}

IoResult ImportCSVFile(const QString& path, ToDoList& list, int* added, CSVImportNotes* notes)
{
    std::vector<ToDoItem> rows;
    const IoResult result = ReadCSVFile(path, rows, notes);
    if (!result)
        return result;
    if (added)
        *added = static_cast<int>(rows.size());
    list.items.reserve(list.items.size() + rows.size());
    for (ToDoItem& row : rows)
        list.items.push_back(std::move(row));
    return IoResult::success();
}

QString ImportSummary(const QString& path, int added, const CSVImportNotes& notes)
{
    const LanguageTexts& texts = LanguageTexts::shared();
    const auto text = [&texts](const char* key) { return texts.text("Imports", key); };
    QString s = added == 0   ? text("NoRecords").arg(shownName(path))
                : added == 1 ? text("OneItem").arg(shownName(path))
                             : text("Items").arg(added).arg(shownName(path));
    if (notes.separator == ';')
        s += QStringLiteral(" (") + text("Semicolons") + QLatin1Char(')');
    else if (notes.separator == '\t')
        s += QStringLiteral(" (") + text("Tabs") + QLatin1Char(')');
    if (notes.header)
        s += QStringLiteral("; ") + text("Header");
    if (!notes.unknownColumns.isEmpty()) {
        QStringList quoted;
        for (const QString& c : notes.unknownColumns)
            quoted << QLatin1Char('"') + c + QLatin1Char('"');
        s += QStringLiteral("; ") + text(quoted.size() == 1 ? "UnknownColumn" : "UnknownColumns")
                                        .arg(quoted.join(QLatin1String(", ")));
    }
    if (notes.longRecords > 0)
        s += QStringLiteral("; ") +
             text(notes.longRecords == 1 ? "LongRecord" : "LongRecords").arg(notes.longRecords);
    return s;
}
