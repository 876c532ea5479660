// CSV texts: any bytes read without a crash; a record never takes more than one line; and whatever was
// read exports and imports again to the same rows.
#include "exchange/CSVConvert.h"
#include "exchange/CSVExchange.h"
#include "exchange/CSVRecordReader.h"
#include "platform/CodePage.h"

#include "FuzzUtil.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CodePage::setCurrent(CodePage::Kind::Windows1252);
    const QByteArrayView text = fuzzInput(data, size);

    // Lines up to the first NUL, counted as the reader counts them.
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
    // A quoted field that nothing closes is refused, with its line, rather than read as a guess.
    const IoResult read = CSVToRows(text, rows);
    FUZZ_CHECK(read.ok == (reader.unclosedLine() == 0));
    if (!read.ok)
        return 0;
    FUZZ_CHECK(qsizetype(rows.size()) == records);
    std::vector<ToDoItem> back;
    FUZZ_CHECK(CSVToRows(RowsToCSV(rows), back).ok);
    FUZZ_CHECK(back == rows);

    // The line routine reads the first line as the file reader does.
    QByteArrayList lineFields;
    const qsizetype end = std::min(lines.indexOf('\n') < 0 ? lines.size() : lines.indexOf('\n'),
                                   lines.indexOf('\r') < 0 ? lines.size() : lines.indexOf('\r'));
    CSVLineToFields(lines.first(end), lineFields);
    if (end > 0) {
        CSVRecordReader first(lines.first(end));
        FUZZ_CHECK(first.next(fields));
        FUZZ_CHECK(qsizetype(fields.size()) == lineFields.size());
        for (size_t k = 0; k < fields.size(); ++k)
            FUZZ_CHECK(fields[k] == QByteArrayView(lineFields[qsizetype(k)]));
    }
    return 0;
}
