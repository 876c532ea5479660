#include "config/LanguageTexts.h"

#include "config/Config.h"
#include "config/IniFile.h"
#include "config/Paths.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSet>
#include <QStandardPaths>

#include <cstring>

namespace {

IniFile readLanguageFile(const QString& path)
{
    QByteArray bytes;
    if (!ReadRegularFile(path, FileLimit::Settings, bytes))
        return IniFile::fromText(QString());
    // Texts come in the code page the settings choose; a file that says it is UTF-8 (byte order mark)
    // is read as UTF-8 whatever that is.
    static const QByteArray utf8Bom("\xEF\xBB\xBF");
    return IniFile::fromText(bytes.startsWith(utf8Bom) ? QString::fromUtf8(bytes.mid(utf8Bom.size()))
                                                       : CodePage::decode(bytes));
}

// Position of section/key in the table, or -1. Names match without regard to case, as in the files.
int indexOf(const char* section, const char* key)
{
    const auto& table = LanguageTexts::table();
    for (size_t i = 0; i < table.size(); ++i) {
        if (qstricmp(table[i].section, section) == 0 && qstricmp(table[i].key, key) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

QString withSlash(QString folder)
{
    folder = QDir::cleanPath(folder);
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}
} // namespace

LanguageTexts& LanguageTexts::shared()
{
    static LanguageTexts texts;
    return texts;
}

LanguageTexts::LanguageTexts()
{
    reset();
}

void LanguageTexts::reset()
{
    m_values.clear();
    m_values.reserve(table().size());
    for (const Entry& e : table())
        m_values.push_back(QString::fromUtf8(e.builtIn));
}

QString LanguageTexts::text(const char* section, const char* key) const
{
    const int i = indexOf(section, key);
    return i < 0 ? QString() : m_values[static_cast<size_t>(i)];
}

bool LanguageTexts::load(const QString& settingsPath, Window window)
{
    const QString path = LanguageFilePath(LanguageInEffect(settingsPath));
    if (path.isEmpty())
        return false;
    loadFile(path, window);
    return true;
}

void LanguageTexts::loadFile(const QString& path, Window window)
{
    // An unreadable file changes no text, like a missing one.
    const IniFile file = readLanguageFile(path);
    for (size_t i = 0; i < table().size(); ++i) {
        const Entry& e = table()[i];
        if (e.window != window)
            continue;
        const QString value =
            file.value(QString::fromLatin1(e.section), QString::fromLatin1(e.key), QString());
        if (!value.isEmpty())
            m_values[i] = value;
    }
}

QString UnmappableText(const QString& characters)
{
    return LanguageTexts::shared()
        .text("Messages", "Unmappable")
        .arg(CodePage::currentName(), CodePage::describeCharacters(characters));
}

QStringList InstalledLanguageFolders()
{
    QStringList folders;
    auto add = [&folders](const QString& folder) {
        const QString f = withSlash(folder);
        if (QFileInfo(f).isDir() && !folders.contains(f))
            folders << f;
    };
    const QString program = ProgramFolder();
    add(program + QStringLiteral("languages"));            // a build tree
    add(SharedDataFolder() + QStringLiteral("languages")); // an installation under a prefix
    for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        add(data + QStringLiteral("/quillmar/languages"));
    return folders;
}

namespace {
// Where language files are looked for, the user's own first.
QStringList languageFolders()
{
    return QStringList{DataFolder()} + InstalledLanguageFolders();
}
} // namespace

QString LanguageFilePath(const QString& name)
{
    // "None" means no file; an empty name would name the folder itself; a name with a folder part is
    // not one of ours.
    if (name.isEmpty() || name == QLatin1String("None") || name.contains(QLatin1Char('/')) ||
        name == QLatin1String(".") || name == QLatin1String(".."))
        return {};
    for (const QString& folder : languageFolders()) {
        const QFileInfo info(folder + name);
        if (info.isFile())
            return info.filePath();
    }
    return {};
}

QString LanguageInEffect(const QString& settingsPath)
{
    // Only read: looking for a language never creates a settings file.
    const std::optional<QString> chosen = Config::stored(IniFile::load(settingsPath), Config::Key::Language);
    if (chosen && !chosen->isEmpty())
        return *chosen;
    // Nobody chose yet: the system's language, when a file for it ships. English is the program's own
    // (English.lng is the translators' template, without the menus' access keys).
    const QLocale::Language system = QLocale::system().language();
    const QString own = QLocale::languageToString(system) + QStringLiteral(".lng");
    return system == QLocale::English || LanguageFilePath(own).isEmpty() ? QStringLiteral("None") : own;
}

QLocale LanguageLocale(const QString& fileName)
{
    const QString name = QFileInfo(fileName).completeBaseName();
    for (int l = QLocale::AnyLanguage + 1; l <= QLocale::LastLanguage; ++l) {
        const auto language = static_cast<QLocale::Language>(l);
        if (QLocale::languageToString(language).compare(name, Qt::CaseInsensitive) == 0)
            return QLocale(language);
    }
    return QLocale::c();
}

QString LanguageDisplayName(const QString& fileName)
{
    const QString path = LanguageFilePath(fileName);
    const QString own = path.isEmpty() ? QString()
                                       : readLanguageFile(path).value(QStringLiteral("Language"),
                                                                      QStringLiteral("Name"), QString());
    if (!own.isEmpty())
        return own;
    return fileName.endsWith(QLatin1String(".lng"), Qt::CaseInsensitive) ? fileName.chopped(4) : fileName;
}

QStringList LanguageFileListing()
{
    QStringList names{QStringLiteral("None")};
    QSet<QString> seen;
    for (const QString& folder : languageFolders()) {
        const QStringList found =
            QDir(folder).entryList({QStringLiteral("*.lng")}, QDir::Files | QDir::Hidden | QDir::System);
        for (const QString& name : found) {
            if (!seen.contains(name)) {
                seen.insert(name);
                names << name;
            }
        }
    }
    return names;
}
