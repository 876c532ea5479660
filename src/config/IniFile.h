#pragma once

#include "model/IoResult.h"

#include <QString>
#include <QStringList>

#include <optional>

// An INI file held in memory as its lines, with the rules of the Windows profile-string functions:
// section and key names match without regard to case; a read returns the value trimmed, without one pair
// of enclosing quotes, at most 2047 characters; writing an existing key replaces it in place, a new key
// goes to the end of its section and a new section to the end of the file. Everything else in the file
// (comments, blank lines, unknown lines) is kept as it stands. Saved atomically.
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
    void setValue(const QString& section, const QString& key, const QString& value);
    void removeKey(const QString& section, const QString& key);
    QStringList sections() const;
    QStringList keys(const QString& section) const;

    const QStringList& lines() const { return m_lines; }

private:
    QStringList m_lines;
};
