#pragma once

#include "platform/IoResult.h"

#include <QString>

#include <functional>

class IniFile;

// Value routines of the settings file. Each one is a complete round trip: EnsureIniFile on the path, open,
// read or write one value, close (a write replaces the file atomically).

QString ReadIniString(const QString& file, const QString& section, const QString& key,
                      const QString& defaultValue);
// Numeric boolean form: an integer (decimal, or hex after "0x"), non-zero meaning true; else the default.
bool ReadIniBool(const QString& file, const QString& section, const QString& key, bool defaultValue);
// Word boolean form: every text other than exactly "False" is true.
bool ReadIniWordBool(const QString& file, const QString& section, const QString& key, bool defaultValue);
// Deletes the key, then writes it: the key ends up last in its section.
IoResult WriteIniString(const QString& file, const QString& section, const QString& key,
                        const QString& value);
// Writes in place.
IoResult WriteIniInteger(const QString& file, const QString& section, const QString& key, qint64 value);
// Writes "1" or "0" in place.
IoResult WriteIniBool(const QString& file, const QString& section, const QString& key, bool value);

// Reads "General"/"CodePage" (default "windows-1252") and makes it the code page for list texts. An
// unknown name keeps the default and gives a message for the caller to show; otherwise empty. Reads
// without creating anything, so commands that only read leave the data folder alone.
QString ApplyCodePageSetting(const QString& file);
// "Date"/"DateFormat" with the caller's default (LoadDateFormat and the item editor differ in it).
QString ReadDateFormat(const QString& file, const QString& defaultValue);
// Loads, changes and saves the file in one round trip; a file that cannot be read is not written over.
IoResult ChangeIniFile(const QString& file, const std::function<void(IniFile&)>& change);
