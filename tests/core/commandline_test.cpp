// Runs the quillmar program ($QUILLMAR_BIN) on list files written here and checks what it prints.
#include "model/HistoryTail.h"
#include "model/ListFile.h"
#include "platform/CrashPoint.h"
#include "platform/FileSystem.h"
#include "platform/InstanceLock.h"
#include "platform/ListFileHold.h"

#include "TestUtil.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <memory>

#include <sys/resource.h>

using testutil::le32;
using testutil::Outcome;
using testutil::readAll;
using testutil::writeAll;

namespace {
class CommandLineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // These tests are about the program itself: without it they fail rather than pass unseen.
        ASSERT_FALSE(testutil::quillmarBin().isEmpty())
            << "QUILLMAR_BIN does not name the built quillmar program: "
            << qgetenv("QUILLMAR_BIN").constData();
        ASSERT_TRUE(m_dir.isValid());
        m_data = m_dir.filePath(QStringLiteral("data"));
        ASSERT_TRUE(QDir().mkdir(m_data));
    }

    Outcome quillmar(QStringList args, bool withDataDir = true)
    {
        if (withDataDir)
            args = QStringList{QStringLiteral("--data-dir"), m_data} + args;
        return testutil::runQuillmar(args);
    }

    QString data(const char* name) const { return m_data + QLatin1Char('/') + QLatin1String(name); }

    QTemporaryDir m_dir;
    QString m_data;
};
} // namespace

TEST_F(CommandLineTest, PrintsTheStandardListWithStatusEscapesAndNames)
{
    ToDoList list;
    ToDoItem tricky = ToDoItem::make("back\\slash\ttab\r\nline \x80", false);
    tricky.setValue(ToDoItem::Target, "2000-01-01");
    tricky.setValue(ToDoItem::Remarks, "r\\n");
    list.items.push_back(tricky);
    list.items.push_back(ToDoItem::make("done", true));
    ToDoItem bare;
    bare.setAction("bare");
    list.items.push_back(bare);
    ToDoItem three;
    three.setAction("three");
    three.setValue(ToDoItem::Target, "not a date");
    list.items.push_back(three);
    list.OwnerNames = {"Ann", "B\tob"};
    list.ProjectNames = {"Home"};
    ASSERT_TRUE(SaveListFile(list, data("ToDoX.tdo")).ok);

    const Outcome r = quillmar({QStringLiteral("--print")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out,
              "item\tOverdue\t0\tback\\\\slash\\ttab\\r\\nline \xE2\x82\xAC\t\t\t2000-01-01\tr\\\\n\t\t\t\t\n"
              "item\tCompleted\t1\tdone\t\t\t\t\t\t\t\t\n"
              "item\tOpen\t0\tbare\n"
              "item\tPending\t0\tthree\t\t\tnot a date\n"
              "owner\tAnn\n"
              "owner\tB\\tob\n"
              "project\tHome\n");
    // Printing reads only: nothing new in the data folder.
    EXPECT_EQ(QDir(m_data).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"ToDoX.tdo"});
}

TEST_F(CommandLineTest, HistoryFilesAreReadInTheHistoryFormatAndDamagedOnesRefused)
{
    ToDoList list;
    list.items.push_back(ToDoItem::make("old", true));
    ASSERT_TRUE(SaveHistoryFile(list, data("History.tdh")).ok);
    Outcome r = quillmar({QStringLiteral("--print"), data("History.tdh")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "item\tCompleted\t1\told\t\t\t\t\t\t\t\t\n");

    // A move's append cut short after its rows, before the count: read as it was before the move, as the
    // window's next start leaves it.
    const QByteArray records = SerializeRecords({ToDoItem::make("moved", false)});
    for (long step = 1;; ++step) {
        CrashPoint::arm(step);
        const char* at = nullptr;
        try {
            HistoryTail::append(data("History.tdh"), records, 1, nullptr);
        } catch (const CrashPoint::SimulatedCrash& c) {
            at = c.step;
        }
        CrashPoint::reset();
        ASSERT_TRUE(at) << "no crash point between the rows and the count";
        if (QByteArray(at) == "history rows appended")
            break;
        ASSERT_TRUE(HistoryTail::settle(data("History.tdh")));
    }
    r = quillmar({QStringLiteral("--print"), data("History.tdh")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "item\tCompleted\t1\told\t\t\t\t\t\t\t\t\n");

    // A damaged file fails with nothing on standard output.
    ASSERT_TRUE(writeAll(data("bad.tdx"), le32(3) + le32(1)));
    r = quillmar({QStringLiteral("--print"), data("bad.tdx")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains("bad.tdx: damaged at byte 0")) << r.err.toStdString();

    // A file that is no list is called that, and a data folder that is not there is an error.
    ASSERT_TRUE(writeAll(data("notes.txt"), "Buy milk\nCall Bob\n"));
    r = quillmar({QStringLiteral("--print"), data("notes.txt")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("notes.txt is not a to-do list file")) << r.err.toStdString();
    r = testutil::runQuillmar({QStringLiteral("--data-dir"), data("typo"), QStringLiteral("--print")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains("the data folder " + data("typo").toUtf8() + " does not exist"))
        << r.err.toStdString();
}

TEST_F(CommandLineTest, FileNamesAreTakenAsTheSystemGivesThem)
{
    ToDoList list;
    list.items.push_back(ToDoItem::make("One"));
    ASSERT_TRUE(SaveListFile(list, data("ToDoX.tdo")).ok);
    const QString out = m_dir.filePath(QStringLiteral("\u00e4 \u2603.csv"));
    Outcome r = quillmar({QStringLiteral("--export-csv"), out});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(
        readAll(out),
        QByteArray("Actions,Priority,Date In,Target,Remarks,Owner,Project Name,Alarm Time,File Location\r\n"
                   "One,,,,,,,,\r\n"));

    // "-" is standard output.
    r = quillmar({QStringLiteral("--export-csv"), QStringLiteral("-")});
    EXPECT_EQ(r.out, readAll(out));

    // A name that is not valid in the locale's encoding names no file the program could use: refused,
    // and nothing is written under another name.
    const QStringList shell{
        QStringLiteral("-c"),
        QStringLiteral("exec \"$0\" --data-dir \"$1\" --export-csv \"$2$(printf '\\377').csv\""),
        testutil::quillmarBin(), m_data, m_dir.filePath(QStringLiteral("bad"))};
    QProcess p;
    p.start(QStringLiteral("/bin/sh"), shell);
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 1);
    const QByteArray err = p.readAllStandardError();
    EXPECT_TRUE(err.contains("bad\\xff.csv") && err.contains("cannot be represented")) << err.toStdString();
    EXPECT_EQ(QDir(m_dir.path()).entryList(QStringList{QStringLiteral("bad*")}), QStringList());
}

TEST_F(CommandLineTest, ConcurrentImportsLoseNoRows)
{
    // Pairs of imports started together: each either adds all its rows or is refused, never both succeed
    // with the rows of one lost.
    constexpr int kPairs = 30;
    constexpr int kRows = 40;
    int succeeded = 0;
    for (int pair = 0; pair < kPairs; ++pair) {
        std::vector<std::unique_ptr<QProcess>> runs;
        for (int k = 0; k < 2; ++k) {
            const QString csv = m_dir.filePath(QStringLiteral("in%1-%2.csv").arg(pair).arg(k));
            QByteArray text;
            for (int i = 0; i < kRows; ++i)
                text += "Row " + QByteArray::number(pair) + '-' + QByteArray::number(k) + '-' +
                        QByteArray::number(i) + ",\r\n";
            ASSERT_TRUE(writeAll(csv, text));
            auto p = std::make_unique<QProcess>();
            p->start(testutil::quillmarBin(),
                     {QStringLiteral("--data-dir"), m_data, QStringLiteral("--import-csv"), csv});
            runs.push_back(std::move(p));
        }
        for (auto& p : runs) {
            ASSERT_TRUE(p->waitForFinished(60000));
            if (p->exitCode() == 0)
                ++succeeded;
            else
                EXPECT_TRUE(p->readAllStandardError().contains("command-line run"));
        }
    }
    ToDoList list;
    ASSERT_TRUE(ReadListFile(data("ToDoX.tdo"), true, list).ok);
    EXPECT_EQ(list.size(), succeeded * kRows);
    // Waiting for the other run is enough here: none had to be refused.
    EXPECT_EQ(succeeded, 2 * kPairs);
}

TEST_F(CommandLineTest, ExchangeCommandsHonourTheWindowsLock)
{
    // The commands themselves are tested directly; here only what the program adds: the lock.
    ASSERT_TRUE(writeAll(m_dir.filePath(QStringLiteral("in.csv")), "One,\r\n"));
    const QStringList import{QStringLiteral("--import-csv"), m_dir.filePath(QStringLiteral("in.csv"))};
    Outcome r = quillmar(import);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QByteArray before = readAll(data("ToDoX.tdo"));
    EXPECT_TRUE(before.contains("One"));

    // A window of another data folder showing a list file holds it against every run of this user,
    // whatever that run's environment: cron and ssh jobs often lack the session's XDG_RUNTIME_DIR and TMPDIR.
    const QString shown = m_dir.filePath(QStringLiteral("shown.tdx"));
    ASSERT_TRUE(writeAll(shown, before));
    {
        ListFileHold windowHold(shown, ListFileHold::Role::Window);
        ASSERT_TRUE(windowHold.tryHold());
        const QString runtime = m_dir.filePath(QStringLiteral("run"));
        ASSERT_TRUE(QDir().mkdir(runtime));
        const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR"), savedTemp = qgetenv("TMPDIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        qputenv("TMPDIR", QFile::encodeName(m_dir.path()));
        r = quillmar(import + QStringList{shown});
        qputenv("XDG_RUNTIME_DIR", savedRuntime);
        qputenv("TMPDIR", savedTemp);
        EXPECT_EQ(r.status, 1) << r.out.toStdString();
        EXPECT_EQ(readAll(shown), before);
    }

    // While a window holds the data folder, an import is refused and the list stays as it was.
    InstanceLock window(m_data);
    ASSERT_TRUE(window.tryLock());
    r = quillmar(import);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("window")) << r.err.toStdString();
    EXPECT_EQ(readAll(data("ToDoX.tdo")), before);
    // Exports only read and still work.
    const QString out = m_dir.filePath(QStringLiteral("out.csv"));
    EXPECT_EQ(quillmar({QStringLiteral("--export-csv"), out}).status, 0);
    EXPECT_TRUE(readAll(out).endsWith("\r\nOne,,,,,,,,\r\n"));
}

TEST_F(CommandLineTest, ListingOptionsSortFilterAndChooseTheForm)
{
    ToDoList list;
    for (const char* target : {"2001-01-03", "", "2001-01-01", "2999-01-01"}) {
        ToDoItem item = ToDoItem::make(QByteArray("due ") + target);
        item.setValue(ToDoItem::Target, target);
        list.items.push_back(item);
    }
    list.OwnerNames = {"Ann"};
    ASSERT_TRUE(SaveListFile(list, data("ToDoX.tdo")).ok);
    const auto actions = [](const QByteArray& out) {
        QByteArrayList found;
        for (const QByteArray& line : out.split('\n'))
            if (line.startsWith("item\t"))
                found << line.split('\t').value(3);
        return found;
    };

    Outcome r = quillmar({"--print", "--sort", "Target", "--status", "overdue", "--status", "pending"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(actions(r.out), (QByteArrayList{"due 2001-01-01", "due 2001-01-03", "due 2999-01-01"}));
    EXPECT_TRUE(r.out.endsWith("owner\tAnn\n"));
    r = quillmar({"--print", "--sort=target", "--reverse", "--status=open,overdue"});
    EXPECT_EQ(actions(r.out), (QByteArrayList{"due 2001-01-03", "due 2001-01-01", "due "}));

    // The forms themselves are listing_test's.
    r = quillmar({"--print", "--format", "json", "--sort", "target"});
    EXPECT_TRUE(r.out.startsWith("[\n{\"status\":\"Open\"")) << r.out.data();

    // A listing that cannot be written out fails, and says so.
    QProcess p;
    p.start(QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"), QStringLiteral("exec \"$0\" --data-dir \"$1\" --print >/dev/full"),
             testutil::quillmarBin(), m_data});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(p.readAllStandardError().contains("Cannot write to standard output"));
}

TEST_F(CommandLineTest, ListingOptionsRefuseWhatTheyCannotDo)
{
    const struct
    {
        QStringList args;
        const char* message;
    } cases[] = {
        {{"--sort", "target"}, "--sort works only with --print"},
        {{"--export-csv", "x.csv", "--format", "json"}, "--format works only with --print"},
        {{"--print", "--sort", "due"}, "no column \"due\""},
        {{"--print", "--sort"}, "--sort needs a column"},
        {{"--print", "--reverse"}, "--reverse needs --sort"},
        {{"--print", "--status", "late"}, "no status \"late\""},
        {{"--print", "--status", "open,"}, "--status needs a status"},
        {{"--print", "--format", "xml"}, "no format \"xml\""},
        {{"--print=x.tdo"}, "takes the list file as a separate argument"},
        {{"--reverse=yes", "--print"}, "--reverse takes no value"},
        {{"-print"}, "Unknown option: -print"},
        {{"--frobnicate"}, "--frobnicate"},
        {{"--print", "a.tdo", "b.tdo"}, ""},
        {{"--print", "--export-csv", "o.csv"}, ""},
        {{"--data-dir"}, ""},
    };
    for (const auto& c : cases) {
        const Outcome r = quillmar(c.args);
        EXPECT_EQ(r.status, 2) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

// Exports never write over a list, and an import never races the window that shows its list, whatever data
// folder the command line names.
TEST_F(CommandLineTest, ExportsAndImportsNeverReplaceAListTheyMustNot)
{
    ASSERT_TRUE(writeAll(m_dir.filePath(QStringLiteral("in.csv")), "Imported,\r\n"));
    ASSERT_EQ(quillmar({QStringLiteral("--import-csv"), m_dir.filePath(QStringLiteral("in.csv"))}).status, 0);
    const QString list = m_dir.filePath(QStringLiteral("L.tdx"));
    ASSERT_TRUE(QFile::copy(data("ToDoX.tdo"), list));
    ASSERT_TRUE(writeAll(data("Quillmar.ini"), "[Colors]\r\n"));
    const QString standard = data("ToDoX.tdo");
    // A list under another name is still a list: its bytes say so.
    const QString disguised = m_dir.filePath(QStringLiteral("list.csv"));
    ASSERT_TRUE(QFile::copy(data("ToDoX.tdo"), disguised));
    // Nor over the sync's state beside a list.
    const QString state = m_dir.filePath(QStringLiteral(".L.tdx.sync"));
    ASSERT_TRUE(writeAll(state, "state"));
    struct Case
    {
        const char* option;
        QString out;
        QString in;
    };
    for (const Case& c : {Case{"--export-csv", standard, {}}, Case{"--export-ics", list, list},
                          Case{"--export-html", data("Quillmar.ini"), {}},
                          Case{"--export-csv", m_dir.filePath(QStringLiteral("copy.tdo")), list},
                          Case{"--export-csv", disguised, list}, Case{"--export-html", state, list}}) {
        SCOPED_TRACE(c.option + (" " + c.out.toStdString()));
        const QByteArray before = readAll(c.out);
        QStringList args{QLatin1String(c.option), c.out};
        if (!c.in.isEmpty())
            args << c.in;
        const Outcome r = quillmar(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.err.contains("was not written")) << r.err.toStdString();
        EXPECT_EQ(readAll(c.out), before);
    }

    // A window shows the list of this data folder; a run with another data folder imports into its file.
    QProcess window;
    window.start(testutil::quillmarBin(), {QStringLiteral("--data-dir"), m_data});
    ASSERT_TRUE(window.waitForStarted());
    for (int i = 0; i < 300 && !InstanceLock::holder(m_data).held; ++i)
        QThread::msleep(50);
    QThread::msleep(500); // the lists are held once the window has read them
    const QByteArray before = readAll(standard);
    const QString other = m_dir.filePath(QStringLiteral("other"));
    ASSERT_TRUE(QDir().mkdir(other));
    const Outcome r =
        testutil::runQuillmar({QStringLiteral("--data-dir"), other, QStringLiteral("--import-csv"),
                               m_dir.filePath(QStringLiteral("in.csv")), standard});
    window.terminate();
    window.waitForFinished(10000);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("in use by a running Quillmar window")) << r.err.toStdString();
    EXPECT_EQ(readAll(standard), before);
}

// A one-column file is read with a header only when its first line is exactly a column's caption.
TEST_F(CommandLineTest, AOneColumnFileHasAHeaderOnlyWhenItIsExactlyACaption)
{
    for (const auto& [text, expected] :
         {std::pair{"Actions\r\nBuy milk\r\n", QByteArrayList{"Buy milk"}},
          std::pair{"Task Name\r\nBuy milk\r\n", QByteArrayList{"Buy milk"}},
          std::pair{"actions\r\nBuy milk\r\n", QByteArrayList{"actions", "Buy milk"}}}) {
        SCOPED_TRACE(text);
        QFile::remove(data("ToDoX.tdo"));
        const QString in = m_dir.filePath(QStringLiteral("one.csv"));
        ASSERT_TRUE(writeAll(in, text));
        ASSERT_EQ(quillmar({QStringLiteral("--import-csv"), in}).status, 0);
        ToDoList list;
        ASSERT_TRUE(ReadListFile(data("ToDoX.tdo"), true, list).ok);
        QByteArrayList actions;
        for (const ToDoItem& item : list.items)
            actions << item.action().toByteArray();
        EXPECT_EQ(actions, expected);
    }
}

// An export killed after it made its temporary file leaves the old file whole; the next export into that
// folder, to any file, removes the dead run's temporary, and nothing of a live run.
TEST_F(CommandLineTest, TheNextExportRemovesWhatAKilledOneLeftInItsFolder)
{
    const QString out = m_dir.filePath(QStringLiteral("out.csv"));
    ASSERT_TRUE(writeAll(out, "old"));
    qputenv("QUILLMAR_CRASH_AT", "1");
    const Outcome killed = quillmar({QStringLiteral("--export-csv"), out});
    qunsetenv("QUILLMAR_CRASH_AT");
    EXPECT_EQ(killed.status, -1);
    EXPECT_EQ(readAll(out), "old");
    const auto leftovers = [this] {
        return QDir(m_dir.path()).entryList({QStringLiteral(".*quillmar-tmp")}, QDir::Files | QDir::Hidden);
    };
    ASSERT_EQ(leftovers().size(), 1);
    const QString live = QStringLiteral(".out.csv.%1.a.quillmar-tmp").arg(QCoreApplication::applicationPid());
    ASSERT_TRUE(writeAll(m_dir.filePath(live), "x"));

    EXPECT_EQ(
        quillmar({QStringLiteral("--export-html"), m_dir.filePath(QStringLiteral("other.html"))}).status, 0);
    EXPECT_EQ(readAll(out), "old");
    EXPECT_EQ(leftovers().join(QLatin1Char(' ')).toStdString(), live.toStdString());
}

// A folder export that fails part-way (here on a file over the size limit, as on a full disk) removes the
// files it added and the folder it made, keeps the user's other files, and says what it left: how many
// files of an earlier export it had replaced. A folder whose parent is missing is named as such.
TEST_F(CommandLineTest, AFailedFolderExportTakesBackWhatItAddedAndSaysWhatItLeft)
{
    ToDoList earlier;
    for (const char* action : {"one", "two"})
        earlier.items.push_back(ToDoItem::make(action));
    ToDoList now = earlier;
    now.items.push_back(ToDoItem::make("three"));
    ToDoItem big = ToDoItem::make("four");
    big.setValue(ToDoItem::Remarks, QByteArray(64 * 1024, 'r'));
    now.items.push_back(big);
    now.items.push_back(ToDoItem::make("five"));
    const QString earlierList = m_dir.filePath(QStringLiteral("earlier.tdx"));
    const QString nowList = m_dir.filePath(QStringLiteral("now.tdx"));
    ASSERT_TRUE(SaveListFile(earlier, earlierList).ok && SaveListFile(now, nowList).ok);
    const QString vdir = m_dir.filePath(QStringLiteral("vdir/"));
    ASSERT_EQ(quillmar({QStringLiteral("--export-ics"), vdir, earlierList}).status, 0);
    ASSERT_TRUE(writeAll(vdir + QStringLiteral("notes.txt"), "mine"));
    const auto files = [](const QString& folder) {
        return QDir(folder)
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
            .join(' ')
            .toStdString();
    };
    const std::string before = files(vdir);
    ASSERT_EQ(std::count(before.cbegin(), before.cend(), ' '), 2) << before;

    // Every file past 16 KiB fails to be written, as it would on a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 16 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const QString fresh = m_dir.filePath(QStringLiteral("fresh/"));
    const Outcome replacing = quillmar({QStringLiteral("--export-ics"), vdir, nowList});
    const Outcome making = quillmar({QStringLiteral("--export-ics"), fresh, nowList});
    ::setrlimit(RLIMIT_FSIZE, &old);

    EXPECT_EQ(replacing.status, 1);
    EXPECT_TRUE(replacing.err.contains("no space left on the device; 2 files that were in " + vdir.toUtf8() +
                                       " before had already been replaced"))
        << replacing.err.toStdString();
    EXPECT_EQ(files(vdir), before);
    EXPECT_EQ(readAll(vdir + QStringLiteral("notes.txt")), "mine");
    EXPECT_EQ(making.status, 1);
    EXPECT_TRUE(making.err.contains("nothing was left: the folder " + fresh.toUtf8() + " it had made"))
        << making.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(fresh));

    const QString deep = m_dir.filePath(QStringLiteral("missing/vdir/"));
    const Outcome r = quillmar({QStringLiteral("--export-ics"), deep, nowList});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("Cannot create the folder " + deep.toUtf8() +
                               ": the folder it goes in does not exist"))
        << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(m_dir.filePath(QStringLiteral("missing"))));
}

// A folder where the history's mark of an unfinished append belongs is called a folder.
TEST_F(CommandLineTest, AFolderInTheHistorysPlaceIsNamedAsOne)
{
    ASSERT_TRUE(QDir().mkdir(data("History.tdh.cutback")));
    ASSERT_TRUE(writeAll(m_dir.filePath(QStringLiteral("in.csv")), "Done,\r\n"));
    const Outcome r = quillmar(
        {QStringLiteral("--import-csv"), m_dir.filePath(QStringLiteral("in.csv")), data("History.tdh")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(
        r.err.contains("Cannot remove file " + data("History.tdh.cutback").toUtf8() + ": it is a folder"))
        << r.err.toStdString();
}
