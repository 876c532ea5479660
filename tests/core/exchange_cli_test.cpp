#include "config/Paths.h"
#include "exchange/ExchangeCommands.h"
#include "model/ListFile.h"
#include "platform/CodePage.h"
#include "platform/Regional.h"

#include "TestUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <gtest/gtest.h>

#include <sys/stat.h>

using testutil::readAll;
using testutil::writeAll;

namespace {
class ExchangeCliTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CodePage::setCurrent(CodePage::Kind::Windows1252);
        Regional::setFormats(QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm:ss"));
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }

    static ToDoList sample()
    {
        ToDoList list;
        ToDoItem a = ToDoItem::make("Call, then \"write\"", true);
        a.setValue(ToDoItem::Priority, "1");
        a.setValue(ToDoItem::Remarks, "two\r\nlines");
        list.items.push_back(a);
        list.items.push_back(ToDoItem::make("Plain"));
        list.OwnerNames << "Bob";
        return list;
    }

    int run(int (*command)(const QString&, const QString&, QTextStream&), const QString& file,
            const QString& list = QString())
    {
        m_err.clear();
        QTextStream err(&m_err);
        const int status = command(file, list, err);
        err.flush();
        return status;
    }

    int import(const QString& file, const QString& list = QString())
    {
        m_out.clear();
        m_err.clear();
        QTextStream out(&m_out);
        QTextStream err(&m_err);
        const int status = ImportCSVCommand(file, list, out, err);
        out.flush();
        err.flush();
        return status;
    }

    testutil::TempDataFolder m_data{QStringLiteral("data")};
    QTemporaryDir& m_dir = m_data.dir;
    QString m_out;
    QString m_err;
};
} // namespace

TEST_F(ExchangeCliTest, ExportsTheStandardOrANamedList)
{
    // The standard list that was never saved exports as empty.
    ASSERT_EQ(run(ExportCSVCommand, path("empty.csv")), 0) << m_err.toStdString();
    EXPECT_EQ(readAll(path("empty.csv")),
              QByteArray("Actions,Priority,Date In,Target,Remarks,Owner,Project Name,Alarm Time,File "
                         "Location\r\n")); // the header alone

    ASSERT_TRUE(SaveListFile(sample(), StandardListPath()).ok);
    ASSERT_EQ(run(ExportCSVCommand, path("std.csv")), 0) << m_err.toStdString();
    EXPECT_TRUE(readAll(path("std.csv")).endsWith("\r\nPlain,,,,,,,,\r\n"));

    ASSERT_TRUE(SaveHistoryFile(sample(), path("old.tdh")).ok);
    ASSERT_EQ(run(ExportHtmlCommand, path("old.html"), path("old.tdh")), 0) << m_err.toStdString();
    EXPECT_TRUE(readAll(path("old.html")).contains("[completed]</span></td>\r\n"));
}

TEST_F(ExchangeCliTest, FailuresReportAndChangeNothing)
{
    EXPECT_EQ(run(ExportCSVCommand, path("x.csv"), path("missing.tdx")), 1);
    EXPECT_TRUE(m_err.contains(QLatin1String("missing.tdx"))) << m_err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path("x.csv")));

    ASSERT_TRUE(writeAll(path("broken.tdo"), "\x05\x00\x00\x00garbage"));
    EXPECT_EQ(run(ExportHtmlCommand, path("x.html"), path("broken.tdo")), 1);
    EXPECT_FALSE(m_err.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(path("x.html")));

    ASSERT_TRUE(writeAll(SettingsFilePath(), "[Header]\nTextSize=huge\n"));
    EXPECT_EQ(run(ExportHtmlCommand, path("x.html")), 1);
    EXPECT_TRUE(m_err.contains(QLatin1String("Header")) && m_err.contains(QLatin1String("huge")));
    EXPECT_FALSE(QFileInfo::exists(path("x.html")));

    EXPECT_EQ(import(path("absent.csv")), 1);
    EXPECT_TRUE(m_err.contains(QLatin1String("absent.csv")));
    EXPECT_FALSE(QFileInfo::exists(StandardListPath()));

    // Writers leave folders and pipes as they are; an import that reads nothing writes nothing.
    ASSERT_TRUE(SaveListFile(sample(), StandardListPath()).ok);
    const QByteArray list = readAll(StandardListPath());
    ASSERT_TRUE(QDir().mkdir(path("folder")));
    ASSERT_EQ(::mkfifo(path("fifo").toLocal8Bit().constData(), 0600), 0);
    for (const char* target : {"folder", "fifo"}) {
        EXPECT_EQ(run(ExportCSVCommand, path(target)), 1) << target;
        EXPECT_TRUE(m_err.contains(path(target))) << m_err.toStdString();
        EXPECT_EQ(run(ExportHtmlCommand, path(target)), 1) << target;
        EXPECT_EQ(import(path(target)), 1) << target;
        EXPECT_TRUE(m_err.contains(QLatin1String("nothing was imported")) || m_err.contains(path(target)));
    }
    EXPECT_TRUE(QFileInfo(path("folder")).isDir());
    EXPECT_FALSE(QFileInfo(path("fifo")).isFile());
    ASSERT_TRUE(writeAll(path("nul.csv"), QByteArray("a,\0,\r\n", 6)));
    EXPECT_EQ(import(path("nul.csv")), 1);
    EXPECT_TRUE(m_err.contains(QLatin1String("NUL")));
    EXPECT_EQ(readAll(StandardListPath()), list);
}

TEST_F(ExchangeCliTest, ImportSaysWhatItDid)
{
    ASSERT_TRUE(writeAll(path("two.csv"), "A,\r\nB,\r\n"));
    ASSERT_EQ(import(path("two.csv")), 0) << m_err.toStdString();
    EXPECT_EQ(m_out, QStringLiteral("Imported 2 items from %1\n").arg(path("two.csv")));
    const QByteArray list = readAll(StandardListPath());

    // An empty file, or one of empty lines, imports nothing, says so and leaves the list file alone.
    for (const QByteArray& empty : {QByteArray(), QByteArray("\r\n\r\n")}) {
        ASSERT_TRUE(writeAll(path("empty.csv"), empty));
        ASSERT_EQ(import(path("empty.csv")), 0) << m_err.toStdString();
        EXPECT_TRUE(m_out.contains(QLatin1String("no records"))) << m_out.toStdString();
        EXPECT_EQ(readAll(StandardListPath()), list);
    }
}

TEST_F(ExchangeCliTest, ImportAppendsAndSavesInTheListsFormat)
{
    ASSERT_TRUE(writeAll(path("in.csv"), "First,2,,,\\\"a\\r\\nb\",\r\n\r\nSecond,\r\n"));
    ASSERT_TRUE(SaveListFile(sample(), path("ext.tdx")).ok);
    ASSERT_EQ(import(path("in.csv"), path("ext.tdx")), 0) << m_err.toStdString();
    ASSERT_EQ(import(path("in.csv"), path("ext.tdx")), 0) << m_err.toStdString();
    ToDoList list;
    ASSERT_TRUE(ReadListFile(path("ext.tdx"), true, list).ok);
    ASSERT_EQ(list.size(), 6);
    EXPECT_EQ(list.OwnerNames, QByteArrayList{"Bob"});
    EXPECT_EQ(list.items[2].action(), QByteArrayView("First"));
    EXPECT_EQ(list.items[2].value(ToDoItem::Remarks), QByteArrayView("a\r\nb"));
    EXPECT_EQ(list.items[5].action(), QByteArrayView("Second"));

    // A history list stays a history list; the standard list is made when it does not exist yet.
    ASSERT_TRUE(SaveHistoryFile(ToDoList(), path("h.tdh")).ok);
    ASSERT_EQ(import(path("in.csv"), path("h.tdh")), 0) << m_err.toStdString();
    ASSERT_TRUE(ReadListFile(path("h.tdh"), false, list).ok);
    EXPECT_EQ(list.size(), 2);
    ASSERT_EQ(import(path("in.csv")), 0) << m_err.toStdString();
    ASSERT_TRUE(ReadListFile(StandardListPath(), true, list).ok);
    EXPECT_EQ(list.size(), 2);
}
