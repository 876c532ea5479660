#include "config/Paths.h"
#include "exchange/ExchangeCommands.h"
#include "model/ListFile.h"
#include "platform/CodePage.h"
#include "platform/Regional.h"

#include "TestUtil.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <gtest/gtest.h>

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

    testutil::TempDataFolder m_data{QStringLiteral("data")};
    QTemporaryDir& m_dir = m_data.dir;
    QString m_err;
};
} // namespace

TEST_F(ExchangeCliTest, ExportsTheStandardOrANamedList)
{
    // The standard list that was never saved exports as empty.
    ASSERT_EQ(run(ExportCsvCommand, path("empty.csv")), 0) << m_err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(path("empty.csv")) && readAll(path("empty.csv")).isEmpty());

    ASSERT_TRUE(SaveListFile(sample(), StandardListPath()).ok);
    ASSERT_EQ(run(ExportCsvCommand, path("std.csv")), 0) << m_err.toStdString();
    EXPECT_TRUE(readAll(path("std.csv")).endsWith("\r\nPlain,,,,,,,,,\r\n"));

    ASSERT_TRUE(SaveHistoryFile(sample(), path("old.tdh")).ok);
    ASSERT_EQ(run(ExportHtmlCommand, path("old.html"), path("old.tdh")), 0) << m_err.toStdString();
    EXPECT_TRUE(readAll(path("old.html")).contains("[completed]</td>\r\n"));
}

TEST_F(ExchangeCliTest, FailuresReportAndChangeNothing)
{
    EXPECT_EQ(run(ExportCsvCommand, path("x.csv"), path("missing.tdx")), 1);
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

    EXPECT_EQ(run(ImportCsvCommand, path("absent.csv")), 1);
    EXPECT_TRUE(m_err.contains(QLatin1String("absent.csv")));
    EXPECT_FALSE(QFileInfo::exists(StandardListPath()));
}

TEST_F(ExchangeCliTest, ImportAppendsAndSavesInTheListsFormat)
{
    ASSERT_TRUE(writeAll(path("in.csv"), "First,2,,,\"a\r\nb\",\r\n\r\nSecond,\r\n"));
    ASSERT_TRUE(SaveListFile(sample(), path("ext.tdx")).ok);
    ASSERT_EQ(run(ImportCsvCommand, path("in.csv"), path("ext.tdx")), 0) << m_err.toStdString();
    ASSERT_EQ(run(ImportCsvCommand, path("in.csv"), path("ext.tdx")), 0) << m_err.toStdString();
    ToDoList list;
    ASSERT_TRUE(ReadListFile(path("ext.tdx"), true, list).ok);
    ASSERT_EQ(list.size(), 6);
    EXPECT_EQ(list.OwnerNames, QByteArrayList{"Bob"});
    EXPECT_EQ(list.items[2].action(), QByteArrayView("First"));
    EXPECT_EQ(list.items[2].value(ToDoItem::Remarks), QByteArrayView("a\r\nb"));
    EXPECT_EQ(list.items[5].action(), QByteArrayView("Second"));

    // A history list stays a history list; the standard list is made when it does not exist yet.
    ASSERT_TRUE(SaveHistoryFile(ToDoList(), path("h.tdh")).ok);
    ASSERT_EQ(run(ImportCsvCommand, path("in.csv"), path("h.tdh")), 0) << m_err.toStdString();
    ASSERT_TRUE(ReadListFile(path("h.tdh"), false, list).ok);
    EXPECT_EQ(list.size(), 2);
    ASSERT_EQ(run(ImportCsvCommand, path("in.csv")), 0) << m_err.toStdString();
    ASSERT_TRUE(ReadListFile(StandardListPath(), true, list).ok);
    EXPECT_EQ(list.size(), 2);
}
