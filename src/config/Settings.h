#pragma once

#include "platform/IoResult.h"

#include <QString>

#include <functional>

class IniFile;

// Whole-file routines of the settings file; single values are read and written through Config.

// Reads the code page setting (Config::Key::CodePage) and makes it the code page for list texts. An
// unknown name keeps the default and gives a message for the caller to show; otherwise empty. Reads
// without creating anything, so commands that only read leave the data folder alone.
QString ApplyCodePageSetting(const QString& file);
// Loads, changes and saves the file in one round trip; a file that cannot be read is not written over.
IoResult ChangeIniFile(const QString& file, const std::function<void(IniFile&)>& change);
