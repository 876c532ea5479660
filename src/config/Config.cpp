#include "config/Config.h"

#include "config/Colors.h"
#include "config/IniFile.h"
#include "config/Settings.h"
#include "platform/FileSystem.h"

#include <QFileInfo>

namespace {
using K = Config::Key;
using T = Config::Type;
using W = Config::Write;

// In the order of Config::Key.
constexpr Config::Entry kEntries[] = {
    {K::CodePage, "General", "CodePage", T::Text, "windows-1252", W::Last},
    {K::DateFormat, "Date", "DateFormat", T::Text, "m.d.yyyy", W::Last},
    // The locale and Qt formats of the item dates and times, fixed at the data folder's first start (see
    // FolderChoices); no default: a missing key is taken from the locale of the run.
    {K::ItemLocale, "Date", "ItemLocale", T::Text, "", W::Last},
    {K::ItemDateFormat, "Date", "ItemDateFormat", T::Text, "", W::Last},
    {K::ItemTimeFormat, "Date", "ItemTimeFormat", T::Text, "", W::Last},
    {K::ShowGrid, "ToDo Grid", "ShowGrid", T::WordBool, "True", W::Last},
    // Only what the user ticked: the dialog shows whether the desktop really starts the program.
    {K::AutoStart, "ToDo Grid", "AutoStart", T::WordBool, "False", W::Last},
    {K::UseBeginDate, "ToDo Grid", "UseBeginDate", T::NumericBool, "1", W::InPlace},
    // "None" when missing: the program ships a German file, and nobody chose it.
    {K::Language, "Language File", "Selected", T::Text, "None", W::Last},
    {K::PreAlarmTime, "Alarm", "PreAlarm Time", T::Integer, "0", W::Last},
    {K::SoundFile, "Alarm", "Sound File", T::ExistingFile, "", W::Last},
    {K::LastScan, "Alarm", "Last Scan", T::Text, "", W::Last},
    // Empty: the desktop's own font.
    {K::FontName, "Font", "Name", T::Text, "", W::Last},
    {K::FontSize, "Font", "Size", T::Integer, "11", W::Last},
    {K::ToolbarPicture, "Bitmap", "Name", T::Text, "", W::Last},
    {K::WindowState, "Bounds", "WindowState", T::Text, "wsnormal", W::Last},
    {K::WindowLeft, "Bounds", "Left", T::Integer, "", W::Last},
    {K::WindowTop, "Bounds", "Top", T::Integer, "", W::Last},
    {K::WindowWidth, "Bounds", "Width", T::Integer, "", W::Last},
    {K::WindowHeight, "Bounds", "Height", T::Integer, "", W::Last},
    {K::ListHeight, "Bounds", "ListHeight", T::Integer, "", W::Last},
    {K::ActionWidth, "Bounds", "ActionWidth", T::Integer, "", W::Last},
    {K::ColumnWidth, "Columnwidth", "Column%1", T::Integer, "99", W::InPlace},
    {K::StyleText, "", "Text", T::Text, "", W::Last},
    {K::StyleTextSize, "", "TextSize", T::Integer, "0", W::Last},
    // No default: the list and the HTML page each have their own colour for a style without one.
    {K::StyleColor, "", "Color", T::Color, "", W::Last},
    {K::StylePosition, "", "Position", T::Integer, "0", W::Last},
    // No default: the user's documents folder, which only the window knows.
    {K::ExchangeFolder, "Im-Export", "Folder", T::Text, "", W::Last},
    // The sync with a CalDAV server; the password is never here but in the desktop's secret store.
    {K::SyncUrl, "Sync", "Url", T::Text, "", W::InPlace},
    {K::SyncUser, "Sync", "User", T::Text, "", W::InPlace},
    {K::SyncCollection, "Sync", "Collection", T::Text, "", W::InPlace},
    // Minutes between runs; 0: only at start, after changes and on demand.
    {K::SyncInterval, "Sync", "Interval", T::Integer, "5", W::InPlace},
    // Hex SHA-256 of the one certificate the user chose to trust although it failed the checks.
    {K::SyncTrustedCertificate, "Sync", "TrustedCertificate", T::Text, "", W::InPlace},
    // Whether a password was saved for Url and User (the secret store is asked only then).
    {K::SyncPasswordInKeyring, "Sync", "PasswordInKeyring", T::NumericBool, "0", W::InPlace},
};

static_assert(std::size(kEntries) == size_t(K::SyncPasswordInKeyring) + 1, "one entry per key");
constexpr bool inKeyOrder()
{
    for (size_t i = 0; i < std::size(kEntries); ++i)
        if (size_t(kEntries[i].key) != i)
            return false;
    return true;
}
static_assert(inKeyOrder(), "entries in the order of Config::Key");
} // namespace

std::span<const Config::Entry> Config::entries()
{
    return kEntries;
}

const Config::Entry& Config::entry(Key key)
{
    return kEntries[size_t(key)];
}

QString Config::section(Key key, const QString& arg)
{
    const char* s = entry(key).section;
    return *s ? QLatin1String(s) : arg;
}

QString Config::name(Key key, const QString& arg)
{
    const QString n = QLatin1String(entry(key).name);
    return n.contains(QLatin1String("%1")) ? n.arg(arg) : n;
}

std::optional<int> Config::parseInteger(const QString& text)
{
    const QString t = text.trimmed();
    bool ok = false;
    int v = 0;
    if (t.startsWith(QLatin1Char('$')))
        v = t.mid(1).toInt(&ok, 16);
    else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = t.mid(2).toInt(&ok, 16);
    else
        v = t.toInt(&ok, 10);
    return ok ? std::optional<int>(v) : std::nullopt;
}

std::optional<QString> Config::stored(const IniFile& ini, Key key, const QString& arg)
{
    return ini.value(section(key, arg), name(key, arg));
}

QString Config::text(const IniFile& ini, Key key, const QString& arg)
{
    const QString t = stored(ini, key, arg).value_or(defaultText(key));
    if (entry(key).type == Type::ExistingFile && !t.isEmpty() && !QFileInfo(t).isFile())
        return QString();
    return t;
}

std::optional<int> Config::integer(const IniFile& ini, Key key, const QString& arg)
{
    const std::optional<QString> t = stored(ini, key, arg);
    return parseInteger(t ? *t : defaultText(key));
}

bool Config::flag(const IniFile& ini, Key key, const QString& arg)
{
    const bool fallback = entry(key).type == Type::WordBool ? defaultText(key) != QLatin1String("False")
                                                            : parseInteger(defaultText(key)).value_or(0) != 0;
    const std::optional<QString> t = stored(ini, key, arg);
    if (!t)
        return fallback;
    if (entry(key).type == Type::WordBool)
        return *t != QLatin1String("False");
    // "$" is no form of the numeric booleans.
    if (t->trimmed().startsWith(QLatin1Char('$')))
        return fallback;
    const std::optional<int> v = parseInteger(*t);
    return v ? *v != 0 : fallback;
}

std::optional<quint32> Config::color(const IniFile& ini, Key key, const QString& arg)
{
    const std::optional<QString> t = stored(ini, key, arg);
    return t ? TextToColor(*t) : std::nullopt;
}

void Config::setText(IniFile& ini, Key key, const QString& value, const QString& arg)
{
    const QString s = section(key, arg);
    const QString n = name(key, arg);
    if (entry(key).write == Write::Last)
        ini.removeKey(s, n);
    ini.setValue(s, n, value);
}

void Config::setInteger(IniFile& ini, Key key, qint64 value, const QString& arg)
{
    setText(ini, key, QString::number(value), arg);
}

void Config::setFlag(IniFile& ini, Key key, bool value, const QString& arg)
{
    if (entry(key).type == Type::WordBool)
        setText(ini, key, value ? QStringLiteral("True") : QStringLiteral("False"), arg);
    else
        setText(ini, key, value ? QStringLiteral("1") : QStringLiteral("0"), arg);
}

void Config::setColor(IniFile& ini, Key key, quint32 value, const QString& arg)
{
    setText(ini, key, ColorToText(value), arg);
}

QString Config::read(const QString& file, Key key, const QString& arg)
{
    EnsureIniFile(file);
    return text(IniFile::load(file), key, arg);
}

bool Config::readFlag(const QString& file, Key key, const QString& arg)
{
    EnsureIniFile(file);
    return flag(IniFile::load(file), key, arg);
}

IoResult Config::write(const QString& file, Key key, const QString& value, const QString& arg)
{
    return ChangeIniFile(file, [&](IniFile& ini) { setText(ini, key, value, arg); });
}
