// CSV texts: any bytes read without a crash; whatever was read exports and imports again to the same texts;
// the same rows written in the line forms of earlier versions import as those rows, line by line; and the
// line reader of those forms never lets a record take more than one line.
#include "exchange/CSVConvert.h"
#include "exchange/CSVExchange.h"
#include "exchange/CSVRecordReader.h"
#include "platform/CodePage.h"

#include "FuzzUtil.h"

#include <cstring>

namespace {
bool sameTexts(const std::vector<ToDoItem>& a, const std::vector<ToDoItem>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].action() != b[i].action())
            return false;
        for (int k = 0; k < ToDoItem::ColumnCount; ++k) {
            if (a[i].value(k) != b[i].value(k))
                return false;
        }
    }
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CodePage::setCurrent(CodePage::Kind::Windows1252);
    const QByteArrayView text = fuzzInput(data, size);

    // The line reader of earlier versions' forms: lines up to the first NUL, counted as it counts them.
    const char* nul = size ? static_cast<const char*>(std::memchr(text.data(), '\0', size)) : nullptr;
    const QByteArrayView lines = nul ? text.first(nul - text.data()) : text;
    qsizetype lineCount = lines.isEmpty() ? 0 : 1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i] == '\n' || (lines[i] == '\r' && (i + 1 == lines.size() || lines[i + 1] != '\n')))
            ++lineCount;
    }
    qsizetype records = 0;
    qsizetype lastLine = 0;
    std::vector<QByteArrayView> fields;
    CSVRecordReader reader(text);
    while (reader.next(fields)) {
        ++records;
        FUZZ_CHECK(!fields.empty());
        FUZZ_CHECK(reader.lineNumber() > lastLine);
        lastLine = reader.lineNumber();
    }
    FUZZ_CHECK(records <= lineCount);

    std::vector<ToDoItem> rows;
    if (!CSVToRows(text, rows).ok)
        return 0;
    std::vector<ToDoItem> back;
    FUZZ_CHECK(CSVToRows(RowsToCSV(rows), back).ok);
    FUZZ_CHECK(sameTexts(back, rows));

    // The rows as earlier versions wrote them. Bytes that happen to be UTF-8 would be read as UTF-8, and a
    // first line of column names as a header (which makes the whole file RFC 4180, where those lines may
    // not parse): both are left out.
    QByteArray earlier;
    for (const ToDoItem& row : rows) {
        QByteArrayList fields{row.action().toByteArray()};
        for (int k = 0; k < ToDoItem::ColumnCount; ++k)
            fields << row.value(k).toByteArray();
        earlier += FieldsToCSVLine(fields) + "\r\n";
    }
    const bool utf8 = CodePage::firstInvalidUtf8(earlier) < 0;
    bool highBytes = false;
    for (const char c : earlier)
        highBytes = highBytes || static_cast<unsigned char>(c) >= 0x80;
    // Such bytes are read as UTF-8 by rule, and may then hold characters the code page cannot: refused. So
    // is a first text that begins with the bytes of a byte-order mark, which then names the encoding.
    const bool markFirst = earlier.startsWith("\xEF\xBB\xBF") || earlier.startsWith("\xFF\xFE") ||
                           earlier.startsWith("\xFE\xFF");
    if ((utf8 && highBytes) || markFirst)
        return 0;
    CSVImportNotes notes;
    std::vector<ToDoItem> fromEarlier;
    const bool read = CSVToRows(earlier, fromEarlier, QString(), &notes).ok;
    if (notes.header)
        return 0;
    FUZZ_CHECK(read);
    FUZZ_CHECK(notes.earlierForm || rows.empty());
    FUZZ_CHECK(sameTexts(fromEarlier, rows));
    return 0;
}
