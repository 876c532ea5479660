#include "exchange/CSVConvert.h"

#include "exchange/CSVFieldScan.h"

#include <cstring>

namespace {
constexpr char kQuote = '"';

enum class Form
{
    Plain,
    Quoted,
    DoubleQuoted,
    Escaped
};

Form formOf(QByteArrayView text)
{
    bool comma = false;
    bool quote = false;
    for (const char c : text) {
        if (c == '\r' || c == '\n' || c == '\0')
            return Form::Escaped;
        comma = comma || c == ',';
        quote = quote || c == kQuote;
    }
    if (comma) {
        // "text", reads back only when the reader does not take it for ""text"", and when no quote of the
        // text ends it early.
        if (text.startsWith(kQuote) || text.contains(QByteArrayView("\",")))
            return Form::Escaped;
        return Form::Quoted;
    }
    return quote ? Form::DoubleQuoted : Form::Plain;
}

char* writeEscaped(char* out, QByteArrayView text)
{
    *out++ = '\\';
    *out++ = kQuote;
    for (const char c : text) {
        const char* escape = nullptr;
        switch (c) {
        case '\\':
            escape = "\\\\";
            break;
        case '\r':
            escape = "\\r";
            break;
        case '\n':
            escape = "\\n";
            break;
        case '\0':
            escape = "\\0";
            break;
        case ',':
            escape = "\\c";
            break;
        case kQuote:
            escape = "\\q";
            break;
        default:
            *out++ = c;
            continue;
        }
        *out++ = escape[0];
        *out++ = escape[1];
    }
    *out++ = kQuote;
    *out++ = ',';
    return out;
}
} // namespace

char* WriteCSVField(char* out, QByteArrayView text)
{
    const Form form = formOf(text);
    if (form == Form::Escaped)
        return writeEscaped(out, text);
    const qsizetype quotes = form == Form::Quoted ? 1 : form == Form::DoubleQuoted ? 2 : 0;
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
    line.resize(size + CSVFieldRoom(text.size()));
    char* end = WriteCSVField(line.data() + size, text);
    line.truncate(end - line.constData());
}

QByteArray FieldsToCSVLine(const QByteArrayList& fields)
{
    qsizetype size = 0;
    for (const QByteArray& f : fields)
        size += CSVFieldRoom(f.size());
    QByteArray line(size, Qt::Uninitialized);
    char* end = line.data();
    for (const QByteArray& f : fields)
        end = WriteCSVField(end, f);
    line.truncate(end - line.constData());
    return line;
}

QByteArrayView CSVSeparatorAt(QByteArrayView line, qsizetype p)
{
    return csvscan::separatorOf(line.sliced(p));
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
    csvscan::scanLine(line, [&fields](QByteArrayView text, bool escaped) {
        if (!escaped) {
            fields.append(text.toByteArray());
            return;
        }
        QByteArray decoded;
        decoded.reserve(text.size());
        csvscan::unescape(text, decoded);
        fields.append(decoded);
    });
}
