#pragma once

#include "platform/DesktopIntegration.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Start at login and the file association on freedesktop systems (GNOME, KDE, Xfce and the others that
// follow the XDG specifications), for the current user only:
// - start at login: the entry "<id>.desktop" in the user's autostart folder;
// - association of an extension: a file type "application/x-quillmar-<extension>" in the user's MIME
//   database, a desktop entry whose Exec starts the program with the file, and that entry as the type's
//   default in the user's mimeapps.list. The MIME and desktop caches are refreshed when their tools are
//   installed.
// Every file is written whole or not at all. Entries this program writes carry a mark, so that undoing the
// association removes only them and never another program's entry or choice.
class XdgDesktopIntegration : public DesktopIntegration
{
public:
    // The user's folders of the XDG base directory rules.
    struct Folders
    {
        QString configHome;     // $XDG_CONFIG_HOME, else ~/.config
        QString dataHome;       // $XDG_DATA_HOME, else ~/.local/share
        QStringList configDirs; // $XDG_CONFIG_DIRS, else /etc/xdg
        QStringList dataDirs;   // $XDG_DATA_DIRS, else /usr/local/share and /usr/share

        static Folders fromEnvironment();
    };

    // The program's desktop id: the name of its desktop entries, icon and MIME package.
    static inline const QString DesktopId = QStringLiteral("org.quillmar.Quillmar");

    explicit XdgDesktopIntegration(const QString& programPath, Folders folders = Folders::fromEnvironment());

    // The entry is always "<DesktopId>.desktop" (name is the entry's name on Windows). Disabling removes it,
    // or hides an entry of that name that the system's folders hold.
    IoResult SetAutoStart(const QString& programPath, const QString& name, bool enable) override;
    // The user's entry decides (hidden or not); without one, an entry in the system's folders.
    bool IsAutoStartEnabled() override;
    IoResult RegisterExtension(const QString& extension) override;
    IoResult UnregisterExtension(const QString& extension) override;
    bool IsExtensionRegistered() override;

    // The MIME type of an extension ("tdo" -> "application/x-quillmar-tdo").
    static QString mimeTypeOf(const QString& extension);
    // The shared-mime-info package that defines that type.
    static QByteArray mimePackage(const QString& extension);

    QString autostartPath() const;
    QString mimeAppsPath() const;
    QString mimePackagePath(const QString& extension) const;
    // Where the association entry of that desktop id is written.
    QString applicationPath(const QString& desktopFile) const;

private:
    // The desktop file name for the association of type: the program's own id, or a second one when the
    // user's folder holds an entry of that name that this program did not write (an installed copy). write
    // is false when that entry is this program's, installed for the user: it serves as it is.
    QString associationEntry(const QString& type, bool& write) const;
    QByteArray associationEntryText(const QString& desktopFile, const QStringList& types) const;
    // The desktop entry a desktop id names: the user's, else the first of the system folders.
    QString findApplication(const QString& desktopFile) const;
    bool isRunningProgram(const QString& program) const;
    IoResult refreshCaches(bool mime, bool applications) const;

    QString m_programPath;
    Folders m_folders;
};
