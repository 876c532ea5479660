// The file layer under every reader and writer: atomic saves, refused targets, bounded reads, the lock.
#include "config/IniFile.h"
#include "config/IoMessage.h"
#include "exchange/CSVExchange.h"
#include "exchange/ToDo2HTML.h"
#include "model/ListFile.h"
#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "platform/InstanceLock.h"

#include "TestUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using testutil::readAll;
using testutil::writeAll;

namespace {
ToDoList sample()
{
    ToDoList list;
    list.items.push_back(ToDoItem::make("One"));
    list.OwnerNames << "Ann";
    return list;
}

// Every writer of the program, writing to path.
const std::vector<std::pair<const char*, std::function<IoResult(const QString&)>>>& writers()
{
    static const std::vector<std::pair<const char*, std::function<IoResult(const QString&)>>> all{
        {"list", [](const QString& p) { return SaveListFile(sample(), p); }},
        {"history", [](const QString& p) { return SaveHistoryFile(sample(), p); }},
        {"settings",
         [](const QString& p) {
             IniFile ini;
             ini.setValue(QStringLiteral("Font"), QStringLiteral("Name"), QStringLiteral("Tahoma"));
             return ini.save(p);
         }},
        {"csv", [](const QString& p) { return WriteCSVFile(p, sample().items); }},
        {"html",
         [](const QString& p) {
             TToDo2HTML html{QString()};
             return html.WriteHTML(sample(), TToDo2HTML::DefaultColumnCaptions(), p);
         }},
    };
    return all;
}

// Every reader of the program, reading path.
const std::vector<std::pair<const char*, std::function<IoResult(const QString&)>>>& readers()
{
    static const std::vector<std::pair<const char*, std::function<IoResult(const QString&)>>> all{
        {"list",
         [](const QString& p) {
             ToDoList l;
             return ReadListFile(p, true, l);
         }},
        {"settings",
         [](const QString& p) {
             IoResult r;
             IniFile::load(p, &r);
             return r;
         }},
        {"csv",
         [](const QString& p) {
             std::vector<ToDoItem> rows;
             return ReadCSVFile(p, rows);
         }},
    };
    return all;
}

class FileIoTest : public ::testing::Test
{
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QStringList entries() const
    {
        return QDir(m_dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
    QTemporaryDir m_dir;
};
} // namespace

TEST_F(FileIoTest, WritersReplaceRegularFilesAndLeaveEverythingElse)
{
    ASSERT_TRUE(QDir().mkdir(path(QStringLiteral("folder"))));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(QStringLiteral("fifo"))).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(path(QStringLiteral("fifo")), path(QStringLiteral("to-fifo"))));
    for (const auto& [name, write] : writers()) {
        // The settings file is the program's own: a link there is replaced
        // (ProgramFilesNeverWriteThroughALink).
        const bool userFile = std::strcmp(name, "settings") != 0;
        for (const char* target : {"folder", "fifo", "to-fifo"}) {
            if (!userFile && std::strcmp(target, "to-fifo") == 0)
                continue;
            const IoResult r = write(path(QLatin1String(target)));
            EXPECT_FALSE(r.ok) << name << " " << target;
            EXPECT_EQ(r.kind, IoError::NotRegular) << name << " " << target;
            EXPECT_TRUE(IoMessage(r).contains(path(QLatin1String(target)))) << IoMessage(r).toStdString();
        }
        // A new file (the user's as other programs make them, the program's own private), a replaced file
        // with its permissions, and a link that stays a link.
        const QString file = path(QLatin1String(name));
        const mode_t oldMask = ::umask(022);
        ASSERT_TRUE(write(file).ok) << name;
        ::umask(oldMask);
        const QFileDevice::Permissions owner =
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser;
        const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::ReadOther;
        EXPECT_EQ(QFileInfo(file).permissions() & 0x7777, userFile ? owner | others : owner) << name;
        ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0640), 0);
        ASSERT_TRUE(writeAll(file, "old"));
        const QString link = file + QLatin1String(".link");
        ASSERT_TRUE(QFile::link(file, link));
        if (userFile) {
            ASSERT_TRUE(write(link).ok) << name;
            EXPECT_TRUE(QFileInfo(link).isSymLink()) << name;
            EXPECT_NE(readAll(file), QByteArray("old")) << name;
        } else {
            ASSERT_TRUE(write(file).ok) << name;
        }
        EXPECT_EQ(QFileInfo(file).permissions() & 0x7777, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                              QFileDevice::ReadUser | QFileDevice::WriteUser |
                                                              QFileDevice::ReadGroup)
            << name;
    }
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("folder"))).isDir());
    EXPECT_FALSE(QFileInfo(path(QStringLiteral("fifo"))).isFile());
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("to-fifo"))).isSymLink());
    // Nothing is left behind beside the files.
    for (const QString& e : entries())
        EXPECT_FALSE(e.startsWith(QLatin1Char('.'))) << e.toStdString();
}

TEST_F(FileIoTest, AFailedWriteKeepsTheOldFileAndSaysWhy)
{
    const QString file = path(QStringLiteral("kept"));
    ASSERT_TRUE(writeAll(file, "old"));
    // A file size limit makes the write fail the way a full disk does, also for root.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const IoResult r = AtomicFile::save(file, QByteArray(4096, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.kind, IoError::NoSpace);
    EXPECT_EQ(r.reason, SystemReason(EFBIG));
    // The program's words for a kind it knows, not the system's.
    EXPECT_TRUE(IoMessage(r).contains(file) && IoMessage(r).contains(QLatin1String("no space left")))
        << IoMessage(r).toStdString();
    EXPECT_EQ(readAll(file), QByteArray("old"));
    EXPECT_EQ(entries(), QStringList{QStringLiteral("kept")});

    const IoResult missing = AtomicFile::save(path(QStringLiteral("no/such/folder/x")), "x");
    EXPECT_EQ(missing.kind, IoError::NotFound);
    EXPECT_TRUE(IoMessage(missing).contains(QLatin1String("does not exist")))
        << IoMessage(missing).toStdString();
}

TEST_F(FileIoTest, ReadersRefuseWhatIsNoFileOrTooLargeBeforeReading)
{
    ASSERT_TRUE(QDir().mkdir(path(QStringLiteral("folder"))));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(QStringLiteral("fifo"))).constData(), 0600), 0);
    // Sparse: larger than every limit, but reading it would take seconds and gigabytes.
    const QString huge = path(QStringLiteral("huge"));
    ASSERT_TRUE(writeAll(huge, QByteArray()));
    ASSERT_EQ(::truncate(QFile::encodeName(huge).constData(), qint64(2) << 30), 0);
    const struct
    {
        QString file;
        IoError kind;
    } cases[] = {
        {path(QStringLiteral("folder")), IoError::NotRegular},
        {path(QStringLiteral("fifo")), IoError::NotRegular}, // must not block waiting for a writer
        {QStringLiteral("/dev/zero"), IoError::NotRegular},
        {huge, IoError::TooLarge},
    };
    for (const auto& [name, read] : readers()) {
        for (const auto& c : cases) {
            const IoResult r = read(c.file);
            EXPECT_EQ(r.kind, c.kind)
                << name << " " << c.file.toStdString() << " " << IoMessage(r).toStdString();
            EXPECT_TRUE(IoMessage(r).contains(c.file)) << IoMessage(r).toStdString();
        }
    }

    // The limit itself is a size the reader takes, one byte more is not.
    const QString edge = path(QStringLiteral("edge"));
    QByteArray bytes;
    ASSERT_TRUE(writeAll(edge, QByteArray(1000, 'a')));
    EXPECT_TRUE(ReadRegularFile(edge, 1000, bytes).ok);
    EXPECT_EQ(bytes.size(), 1000);
    EXPECT_EQ(ReadRegularFile(edge, 999, bytes).kind, IoError::TooLarge);
}

TEST_F(FileIoTest, ALiveLockIsNeverTakenAStaleOneIs)
{
    const QString folder = m_dir.path();
    const QString lockFile = InstanceLock::lockFilePath(folder);

    // Left by a process that died: the file is there, nobody holds it.
    ASSERT_TRUE(writeAll(lockFile, "999999\nwindow\n"));
    EXPECT_FALSE(InstanceLock::holder(folder).held);
    auto first = std::make_unique<InstanceLock>(folder, InstanceLock::Role::CommandLine);
    ASSERT_TRUE(first->tryLock());

    const InstanceLock::Holder h = InstanceLock::holder(folder);
    EXPECT_TRUE(h.held && h.roleKnown);
    EXPECT_EQ(h.role, InstanceLock::Role::CommandLine);
    EXPECT_EQ(h.pid, qint64(::getpid()));

    // Held by a live owner: refused, also after waiting, and the owner keeps it.
    InstanceLock second(folder);
    for (int wait : {0, 200}) {
        EXPECT_FALSE(second.tryLock(wait));
        EXPECT_EQ(second.error().kind, IoError::Busy);
        EXPECT_TRUE(IoMessage(second.error()).contains(QLatin1String("command-line run")))
            << IoMessage(second.error()).toStdString();
        EXPECT_TRUE(QFileInfo::exists(lockFile));
        EXPECT_TRUE(first->isLocked());
    }
    first.reset();
    EXPECT_FALSE(QFileInfo::exists(lockFile));
    ASSERT_TRUE(second.tryLock());
    EXPECT_EQ(InstanceLock::holder(folder).role, InstanceLock::Role::Window);

    // A folder where no lock can be made says why.
    InstanceLock nowhere(path(QStringLiteral("missing")));
    EXPECT_FALSE(nowhere.tryLock());
    EXPECT_EQ(nowhere.error().kind, IoError::NotFound);
    EXPECT_TRUE(IoMessage(nowhere.error()).contains(QLatin1String("does not exist")));
}

// A link planted where the program keeps its own files (the lock, the settings, the recovery copy) must not
// make it write, create or empty the file the link names: the link itself is replaced.
TEST_F(FileIoTest, ProgramFilesNeverWriteThroughALink)
{
    const QString folder = m_dir.path();
    const std::vector<std::pair<const char*, std::function<bool(const QString&)>>> programWriters{
        {"AtomicFile ProgramFile",
         [](const QString& p) { return AtomicFile::save(p, "new", AtomicFile::Ownership::ProgramFile).ok; }},
        {"settings",
         [](const QString& p) {
             IniFile ini;
             ini.setValue(QStringLiteral("Font"), QStringLiteral("Name"), QStringLiteral("Tahoma"));
             return EnsureIniFile(p).ok && ini.save(p).ok;
         }},
        {"lock", [folder](const QString&) { return InstanceLock(folder).tryLock(); }},
    };
    const QString victim = path(QStringLiteral("victim"));
    const QString missing = path(QStringLiteral("not-there"));
    for (const auto& [name, write] : programWriters) {
        for (const bool dangling : {false, true}) {
            const QString at = std::strcmp(name, "lock") == 0 ? InstanceLock::lockFilePath(folder)
                                                              : path(QStringLiteral("Quillmar.ini"));
            ASSERT_TRUE(writeAll(victim, "victim"));
            QFile::remove(missing);
            QFile::remove(at);
            ASSERT_TRUE(QFile::link(dangling ? missing : victim, at));
            EXPECT_TRUE(write(at)) << name << " dangling " << dangling;
            EXPECT_EQ(readAll(victim), QByteArray("victim")) << name;
            EXPECT_FALSE(QFileInfo::exists(missing)) << name;
            EXPECT_FALSE(QFileInfo(at).isSymLink() && QFileInfo(at).exists()) << name;
        }
    }
    // A user's list is still written through its link.
    const QString list = path(QStringLiteral("ToDoX.tdo"));
    ASSERT_TRUE(QFile::link(victim, list));
    ASSERT_TRUE(AtomicFile::save(list, "list").ok);
    EXPECT_TRUE(QFileInfo(list).isSymLink());
    EXPECT_EQ(readAll(victim), QByteArray("list"));
}

TEST_F(FileIoTest, FoldersAndSettingsTheProgramMakesAreTheUsersAlone)
{
    const mode_t oldMask = ::umask(022);
    const QString data = path(QStringLiteral("share/Quillmar"));
    EXPECT_TRUE(EnsurePrivateFolder(data).ok);
    EXPECT_TRUE(EnsureIniFile(data + QStringLiteral("/Quillmar.ini")).ok);
    EXPECT_TRUE(EnsureFolderOf(path(QStringLiteral("lists/ToDoX.tdo"))).ok);
    ::umask(oldMask);
    const auto mode = [](const QString& p) {
        struct stat st
        {
        };
        return ::stat(QFile::encodeName(p).constData(), &st) == 0 ? st.st_mode & 07777 : 07777;
    };
    EXPECT_EQ(mode(path(QStringLiteral("share"))), 0700u);
    EXPECT_EQ(mode(data), 0700u);
    EXPECT_EQ(mode(path(QStringLiteral("lists"))), 0700u);
    EXPECT_EQ(mode(data + QStringLiteral("/Quillmar.ini")), 0600u);
    // An existing folder keeps its mode.
    ASSERT_EQ(::chmod(QFile::encodeName(data).constData(), 0755), 0);
    EXPECT_TRUE(EnsurePrivateFolder(data).ok);
    EXPECT_EQ(mode(data), 0755u);
}

// The files of saves that crashed go when anything is next written into their folder; a save still under
// way (its process alive, or a pid in use again) keeps its file, and only names of exactly our pattern that
// are files count.
TEST_F(FileIoTest, CrashLeftoversOfDeadWritersGoLiveOnesStay)
{
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const QString dead = QString::number(child);

    const QStringList gone{QStringLiteral(".ToDoX.tdo.%1.k3j.quillmar-tmp").arg(dead),
                           QStringLiteral(".Import.tdx.%1.zz.quillmar-tmp").arg(dead)};
    const QStringList kept{QStringLiteral("ToDoX.tdo"),
                           QStringLiteral(".ToDoX.tdo.k3j"),
                           QStringLiteral(".x.quillmar-tmp"),
                           QStringLiteral(".ToDoX.tdo.+%1.k3j.quillmar-tmp").arg(dead),
                           QStringLiteral(".ToDoX.tdo.%1.K3J.quillmar-tmp").arg(dead),
                           QStringLiteral(".ToDoX.tdo.%1.a.quillmar-tmp").arg(::getppid()),
                           QStringLiteral(".Link.tdo.%1.a.quillmar-tmp").arg(dead),
                           QStringLiteral(".Mine.tdo.%1.a.quillmar-tmp").arg(dead)};
    for (const QString& name : gone + kept.mid(0, kept.size() - 2))
        ASSERT_TRUE(writeAll(path(name), "x"));
    // Not files: left alone whatever their names say, and a link is not followed.
    ASSERT_TRUE(QFile::link(path(QStringLiteral("ToDoX.tdo")), path(kept.at(kept.size() - 2))));
    ASSERT_TRUE(QDir().mkdir(path(kept.last())));

    // A save of this process to another file, opened and not yet committed.
    AtomicFile underWay(path(QStringLiteral("Other.tdx")));
    ASSERT_TRUE(underWay.open().ok);
    QStringList now = entries();
    const auto own = std::find_if(now.cbegin(), now.cend(),
                                  [](const QString& n) { return CrashLeftoverPid(n) == ::getpid(); });
    ASSERT_NE(own, now.cend());
    QStringList expected = kept + QStringList{*own};
    expected.sort();
    now.sort();
    EXPECT_EQ(now.join(QLatin1Char(' ')).toStdString(), expected.join(QLatin1Char(' ')).toStdString());
    EXPECT_EQ(readAll(path(QStringLiteral("ToDoX.tdo"))), "x");
    EXPECT_TRUE(underWay.commit().ok);

    // In the data folder, under its lock, every user's are taken.
    ASSERT_TRUE(writeAll(path(gone.first()), "x"));
    EXPECT_EQ(RemoveCrashLeftovers(m_dir.path()), 1);
    EXPECT_FALSE(QFileInfo::exists(path(gone.first())));
}
