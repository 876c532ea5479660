#pragma once

#include "platform/IoResult.h"

#include <QString>

#include <optional>
#include <span>

class IniFile;

// Every key of the settings file: its section, name, type, default and how it is written, in one table
// (Config.cpp). Nothing else in the program names a settings key; readers and writers go through the
// typed accessors here, so a key reads by the same rules wherever it is read.
//
// Keys of the style sections ("Header", "Open Item Color", ...) and the column widths are one entry each,
// with the section or the column number given as the accessor's arg.
class Config
{
public:
    enum class Key
    {
        CodePage,
        DateFormat,
        ItemLocale,
        ItemDateFormat,
        ItemTimeFormat,
        ShowGrid,
        AutoStart,
        UseBeginDate,
        Language,
        PreAlarmTime,
        SoundFile,
        LastScan,
        FontName,
        FontSize,
        ToolbarPicture,
        WindowState,
        WindowLeft,
        WindowTop,
        WindowWidth,
        WindowHeight,
        ListHeight,
        ActionWidth,
        ColumnWidth, // arg: the column number
        StyleText,   // arg of the four Style keys: the style section
        StyleTextSize,
        StyleColor,
        StylePosition,
        ExchangeFolder, // where the Im-Export file dialogs start
        SyncUrl,
        SyncUser,
        SyncCollection,
        SyncInterval,
        SyncTrustedCertificate,
        SyncPasswordInKeyring,
    };

    enum class Type
    {
        Text,
        // Decimal with an optional sign, or hexadecimal after "$" or "0x".
        Integer,
        // Every text other than exactly "False" is true; written "True"/"False".
        WordBool,
        // An integer, non-zero meaning true; written "1"/"0".
        NumericBool,
        // A colour name ("clRed") or number; see Colors.h.
        Color,
        // A path that counts only while it names an existing file; empty otherwise.
        ExistingFile,
    };

    enum class Write
    {
        // The key is removed and written again: it ends up last in its section.
        Last,
        // An existing key keeps its place.
        InPlace,
    };

    struct Entry
    {
        Key key;
        const char* section; // empty: the arg names it
        const char* name;    // "%1" is replaced by the arg
        Type type;
        const char* defaultValue;
        Write write;
    };

    static std::span<const Entry> entries();
    static const Entry& entry(Key key);
    static QString section(Key key, const QString& arg = QString());
    static QString name(Key key, const QString& arg = QString());
    static QString defaultText(Key key) { return QLatin1String(entry(key).defaultValue); }

    // ---- Reading from a loaded file ----
    // The stored text, trimmed, or nothing when the key is missing.
    static std::optional<QString> stored(const IniFile& ini, Key key, const QString& arg = QString());
    // The stored text or the default; for ExistingFile keys empty unless the file exists.
    static QString text(const IniFile& ini, Key key, const QString& arg = QString());
    // Integer keys: the number, the default for a missing key, nothing for a text that is no number.
    static std::optional<int> integer(const IniFile& ini, Key key, const QString& arg = QString());
    // Bool keys by their form; a numeric text that is no integer gives the default.
    static bool flag(const IniFile& ini, Key key, const QString& arg = QString());
    // Color keys: nothing when missing or unreadable (see colorIsReadable).
    static std::optional<quint32> color(const IniFile& ini, Key key, const QString& arg = QString());

    // ---- Writing into a loaded file, by the key's write rule ----
    static void setText(IniFile& ini, Key key, const QString& value, const QString& arg = QString());
    static void setInteger(IniFile& ini, Key key, qint64 value, const QString& arg = QString());
    static void setFlag(IniFile& ini, Key key, bool value, const QString& arg = QString());
    static void setColor(IniFile& ini, Key key, quint32 value, const QString& arg = QString());

    // ---- One value in one round trip of the file (see Settings.h) ----
    static QString read(const QString& file, Key key, const QString& arg = QString());
    static bool readFlag(const QString& file, Key key, const QString& arg = QString());
    static IoResult write(const QString& file, Key key, const QString& value, const QString& arg = QString());

    // The integer forms of the settings file; nothing for anything else.
    static std::optional<int> parseInteger(const QString& text);
};
