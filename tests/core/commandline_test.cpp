// Runs the quillmar program ($QUILLMAR_BIN) on list files written here and checks what it prints.
#include "model/ListFile.h"
#include "platform/InstanceLock.h"

#include "TestUtil.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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
        if (testutil::quillmarBin().isEmpty())
            GTEST_SKIP() << "QUILLMAR_BIN is not set";
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

TEST_F(CommandLineTest, HistoryFilesAreReadInTheHistoryFormat)
{
    ToDoList list;
    list.items.push_back(ToDoItem::make("old", true));
    ASSERT_TRUE(SaveHistoryFile(list, data("History.tdh")).ok);
    const Outcome r = quillmar({QStringLiteral("--print"), data("History.tdh")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "item\tCompleted\t1\told\t\t\t\t\t\t\t\t\n");
}

TEST_F(CommandLineTest, Utf8CodePageSettingPrintsTextsAsStored)
{
    ASSERT_TRUE(writeAll(data("Quillmar.ini"), "[General]\nCodePage=UTF-8\n"));
    ToDoList list;
    list.items.push_back(ToDoItem::make("caf\xC3\xA9"));
    ASSERT_TRUE(SaveListFile(list, data("x.tdx")).ok);
    const Outcome r = quillmar({QStringLiteral("--print"), data("x.tdx")});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.startsWith("item\tOpen\t0\tcaf\xC3\xA9\t")) << r.out.toStdString();
}

TEST_F(CommandLineTest, UnreadableFilesFailWithNothingOnStandardOutput)
{
    ASSERT_TRUE(writeAll(data("bad.tdx"), le32(3) + le32(1)));
    Outcome r = quillmar({QStringLiteral("--print"), data("bad.tdx")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains("bad.tdx: damaged at byte 0")) << r.err.toStdString();

    r = quillmar({QStringLiteral("--print"), data("missing.tdx")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains("missing.tdx")) << r.err.toStdString();
}

TEST_F(CommandLineTest, MissingStandardListPrintsNothingAndCreatesNothing)
{
    const QString fresh = m_dir.filePath(QStringLiteral("fresh"));
    const Outcome r = quillmar({QStringLiteral("--data-dir"), fresh, QStringLiteral("--print")}, false);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(fresh));
}

TEST_F(CommandLineTest, HelpVersionAndUsageErrors)
{
    Outcome r = quillmar({QStringLiteral("--help")}, false);
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.contains("--print [LISTFILE]"));
    EXPECT_TRUE(r.out.contains("--data-dir DIR"));

    r = quillmar({QStringLiteral("--version")}, false);
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.startsWith("Quillmar ")) << r.out.toStdString();

    r = quillmar({QStringLiteral("--frobnicate")});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains("--frobnicate"));
    EXPECT_TRUE(r.out.isEmpty());

    r = quillmar({QStringLiteral("--print"), QStringLiteral("a.tdo"), QStringLiteral("b.tdo")});
    EXPECT_EQ(r.status, 2);
    r = quillmar({QStringLiteral("--print"), QStringLiteral("--export-csv"), QStringLiteral("o.csv")});
    EXPECT_EQ(r.status, 2);
    r = quillmar({QStringLiteral("--data-dir")}, false);
    EXPECT_EQ(r.status, 2);
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
    EXPECT_EQ(readAll(out), QByteArray("One,,,,,,,,,\r\n"));
}
