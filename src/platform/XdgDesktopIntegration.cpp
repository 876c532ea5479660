#include "platform/XdgDesktopIntegration.h"

#include "platform/AtomicFile.h"
#include "platform/DesktopEntry.h"
#include "platform/FileSystem.h"
#include "platform/MimeAppsList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cerrno>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString kEntryGroup = QStringLiteral("Desktop Entry");
// Marks the association entries this program wrote, so that it never removes another one.
const QString kMarkKey = QStringLiteral("X-Quillmar-Association");
// The association entry's name when the user's folder holds an installed entry under the program's id.
const QString kSecondId = XdgDesktopIntegration::DesktopId + QStringLiteral(".Lists");
// Upper bound for the entries and lists read here; they are a few hundred bytes.
constexpr qint64 kSmallFileLimit = FileLimit::Settings;
// How long the cache tools may take.
constexpr int kToolTimeoutMs = 60000;

QString absoluteFolder(const char* variable, const QString& fallback)
{
    // Relative paths in these variables are invalid and ignored.
    const QString value = qEnvironmentVariable(variable);
    return value.startsWith(QLatin1Char('/')) ? QDir::cleanPath(value) : fallback;
}

QStringList absoluteFolders(const char* variable, const QStringList& fallback)
{
    QStringList folders;
    for (const QString& folder : qEnvironmentVariable(variable).split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (folder.startsWith(QLatin1Char('/')))
            folders += QDir::cleanPath(folder);
    return folders.isEmpty() ? fallback : folders;
}

// Creates a folder and the missing ones above it (mode 0700, as the XDG rules ask).
IoResult makeFolder(const QString& path)
{
    const QString clean = QDir::cleanPath(path);
    QString prefix;
    for (const QString& part : clean.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        prefix += QLatin1Char('/') + part;
        const QByteArray name = QFile::encodeName(prefix);
        struct stat st
        {
        };
        if (::stat(name.constData(), &st) == 0) {
            if (S_ISDIR(st.st_mode))
                continue;
            return SystemFailure(IoStep::CreateFolder, prefix, ENOTDIR);
        }
        if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
            return SystemFailure(IoStep::CreateFolder, prefix, errno);
    }
    return IoResult::success();
}

IoResult writeFile(const QString& path, const QByteArray& bytes)
{
    if (IoResult r = makeFolder(QFileInfo(path).absolutePath()); !r)
        return r;
    return AtomicFile::save(path, bytes);
}

// A missing file is no error.
IoResult removeFile(const QString& path)
{
    if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT)
        return SystemFailure(IoStep::Remove, path, errno);
    return IoResult::success();
}

// Reads a small file; a missing one reads as empty.
IoResult readIfPresent(const QString& path, QByteArray& bytes)
{
    bytes.clear();
    IoResult r = ReadRegularFile(path, kSmallFileLimit, bytes);
    if (!r && r.kind == IoError::NotFound && !QFileInfo::exists(path))
        return IoResult::success();
    return r;
}

bool isOurEntry(const QByteArray& bytes)
{
    return DesktopEntry::readGroup(bytes, kEntryGroup).value(kMarkKey) == QLatin1String("true");
}

// The extension as the file type names it (lower case, without the dot), or empty when it cannot be one.
QString normalExtension(const QString& extension)
{
    static const QRegularExpression valid(QStringLiteral("^[a-z0-9]{1,16}$"));
    QString e = extension.toLower();
    if (e.startsWith(QLatin1Char('.')))
        e.remove(0, 1);
    return valid.match(e).hasMatch() ? e : QString();
}

IoResult badExtension(const QString& extension)
{
    return IoResult::failed(IoStep::Associate, extension, IoError::BadName);
}

// A desktop entry holds UTF-8 text: a program path with bytes that are no UTF-8 cannot be written in one.
IoResult checkProgramPath(const QString& path)
{
    if (!path.startsWith(QLatin1Char('/')))
        return IoResult::failed(IoStep::NameProgram, path, IoError::NotFound);
    if (path.contains(QChar::ReplacementCharacter) || QFile::decodeName(QFile::encodeName(path)) != path)
        return IoResult::failed(IoStep::NameProgram, path, IoError::BadName);
    return IoResult::success();
}

QString mimeComment(const QString& extension)
{
    if (extension == QLatin1String("tdo"))
        return QStringLiteral("Quillmar to-do list");
    if (extension == QLatin1String("tdx"))
        return QStringLiteral("Quillmar external to-do list");
    return QStringLiteral("Quillmar file (.%1)").arg(extension);
}

// Leading bytes of a list file (it has no magic number): an empty list is the twelve bytes 0, -1, -1; a
// list with items starts with a count below 65536, the flag length 1, a checked byte of 0 or 1 and a text
// length below 65536. Low priority: the name's glob always wins.
const char* const kListMagic = R"(    <magic priority="20">
      <match type="little32" value="0" offset="0">
        <match type="little32" value="0xffffffff" offset="4">
          <match type="little32" value="0xffffffff" offset="8"/>
        </match>
      </match>
      <match type="little32" mask="0xffff0000" value="0" offset="0">
        <match type="little32" value="1" offset="4">
          <match type="byte" mask="0xfe" value="0" offset="8">
            <match type="little32" mask="0xffff0000" value="0" offset="9"/>
          </match>
        </match>
      </match>
    </magic>
)";
const char* const kHistoryType = R"(  <mime-type type="application/x-quillmar-tdh">
    <comment>Quillmar history list</comment>
    <generic-icon name="x-office-document"/>
    <glob pattern="*.tdh"/>
  </mime-type>
)";
} // namespace

XdgDesktopIntegration::Folders XdgDesktopIntegration::Folders::fromEnvironment()
{
    const QString home = QDir::homePath();
    Folders f;
    f.configHome = absoluteFolder("XDG_CONFIG_HOME", home + QStringLiteral("/.config"));
    f.dataHome = absoluteFolder("XDG_DATA_HOME", home + QStringLiteral("/.local/share"));
    f.configDirs = absoluteFolders("XDG_CONFIG_DIRS", {QStringLiteral("/etc/xdg")});
    f.dataDirs =
        absoluteFolders("XDG_DATA_DIRS", {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")});
    return f;
}

XdgDesktopIntegration::XdgDesktopIntegration(const QString& programPath, Folders folders)
    : m_programPath(programPath.isEmpty() ? QString() : QFileInfo(programPath).absoluteFilePath()),
      m_folders(std::move(folders))
{
}

QString XdgDesktopIntegration::mimeTypeOf(const QString& extension)
{
    return QStringLiteral("application/x-quillmar-") + normalExtension(extension);
}

QByteArray XdgDesktopIntegration::mimePackage(const QString& extension)
{
    const QString e = normalExtension(extension);
    QString xml =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                       "  <mime-type type=\"%1\">\n"
                       "    <comment>%2</comment>\n"
                       "    <icon name=\"%3\"/>\n"
                       "    <generic-icon name=\"x-office-document\"/>\n"
                       "    <glob pattern=\"*.%4\"/>\n")
            .arg(mimeTypeOf(e), mimeComment(e), DesktopId, e);
    if (e == QLatin1String("tdx"))
        xml += QLatin1String(kListMagic);
    xml += QLatin1String("  </mime-type>\n");
    // A history file starts like a list: its own name keeps it from being taken for one by that magic.
    if (e == QLatin1String("tdx"))
        xml += QLatin1String(kHistoryType);
    xml += QLatin1String("</mime-info>\n");
    return xml.toUtf8();
}

QString XdgDesktopIntegration::autostartPath() const
{
    return m_folders.configHome + QStringLiteral("/autostart/") + DesktopId + QStringLiteral(".desktop");
}

QString XdgDesktopIntegration::mimeAppsPath() const
{
    return m_folders.configHome + QStringLiteral("/mimeapps.list");
}

QString XdgDesktopIntegration::mimePackagePath(const QString& extension) const
{
    return m_folders.dataHome + QStringLiteral("/mime/packages/") + DesktopId + QLatin1Char('-') +
           normalExtension(extension) + QStringLiteral(".xml");
}

QString XdgDesktopIntegration::applicationPath(const QString& desktopFile) const
{
    return m_folders.dataHome + QStringLiteral("/applications/") + desktopFile;
}

IoResult XdgDesktopIntegration::SetAutoStart(const QString& programPath, const QString& /*name*/, bool enable)
{
    const QString path = autostartPath();
    if (enable) {
        const QString program =
            programPath.isEmpty() ? m_programPath : QFileInfo(programPath).absoluteFilePath();
        if (IoResult r = checkProgramPath(program); !r)
            return r;
        const QString entry =
            QStringLiteral("[Desktop Entry]\n"
                           "Type=Application\n"
                           "Name=Quillmar\n"
                           "Comment=Start Quillmar at login\n"
                           "Exec=%1\n"
                           "TryExec=%2\n"
                           "Icon=%3\n"
                           "Terminal=false\n"
                           "X-GNOME-Autostart-enabled=true\n")
                .arg(DesktopEntry::execValue(program), DesktopEntry::escapeValue(program), DesktopId);
        return writeFile(path, entry.toUtf8());
    }
    // An entry of the same name in the system's folders starts the program unless the user's hides it.
    for (const QString& folder : m_folders.configDirs) {
        if (QFileInfo(folder + QStringLiteral("/autostart/") + DesktopId + QStringLiteral(".desktop"))
                .isFile())
            return writeFile(path, QByteArrayLiteral("[Desktop Entry]\nType=Application\nName=Quillmar\n"
                                                     "Hidden=true\n"));
    }
    return removeFile(path);
}

bool XdgDesktopIntegration::IsAutoStartEnabled()
{
    auto starts = [](const QString& path) {
        QByteArray bytes;
        if (!readIfPresent(path, bytes) || bytes.isEmpty())
            return false;
        const auto keys = DesktopEntry::readGroup(bytes, kEntryGroup);
        return keys.value(QStringLiteral("Hidden")) != QLatin1String("true") &&
               keys.value(QStringLiteral("X-GNOME-Autostart-enabled")) != QLatin1String("false");
    };
    if (QFileInfo::exists(autostartPath()))
        return starts(autostartPath());
    for (const QString& folder : m_folders.configDirs) {
        if (starts(folder + QStringLiteral("/autostart/") + DesktopId + QStringLiteral(".desktop")))
            return true;
    }
    return false;
}

QString XdgDesktopIntegration::associationEntry(const QString& type, bool& write) const
{
    const QString own = DesktopId + QStringLiteral(".desktop");
    const QString path = applicationPath(own);
    write = true;
    if (!QFileInfo::exists(path))
        return own;
    QByteArray bytes;
    if (!readIfPresent(path, bytes))
        return kSecondId + QStringLiteral(".desktop");
    if (isOurEntry(bytes))
        return own;
    // This program installed for this user: its entry serves as it is.
    const auto keys = DesktopEntry::readGroup(bytes, kEntryGroup);
    const QStringList args = DesktopEntry::splitExec(keys.value(QStringLiteral("Exec")));
    if (!args.isEmpty() && isRunningProgram(args.first()) &&
        DesktopEntry::splitList(keys.value(QStringLiteral("MimeType"))).contains(type) &&
        keys.value(QStringLiteral("Hidden")) != QLatin1String("true")) {
        write = false;
        return own;
    }
    return kSecondId + QStringLiteral(".desktop");
}

QByteArray XdgDesktopIntegration::associationEntryText(const QString& desktopFile,
                                                       const QStringList& types) const
{
    QString text =
        QStringLiteral("[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=Quillmar\n"
                       "GenericName=To-do List\n"
                       "Comment=Open Quillmar to-do lists\n"
                       "Exec=%1\n"
                       "TryExec=%2\n"
                       "Icon=%3\n"
                       "Terminal=false\n"
                       "Categories=Office;ProjectManagement;\n"
                       "MimeType=%4;\n")
            .arg(DesktopEntry::execValue(m_programPath, QStringLiteral("%f")),
                 DesktopEntry::escapeValue(m_programPath), DesktopId, types.join(QLatin1Char(';')));
    // The second entry stands beside an installed one that the menus show already.
    if (desktopFile != DesktopId + QStringLiteral(".desktop"))
        text += QLatin1String("NoDisplay=true\n");
    text += kMarkKey + QStringLiteral("=true\n");
    return text.toUtf8();
}

IoResult XdgDesktopIntegration::RegisterExtension(const QString& extension)
{
    const QString e = normalExtension(extension);
    if (e.isEmpty())
        return badExtension(extension);
    if (IoResult r = checkProgramPath(m_programPath); !r)
        return r;
    const QString type = mimeTypeOf(e);

    if (IoResult r = writeFile(mimePackagePath(e), mimePackage(e)); !r)
        return r;

    // The entry lists every type this program registered, so one entry serves both extensions.
    bool write = true;
    const QString desktopFile = associationEntry(type, write);
    const QString entryPath = applicationPath(desktopFile);
    QByteArray old;
    if (IoResult r = readIfPresent(entryPath, old); !r)
        return r;
    QStringList types;
    if (isOurEntry(old))
        types = DesktopEntry::splitList(
            DesktopEntry::readGroup(old, kEntryGroup).value(QStringLiteral("MimeType")));
    if (!types.contains(type))
        types += type;
    if (write)
        if (IoResult r = writeFile(entryPath, associationEntryText(desktopFile, types)); !r)
            return r;

    QByteArray bytes;
    if (IoResult r = readIfPresent(mimeAppsPath(), bytes); !r)
        return r;
    MimeAppsList list(bytes);
    for (const QString& ours :
         {DesktopId + QStringLiteral(".desktop"), kSecondId + QStringLiteral(".desktop")})
        if (ours != desktopFile)
            list.remove(MimeAppsList::DefaultApplications, type, ours);
    // The user asks for it now: an earlier "not with Quillmar" for this type no longer holds.
    list.remove(MimeAppsList::RemovedAssociations, type, desktopFile);
    list.prepend(MimeAppsList::DefaultApplications, type, desktopFile);
    if (list.bytes() != bytes)
        if (IoResult r = writeFile(mimeAppsPath(), list.bytes()); !r)
            return r;

    return refreshCaches(true, true);
}

IoResult XdgDesktopIntegration::UnregisterExtension(const QString& extension)
{
    const QString e = normalExtension(extension);
    if (e.isEmpty())
        return badExtension(extension);
    const QString type = mimeTypeOf(e);
    const QStringList ours{DesktopId + QStringLiteral(".desktop"), kSecondId + QStringLiteral(".desktop")};

    // Only our ids leave the defaults; another program's stays, and becomes the default again.
    QByteArray bytes;
    if (IoResult r = readIfPresent(mimeAppsPath(), bytes); !r)
        return r;
    MimeAppsList list(bytes);
    bool changed = false;
    for (const QString& id : ours)
        changed = list.remove(MimeAppsList::DefaultApplications, type, id) || changed;
    if (changed)
        if (IoResult r = writeFile(mimeAppsPath(), list.bytes()); !r)
            return r;

    // Our entries lose the type, and go when no type is left; an entry we did not write stays as it is.
    bool entriesChanged = false;
    for (const QString& id : ours) {
        const QString path = applicationPath(id);
        QByteArray old;
        if (IoResult r = readIfPresent(path, old); !r)
            return r;
        if (!isOurEntry(old))
            continue;
        QStringList types = DesktopEntry::splitList(
            DesktopEntry::readGroup(old, kEntryGroup).value(QStringLiteral("MimeType")));
        if (!types.removeAll(type))
            continue;
        entriesChanged = true;
        IoResult r;
        if (types.isEmpty()) {
            r = removeFile(path);
        } else {
            QList<QByteArray> lines = old.split('\n');
            for (QByteArray& line : lines)
                if (line.startsWith("MimeType="))
                    line = QByteArray("MimeType=") + types.join(QLatin1Char(';')).toUtf8() + ';';
            r = writeFile(path, lines.join('\n'));
        }
        if (!r)
            return r;
    }

    const bool hadPackage = QFileInfo::exists(mimePackagePath(e));
    if (IoResult r = removeFile(mimePackagePath(e)); !r)
        return r;
    return refreshCaches(hadPackage, entriesChanged);
}

QString XdgDesktopIntegration::findApplication(const QString& desktopFile) const
{
    if (QFileInfo(applicationPath(desktopFile)).isFile())
        return applicationPath(desktopFile);
    for (const QString& folder : m_folders.dataDirs) {
        const QString path = folder + QStringLiteral("/applications/") + desktopFile;
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

bool XdgDesktopIntegration::isRunningProgram(const QString& program) const
{
    const QString path =
        program.contains(QLatin1Char('/')) ? program : QStandardPaths::findExecutable(program);
    if (path.isEmpty() || m_programPath.isEmpty())
        return false;
    // A program file that is gone opens nothing, whatever its name.
    const QFileInfo named(path);
    const QFileInfo running(m_programPath);
    if (!named.isFile())
        return false;
    if (running.exists())
        return named.canonicalFilePath() == running.canonicalFilePath();
    return QDir::cleanPath(named.absoluteFilePath()) == QDir::cleanPath(running.absoluteFilePath());
}

bool XdgDesktopIntegration::IsExtensionRegistered()
{
    const QString type = mimeTypeOf(QStringLiteral("tdo"));
    QByteArray bytes;
    if (!readIfPresent(mimeAppsPath(), bytes))
        return false;
    // The default is the first listed entry that exists and handles the type.
    for (const QString& id : MimeAppsList(bytes).entries(MimeAppsList::DefaultApplications, type)) {
        const QString path = findApplication(id);
        QByteArray entry;
        if (path.isEmpty() || !readIfPresent(path, entry))
            continue;
        const auto keys = DesktopEntry::readGroup(entry, kEntryGroup);
        if (keys.value(QStringLiteral("Hidden")) == QLatin1String("true") ||
            !DesktopEntry::splitList(keys.value(QStringLiteral("MimeType"))).contains(type))
            continue;
        if (id != DesktopId + QStringLiteral(".desktop") && id != kSecondId + QStringLiteral(".desktop"))
            return false;
        const QStringList args = DesktopEntry::splitExec(keys.value(QStringLiteral("Exec")));
        return !args.isEmpty() && isRunningProgram(args.first());
    }
    return false;
}

IoResult XdgDesktopIntegration::refreshCaches(bool mime, bool applications) const
{
    // The files are in place either way; a desktop without these tools reads them directly or at login.
    const auto run = [](const QString& tool, const QStringList& args) {
        const QString program = QStandardPaths::findExecutable(tool);
        if (program.isEmpty())
            return IoResult::success();
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, args);
        const bool finished = process.waitForStarted() && process.waitForFinished(kToolTimeoutMs);
        if (!finished)
            process.kill();
        if (finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
            return IoResult::success();
        // The tool's own words, else how it ended.
        QString reason = QString::fromLocal8Bit(process.readAll()).trimmed().left(400);
        if (reason.isEmpty())
            reason = finished ? QStringLiteral("exit %1").arg(process.exitCode()) : process.errorString();
        return IoResult::failed(IoStep::RefreshTypes, tool, IoError::Other, reason);
    };
    if (mime)
        if (IoResult r =
                run(QStringLiteral("update-mime-database"), {m_folders.dataHome + QStringLiteral("/mime")});
            !r)
            return r;
    if (applications)
        if (IoResult r = run(QStringLiteral("update-desktop-database"),
                             {QStringLiteral("-q"), m_folders.dataHome + QStringLiteral("/applications")});
            !r)
            return r;
    return IoResult::success();
}
