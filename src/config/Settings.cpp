#include "config/Settings.h"

#include "config/Config.h"
#include "config/IniFile.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"

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
