#include "config/Settings.h"

#include "config/Config.h"
#include "config/IniFile.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"

namespace {
// A read goes on after a failed EnsureIniFile: a missing file simply gives the default.
IniFile openForRead(const QString& file)
{
    EnsureIniFile(file);
    return IniFile::load(file);
}

std::optional<qint64> parseInteger(const QString& text)
{
    const QString t = text.trimmed();
    bool ok = false;
    qint64 v = 0;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = t.mid(2).toLongLong(&ok, 16);
    else
        v = t.toLongLong(&ok, 10);
    return ok ? std::optional<qint64>(v) : std::nullopt;
}
} // namespace

QString ReadIniString(const QString& file, const QString& section, const QString& key,
                      const QString& defaultValue)
{
    return openForRead(file).value(section, key, defaultValue);
}

bool ReadIniBool(const QString& file, const QString& section, const QString& key, bool defaultValue)
{
    const auto text = openForRead(file).value(section, key);
    if (!text)
        return defaultValue;
    const auto v = parseInteger(*text);
    return v ? *v != 0 : defaultValue;
}

bool ReadIniWordBool(const QString& file, const QString& section, const QString& key, bool defaultValue)
{
    const auto text = openForRead(file).value(section, key);
    if (!text)
        return defaultValue;
    return *text != QLatin1String("False");
}

IoResult WriteIniString(const QString& file, const QString& section, const QString& key, const QString& value)
{
    return ChangeIniFile(file, [&](IniFile& ini) {
        ini.removeKey(section, key);
        ini.setValue(section, key, value);
    });
}

IoResult WriteIniInteger(const QString& file, const QString& section, const QString& key, qint64 value)
{
    return ChangeIniFile(file, [&](IniFile& ini) { ini.setValue(section, key, QString::number(value)); });
}

IoResult WriteIniBool(const QString& file, const QString& section, const QString& key, bool value)
{
    return ChangeIniFile(file, [&](IniFile& ini) {
        ini.setValue(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
    });
}

QString ApplyCodePageSetting(const QString& file)
{
    const QString name = Config::text(IniFile::load(file), Config::Key::CodePage);
    if (CodePage::setCurrentByName(name))
        return {};
    CodePage::setCurrent(CodePage::Kind::Windows1252);
    return QStringLiteral("The code page \"%1\" in %2 is not known; using %3. Choose \"windows-1252\" or "
                          "\"UTF-8\".")
        .arg(name, file, CodePage::defaultName());
}

QString ReadDateFormat(const QString& file, const QString& defaultValue)
{
    EnsureIniFile(file);
    return Config::stored(IniFile::load(file), Config::Key::DateFormat).value_or(defaultValue);
}

IoResult ChangeIniFile(const QString& file, const std::function<void(IniFile&)>& change)
{
    if (IoResult r = EnsureIniFile(file); !r)
        return r;
    IoResult loaded;
    IniFile ini = IniFile::load(file, &loaded);
    if (!loaded)
        return loaded;
    change(ini);
    return ini.save(file);
}
