#include "config/FolderChoices.h"

#include "config/Config.h"
#include "config/IniFile.h"
#include "config/Paths.h"
#include "config/Settings.h"
#include "platform/CodePage.h"
#include "platform/Regional.h"

#include <QFileInfo>

namespace {
using Key = Config::Key;

// A stored value that is empty counts as missing: an empty format would write empty dates.
std::optional<QString> storedValue(const IniFile& ini, Key key)
{
    std::optional<QString> v = Config::stored(ini, key);
    if (v && v->isEmpty())
        return std::nullopt;
    return v;
}

QString utf8Name()
{
    return QStringLiteral("UTF-8");
}
} // namespace

FolderChoices FolderChoices::fromIni(const IniFile& ini, bool newFolder, const QLocale& runLocale)
{
    FolderChoices c;
    const std::optional<QString> codePage = storedValue(ini, Key::CodePage);
    const std::optional<QString> locale = storedValue(ini, Key::ItemLocale);
    const std::optional<QString> date = storedValue(ini, Key::ItemDateFormat);
    const std::optional<QString> time = storedValue(ini, Key::ItemTimeFormat);
    c.incomplete = !codePage || !locale || !date || !time;
    c.codePage = codePage.value_or(newFolder ? utf8Name() : Config::defaultText(Key::CodePage));
    c.itemLocale = locale.value_or(runLocale.name());
    const QLocale formats(c.itemLocale);
    c.dateFormat = date.value_or(Regional::dateFormatOf(formats));
    c.timeFormat = time.value_or(Regional::timeFormatOf(formats));
    return c;
}

bool FolderChoices::dataFolderIsNew()
{
    return !QFileInfo::exists(SettingsFilePath()) && !QFileInfo::exists(StandardListPath()) &&
           !QFileInfo::exists(HistoryListPath());
}

FolderChoices FolderChoices::ofDataFolder(const QLocale& runLocale)
{
    return fromIni(IniFile::load(SettingsFilePath()), dataFolderIsNew(), runLocale);
}

QString FolderChoices::apply() const
{
    Regional::setItemFormats(QLocale(itemLocale), dateFormat, timeFormat);
    if (CodePage::setCurrentByName(codePage))
        return {};
    CodePage::setCurrent(CodePage::Kind::Windows1252);
    return QStringLiteral("The code page \"%1\" in %2 is not known; using %3. Choose \"windows-1252\" or "
                          "\"UTF-8\" in the settings.")
        .arg(codePage, SettingsFilePath(), CodePage::defaultName());
}

IoResult FolderChoices::fix(const QString& settingsFile) const
{
    if (!incomplete)
        return {};
    // Only what is missing is written: a value the user put there stays as it stands.
    return ChangeIniFile(settingsFile, [this](IniFile& ini) {
        const auto fill = [&ini](Key key, const QString& value) {
            if (!storedValue(ini, key))
                Config::setText(ini, key, value);
        };
        fill(Key::CodePage, codePage);
        fill(Key::ItemLocale, itemLocale);
        fill(Key::ItemDateFormat, dateFormat);
        fill(Key::ItemTimeFormat, timeFormat);
    });
}
