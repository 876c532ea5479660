#include "exchange/CSVconvert.h"

#include "exchange/CSVFieldScan.h"

#include <cstring>

namespace {
constexpr char kQuote = '"';
} // namespace

char* WriteCSVField(char* out, QByteArrayView text)
{
    // A line break is treated like a comma, so a text of several lines stays one field that a reader can
    // follow across lines; single-line texts keep their usual form.
    bool quoted = false;
    bool doubleQuoted = false;
    for (const char c : text) {
        if (c == ',' || c == '\r' || c == '\n') {
            quoted = true;
            break;
        }
        if (c == kQuote)
            doubleQuoted = true;
    }
    const qsizetype quotes = quoted ? 1 : doubleQuoted ? 2 : 0;
    for (qsizetype i = 0; i < quotes; ++i)
        *out++ = kQuote;
    if (!text.isEmpty())
        std::memcpy(out, text.data(), text.size());
    out += text.size();
    for (qsizetype i = 0; i < quotes; ++i)
        *out++ = kQuote;
    *out++ = ',';
    return out;
}

void AppendCSVField(QByteArray& line, QByteArrayView text)
{
    const qsizetype size = line.size();
    line.resize(size + text.size() + kMaxFieldExtra);
    char* end = WriteCSVField(line.data() + size, text);
    line.truncate(end - line.constData());
}

QByteArray FieldsToCSVLine(const QByteArrayList& fields)
{
    qsizetype size = 0;
    for (const QByteArray& f : fields)
        size += f.size() + kMaxFieldExtra;
    QByteArray line(size, Qt::Uninitialized);
    char* end = line.data();
    for (const QByteArray& f : fields)
        end = WriteCSVField(end, f);
    line.truncate(end - line.constData());
    return line;
}

QByteArrayView CSVSeparatorAt(QByteArrayView line, qsizetype p)
{
    if (line[p] != kQuote)
        return csvscan::kPlain;
    return p + 1 < line.size() && line[p + 1] == kQuote ? csvscan::kDoubleQuoted : csvscan::kQuoted;
}

qsizetype ReadCSVField(QByteArrayView rest, QByteArrayView separator, qsizetype position,
                       qsizetype lineLength, QByteArrayList& fields)
{
    const csvscan::Field f = csvscan::scanField(rest, separator);
    fields.append(f.text.toByteArray());
    return f.closed ? position + f.consumed - 1 : lineLength;
}

void CSVLineToFields(QByteArrayView line, QByteArrayList& fields)
{
    fields.clear();
    const qsizetype length = line.size();
    qsizetype p = 1;
    while (p <= length) {
        const QByteArrayView rest = line.sliced(p - 1);
        p = ReadCSVField(rest, CSVSeparatorAt(line, p - 1), p, length, fields);
        ++p;
    }
}
