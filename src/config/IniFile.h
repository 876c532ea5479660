#pragma once

#include "platform/IoResult.h"

#include <QString>
#include <QStringList>

#include <optional>

// An INI file held in memory as its lines, with the rules of the Windows profile-string functions:
// section and key names match without regard to case; a read returns the value trimmed, without one pair
// of enclosing quotes, at most 2047 characters; writing an existing key replaces it in place, a new key
// goes to the end of its section and a new section to the end of the file. Everything else in the file
// (comments, blank lines, unknown lines) is kept as it stands. Saved atomically, as a file of the
// program's own (a link at its name is replaced, never written through).
//
// Only the first section of a name counts, as with the profile functions. Lines starting with ';' or '#'
// are comments. A file that is valid UTF-8 is read as UTF-8, any other as Windows-1252; it is written as
// UTF-8 without a byte order mark, with the line ends it had (CR LF or LF; LF for a new file).
class IniFile
{
public:
    static constexpr int MaxValueLength = 2047;

    IniFile() = default;
    // Reads the file; a missing file gives an empty IniFile and success.
    static IniFile load(const QString& path, IoResult* result = nullptr);
    IoResult save(const QString& path) const;

    std::optional<QString> value(const QString& section, const QString& key) const;
    QString value(const QString& section, const QString& key, const QString& defaultValue) const;
    // Line breaks inside the value become blanks: they would start new lines in the file.
    void setValue(const QString& section, const QString& key, const QString& value);
    void removeKey(const QString& section, const QString& key);

    // The file text that load() reads and save() writes.
    static IniFile fromText(const QString& text);
    QString toText() const;

private:
    // Index of the first header line of the section, or -1.
    qsizetype sectionLine(const QString& section) const;
    // One past the last line of the section that starts at header.
    qsizetype sectionEnd(qsizetype header) const;
    // Index of the first line of key inside the section that starts at header, or -1.
    qsizetype keyLine(qsizetype header, const QString& key) const;

    QStringList m_lines;
    bool m_crlf = false;
};
