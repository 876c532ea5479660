#include "config/IniFile.h"

#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"

#include <QStringDecoder>

namespace {
bool isComment(QStringView trimmed)
{
    return trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'));
}

// The section name of a header line ("[name]", blanks allowed around it), or nullopt.
std::optional<QString> headerName(const QString& line)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return std::nullopt;
    qsizetype close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        close = t.size();
    return t.mid(1, close - 1).trimmed();
}

// The key of a value line, or nullopt for comments and lines without "=".
std::optional<QString> keyName(const QString& line)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return std::nullopt;
    const QString key = line.left(eq).trimmed();
    if (isComment(key) || key.startsWith(QLatin1Char('[')))
        return std::nullopt;
    return key;
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString decodeFileText(QByteArray bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    // Settings and language files written by older tools are in the Windows code page.
    return CodePage::decodeWindows1252(bytes);
}
} // namespace

IniFile IniFile::fromText(const QString& text)
{
    IniFile ini;
    const qsizetype firstLf = text.indexOf(QLatin1Char('\n'));
    ini.m_crlf = firstLf > 0 && text[firstLf - 1] == QLatin1Char('\r');
    ini.m_lines = text.split(QLatin1Char('\n'));
    if (!ini.m_lines.isEmpty() && ini.m_lines.last().isEmpty())
        ini.m_lines.removeLast();
    // Every CR before the line end goes: one kept would come back as part of a CR LF line end next time.
    for (QString& line : ini.m_lines) {
        while (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return ini;
}

QString IniFile::toText() const
{
    const QString eol = m_crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QString text;
    for (const QString& line : m_lines)
        text += line + eol;
    return text;
}

IniFile IniFile::load(const QString& path, IoResult* result)
{
    if (result)
        *result = IoResult::success();
    QByteArray bytes;
    if (IoResult r = ReadRegularFile(path, FileLimit::Settings, bytes); !r) {
        // A missing file simply holds no values.
        if (result && r.kind != IoError::NotFound)
            *result = r;
        return {};
    }
    return fromText(decodeFileText(bytes));
}

IoResult IniFile::save(const QString& path) const
{
    const QByteArray bytes = toText().toUtf8();
    if (bytes.size() > FileLimit::Settings)
        return IoResult::tooLarge(IoStep::Write, path, bytes.size(), FileLimit::Settings);
    // Settings files are the program's own: a link found at their name is replaced, not written through.
    return AtomicFile::save(path, bytes, AtomicFile::Ownership::ProgramFile);
}

qsizetype IniFile::sectionLine(const QString& section) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const auto name = headerName(m_lines[i]);
        if (name && sameName(*name, section))
            return i;
    }
    return -1;
}

qsizetype IniFile::sectionEnd(qsizetype header) const
{
    qsizetype i = header + 1;
    while (i < m_lines.size() && !headerName(m_lines[i]))
        ++i;
    return i;
}

qsizetype IniFile::keyLine(qsizetype header, const QString& key) const
{
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const auto name = keyName(m_lines[i]);
        if (name && sameName(*name, key))
            return i;
    }
    return -1;
}

std::optional<QString> IniFile::value(const QString& section, const QString& key) const
{
    const qsizetype header = sectionLine(section);
    if (header < 0)
        return std::nullopt;
    const qsizetype line = keyLine(header, key);
    if (line < 0)
        return std::nullopt;
    const QString& text = m_lines[line];
    QString v = text.mid(text.indexOf(QLatin1Char('=')) + 1).trimmed();
    if (v.size() >= 2 && (v.front() == QLatin1Char('"') || v.front() == QLatin1Char('\'')) &&
        v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    v.truncate(MaxValueLength);
    return v;
}

QString IniFile::value(const QString& section, const QString& key, const QString& defaultValue) const
{
    return value(section, key).value_or(defaultValue);
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value)
{
    QString v = value;
    v.replace(QLatin1String("\r\n"), QLatin1String(" "));
    v.replace(QLatin1Char('\r'), QLatin1Char(' '));
    v.replace(QLatin1Char('\n'), QLatin1Char(' '));

    const qsizetype header = sectionLine(section);
    if (header < 0) {
        // A new section goes to the end of the file, set off by a blank line.
        if (!m_lines.isEmpty() && !m_lines.last().trimmed().isEmpty())
            m_lines.append(QString());
        m_lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        m_lines.append(key + QLatin1Char('=') + v);
        return;
    }
    const qsizetype line = keyLine(header, key);
    if (line >= 0) {
        // In place, keeping the key as the file spells it.
        m_lines[line] = *keyName(m_lines[line]) + QLatin1Char('=') + v;
        return;
    }
    // After the last non-blank line of the section, so the blank line before the next section stays.
    qsizetype insertAt = sectionEnd(header);
    while (insertAt > header + 1 && m_lines[insertAt - 1].trimmed().isEmpty())
        --insertAt;
    m_lines.insert(insertAt, key + QLatin1Char('=') + v);
}

void IniFile::removeKey(const QString& section, const QString& key)
{
    const qsizetype header = sectionLine(section);
    if (header < 0)
        return;
    // Every copy goes, or a later duplicate would take the place of the removed value.
    for (qsizetype line = keyLine(header, key); line >= 0; line = keyLine(header, key))
        m_lines.removeAt(line);
}
