#include "TestUtil.h"
#include "config/IoMessage.h"
#include "platform/DesktopEntry.h"
#include "platform/MimeAppsList.h"
#include "platform/XdgDesktopIntegration.h"

#include <QStandardPaths>

#include <gtest/gtest.h>

using testutil::readAll;
using testutil::writeAll;

namespace {
const QString kTdo = QStringLiteral("application/x-quillmar-tdo");
const QString kTdx = QStringLiteral("application/x-quillmar-tdx");

// desktop-file-validate's complaints about an entry, or empty when it is fine or the tool is missing.
QString validatorComplaints(const QString& path)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (tool.isEmpty())
        return {};
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(tool, {path});
    p.waitForFinished(60000);
    return p.exitCode() == 0 ? QString() : QString::fromUtf8(p.readAll());
}

QString execProgram(const QString& entryPath)
{
    const auto keys = DesktopEntry::readGroup(readAll(entryPath), QStringLiteral("Desktop Entry"));
    const QStringList args = DesktopEntry::splitExec(keys.value(QStringLiteral("Exec")));
    return args.isEmpty() ? QString() : args.first();
}

// A home of its own: the XDG variables point into a temporary folder while the test runs, and the program
// is a file in a folder whose name needs quoting in an Exec line.
class XdgDesktopTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        for (const char* name : kVariables)
            saved.append({name, qgetenv(name)});
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(path("config")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(path("data")));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(path("etc")));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(path("system")));
        QDir().mkpath(path("my programs"));
        program = path("my programs/quillmar $1");
        ASSERT_TRUE(writeAll(program, "#!/bin/sh\n"));
        QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner);
    }
    void TearDown() override
    {
        for (const auto& [name, value] : saved)
            value.isNull() ? qunsetenv(name) : qputenv(name, value);
    }
    QString path(const char* sub) const { return root.filePath(QLatin1String(sub)); }
    QString entry(const char* id) const { return path("data/applications/") + QLatin1String(id); }

    static constexpr const char* kVariables[] = {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CONFIG_DIRS",
                                                 "XDG_DATA_DIRS"};
    QTemporaryDir root;
    QList<std::pair<const char*, QByteArray>> saved;
    QString program;
};
} // namespace

TEST(DesktopEntryTest, ExecValuesQuoteWhatTheyMustAndReadBack)
{
    struct Case
    {
        QString program;
        QString exec; // as the file holds it, before " %f"
    };
    const Case cases[] = {
        {QStringLiteral("/usr/bin/quillmar"), QStringLiteral("/usr/bin/quillmar")},
        {QStringLiteral("/home/a b/quillmar"), QStringLiteral("\"/home/a b/quillmar\"")},
        {QStringLiteral("/opt/100%/quillmar"), QStringLiteral("/opt/100%%/quillmar")},
        {QStringLiteral("/opt/$HOME/q"), QStringLiteral("\"/opt/\\\\$HOME/q\"")},
        {QStringLiteral("/opt/back\\slash"), QStringLiteral("\"/opt/back\\\\\\\\slash\"")},
        {QStringLiteral("/opt/\"q\"`x`;(y)"), QStringLiteral("\"/opt/\\\\\"q\\\\\"\\\\`x\\\\`;(y)\"")},
        {QStringLiteral("/tmp/two\nlines\tq"), QStringLiteral("\"/tmp/two\\nlines\\tq\"")},
        {QString::fromUtf8("/home/jürgen/~q"), QString::fromUtf8("\"/home/jürgen/~q\"")},
    };
    for (const Case& c : cases) {
        const QString value = DesktopEntry::execValue(c.program, QStringLiteral("%f"));
        EXPECT_EQ(value, c.exec + QStringLiteral(" %f")) << c.program.toStdString();
        EXPECT_EQ(DesktopEntry::splitExec(value), QStringList({c.program, QStringLiteral("%f")}))
            << value.toStdString();
        EXPECT_EQ(DesktopEntry::unescapeValue(DesktopEntry::escapeValue(c.program)), c.program);
    }
    // Entries written by others: several arguments, quotes in the middle, spaces around.
    EXPECT_EQ(DesktopEntry::splitExec(QStringLiteral("env  A=1 \"/x y\"/z %U")),
              QStringList({QStringLiteral("env"), QStringLiteral("A=1"), QStringLiteral("/x y/z"),
                           QStringLiteral("%U")}));
}

TEST(MimeAppsListTest, EditsChangeOneLineAndUndoToTheSameBytes)
{
    const QByteArray original = "# kept as it is\r\n"
                                "[Added Associations]\r\n"
                                "application/x-quillmar-tdo=editor.desktop;\r\n"
                                "\r\n"
                                "[Default Applications]\r\n"
                                "text/plain=editor.desktop;\r\n"
                                "application/x-quillmar-tdo = other.desktop;spare.desktop;\r\n"
                                "[Unknown Group]\r\n"
                                "application/x-quillmar-tdo=odd.desktop;";
    MimeAppsList list(original);
    EXPECT_EQ(list.entries(MimeAppsList::DefaultApplications, kTdo),
              QStringList({QStringLiteral("other.desktop"), QStringLiteral("spare.desktop")}));
    list.prepend(MimeAppsList::DefaultApplications, kTdo, QStringLiteral("q.desktop"));
    list.prepend(MimeAppsList::DefaultApplications, kTdx, QStringLiteral("q.desktop"));
    list.prepend(QStringLiteral("New Group"), kTdo, QStringLiteral("q.desktop"));
    const QByteArray edited = list.bytes();
    EXPECT_TRUE(edited.contains("\r\napplication/x-quillmar-tdo=q.desktop;other.desktop;spare.desktop;\r\n"));
    EXPECT_TRUE(edited.contains("[Default Applications]\r\napplication/x-quillmar-tdx=q.desktop;\r\n"));
    EXPECT_TRUE(edited.endsWith("odd.desktop;\n\n[New Group]\napplication/x-quillmar-tdo=q.desktop;\n"));

    MimeAppsList back(edited);
    EXPECT_TRUE(back.remove(MimeAppsList::DefaultApplications, kTdo, QStringLiteral("q.desktop")));
    EXPECT_TRUE(back.remove(MimeAppsList::DefaultApplications, kTdx, QStringLiteral("q.desktop")));
    EXPECT_FALSE(back.remove(MimeAppsList::DefaultApplications, kTdx, QStringLiteral("q.desktop")));
    QByteArray expected = original;
    expected.replace("tdo = other", "tdo=other"); // the one changed line is written in the usual form
    EXPECT_TRUE(back.bytes().startsWith(expected)) << back.bytes().toStdString();
}

TEST_F(XdgDesktopTest, AutostartEntryIsWrittenRemovedAndHidesASystemOne)
{
    XdgDesktopIntegration desktop(program, XdgDesktopIntegration::Folders::fromEnvironment());
    const QString autostart = path("config/autostart/org.quillmar.Quillmar.desktop");
    EXPECT_EQ(desktop.autostartPath(), autostart);
    EXPECT_FALSE(desktop.IsAutoStartEnabled());

    ASSERT_TRUE(desktop.SetAutoStart(program, QStringLiteral("org.quillmar.Quillmar"), true));
    EXPECT_TRUE(desktop.IsAutoStartEnabled());
    EXPECT_EQ(execProgram(autostart), program);
    EXPECT_EQ(validatorComplaints(autostart), QString());

    ASSERT_TRUE(desktop.SetAutoStart(program, QStringLiteral("org.quillmar.Quillmar"), false));
    EXPECT_FALSE(QFileInfo::exists(autostart));
    EXPECT_TRUE(
        desktop.SetAutoStart(program, QStringLiteral("org.quillmar.Quillmar"), false)); // nothing to remove

    // An entry the system starts for every user is hidden for this one rather than left running.
    QDir().mkpath(path("etc/autostart"));
    ASSERT_TRUE(writeAll(path("etc/autostart/org.quillmar.Quillmar.desktop"), "[Desktop Entry]\n"));
    EXPECT_TRUE(desktop.IsAutoStartEnabled());
    ASSERT_TRUE(desktop.SetAutoStart(program, QStringLiteral("org.quillmar.Quillmar"), false));
    EXPECT_FALSE(desktop.IsAutoStartEnabled());
    EXPECT_EQ(DesktopEntry::readGroup(readAll(autostart), QStringLiteral("Desktop Entry"))
                  .value(QStringLiteral("Hidden")),
              QStringLiteral("true"));
}

TEST_F(XdgDesktopTest, AssociationIsDetectedForThisProgramFileOnly)
{
    XdgDesktopIntegration desktop(program);
    EXPECT_FALSE(desktop.IsExtensionRegistered());
    ASSERT_TRUE(desktop.RegisterExtension(QStringLiteral("tdo")));
    ASSERT_TRUE(desktop.RegisterExtension(QStringLiteral(".TDX")));
    EXPECT_TRUE(desktop.IsExtensionRegistered());

    const QString own = entry("org.quillmar.Quillmar.desktop");
    const auto keys = DesktopEntry::readGroup(readAll(own), QStringLiteral("Desktop Entry"));
    EXPECT_EQ(DesktopEntry::splitList(keys.value(QStringLiteral("MimeType"))), QStringList({kTdo, kTdx}));
    EXPECT_EQ(DesktopEntry::splitExec(keys.value(QStringLiteral("Exec"))),
              QStringList({program, QStringLiteral("%f")}));
    EXPECT_EQ(validatorComplaints(own), QString());
    const MimeAppsList list(readAll(path("config/mimeapps.list")));
    EXPECT_EQ(list.entries(MimeAppsList::DefaultApplications, kTdx),
              QStringList({QStringLiteral("org.quillmar.Quillmar.desktop")}));
    EXPECT_TRUE(
        readAll(desktop.mimePackagePath(QStringLiteral("tdx"))).contains("<glob pattern=\"*.tdx\"/>"));
    if (!QStandardPaths::findExecutable(QStringLiteral("update-mime-database")).isEmpty()) {
        EXPECT_TRUE(readAll(path("data/mime/globs2")).contains(kTdx.toUtf8() + ":*.tdx"));
    }

    // The same program through a link is still this program; a moved one is not.
    ASSERT_TRUE(QFile::link(program, path("link")));
    EXPECT_TRUE(XdgDesktopIntegration(path("link")).IsExtensionRegistered());
    const QString moved = path("moved-quillmar");
    ASSERT_TRUE(QFile::rename(program, moved));
    XdgDesktopIntegration movedDesktop(moved);
    EXPECT_FALSE(movedDesktop.IsExtensionRegistered());
    EXPECT_FALSE(desktop.IsExtensionRegistered());
    ASSERT_TRUE(movedDesktop.RegisterExtension(QStringLiteral("tdo")));
    EXPECT_TRUE(movedDesktop.IsExtensionRegistered());
    EXPECT_EQ(execProgram(own), moved);
}

TEST_F(XdgDesktopTest, RemovalLeavesAnotherProgramsEntriesAndChoicesAlone)
{
    // The user's folder holds an entry of our name that this program did not write (an installed copy),
    // and another program is the default for ".tdx".
    const QByteArray foreignEntry = "[Desktop Entry]\nType=Application\nName=Quillmar\n"
                                    "Exec=/usr/bin/quillmar %f\nMimeType=application/x-quillmar-tdo;\n";
    const QByteArray choices = "# my choices\n[Default Applications]\ntext/plain=editor.desktop;\n"
                               "application/x-quillmar-tdx=other.desktop;\n\n[Added Associations]\n"
                               "application/x-quillmar-tdx=other.desktop;\n";
    QDir().mkpath(path("data/applications"));
    QDir().mkpath(path("config"));
    ASSERT_TRUE(writeAll(entry("org.quillmar.Quillmar.desktop"), foreignEntry));
    ASSERT_TRUE(writeAll(path("config/mimeapps.list"), choices));

    XdgDesktopIntegration desktop(program);
    ASSERT_TRUE(desktop.RegisterExtension(QStringLiteral("tdo")));
    ASSERT_TRUE(desktop.RegisterExtension(QStringLiteral("tdx")));
    EXPECT_TRUE(desktop.IsExtensionRegistered());
    EXPECT_EQ(readAll(entry("org.quillmar.Quillmar.desktop")), foreignEntry);
    const QString second = entry("org.quillmar.Quillmar.Lists.desktop");
    EXPECT_EQ(execProgram(second), program);
    EXPECT_EQ(validatorComplaints(second), QString());
    EXPECT_EQ(
        MimeAppsList(readAll(path("config/mimeapps.list"))).entries(MimeAppsList::DefaultApplications, kTdx),
        QStringList(
            {QStringLiteral("org.quillmar.Quillmar.Lists.desktop"), QStringLiteral("other.desktop")}));

    // Removing one extension keeps the other's association.
    ASSERT_TRUE(desktop.UnregisterExtension(QStringLiteral("tdo")));
    EXPECT_FALSE(desktop.IsExtensionRegistered());
    EXPECT_EQ(DesktopEntry::readGroup(readAll(second), QStringLiteral("Desktop Entry"))
                  .value(QStringLiteral("MimeType")),
              kTdx + QLatin1Char(';'));
    ASSERT_TRUE(desktop.UnregisterExtension(QStringLiteral("tdx")));
    EXPECT_EQ(readAll(path("config/mimeapps.list")), choices);
    EXPECT_EQ(readAll(entry("org.quillmar.Quillmar.desktop")), foreignEntry);
    EXPECT_FALSE(QFileInfo::exists(second));
    EXPECT_FALSE(QFileInfo::exists(desktop.mimePackagePath(QStringLiteral("tdo"))));
    EXPECT_FALSE(QFileInfo::exists(desktop.mimePackagePath(QStringLiteral("tdx"))));
}

TEST_F(XdgDesktopTest, TheEntryOfThisProgramInstalledForTheUserServesAsItIs)
{
    const QByteArray installed = "[Desktop Entry]\nType=Application\nName=Quillmar\nExec=" +
                                 DesktopEntry::execValue(program, QStringLiteral("%f")).toUtf8() +
                                 "\nMimeType=application/x-quillmar-tdo;application/x-quillmar-tdx;\n";
    QDir().mkpath(path("data/applications"));
    ASSERT_TRUE(writeAll(entry("org.quillmar.Quillmar.desktop"), installed));
    XdgDesktopIntegration desktop(program);
    ASSERT_TRUE(desktop.RegisterExtension(QStringLiteral("tdo")));
    EXPECT_TRUE(desktop.IsExtensionRegistered());
    EXPECT_FALSE(QFileInfo::exists(entry("org.quillmar.Quillmar.Lists.desktop")));
    ASSERT_TRUE(desktop.UnregisterExtension(QStringLiteral("tdo")));
    EXPECT_FALSE(desktop.IsExtensionRegistered());
    EXPECT_EQ(readAll(entry("org.quillmar.Quillmar.desktop")), installed);
}

TEST_F(XdgDesktopTest, FailuresNameTheFileAndTheReason)
{
    XdgDesktopIntegration desktop(program);
    // A settings folder that is a file; an extension that cannot name a type.
    ASSERT_TRUE(writeAll(path("plain file"), "x"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(path("plain file")));
    const IoResult blocked = XdgDesktopIntegration(program).SetAutoStart(program, {}, true);
    EXPECT_FALSE(blocked.ok);
    EXPECT_FALSE(blocked.reason.isEmpty());
    EXPECT_TRUE(IoMessage(blocked).contains(path("plain file"))) << IoMessage(blocked).toStdString();
    EXPECT_EQ(desktop.RegisterExtension(QStringLiteral("t/do")).kind, IoError::BadName);
    const QString undecodable = QFile::decodeName("/tmp/\xff/quillmar");
    EXPECT_EQ(XdgDesktopIntegration(undecodable).RegisterExtension(QStringLiteral("tdo")).kind,
              IoError::BadName);
}

TEST(XdgMimePackageTest, TheWrittenTypesAreTheInstalledOnes)
{
    const QByteArray installed =
        readAll(QStringLiteral(QUILLMAR_LANGUAGE_DIR "../desktop/org.quillmar.Quillmar.xml"));
    ASSERT_FALSE(installed.isEmpty());
    for (const char* extension : {"tdo", "tdx"}) {
        const QByteArray written = XdgDesktopIntegration::mimePackage(QLatin1String(extension));
        int types = 0;
        for (qsizetype from = 0; (from = written.indexOf("  <mime-type ", from)) >= 0; ++types) {
            const qsizetype to =
                written.indexOf("</mime-type>\n", from) + qsizetype(sizeof "</mime-type>\n") - 1;
            EXPECT_TRUE(installed.contains(written.mid(from, to - from)))
                << written.mid(from, to - from).toStdString();
            from = to;
        }
        EXPECT_GE(types, 1);
    }
}
