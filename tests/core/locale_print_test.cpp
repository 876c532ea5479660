// The same list printed by the program under en_US, de_DE and C gives the same dates and statuses, for a
// new data folder and for one an older version wrote; texts in either code page come out right.
#include "config/IniFile.h"
#include "model/ListFile.h"

#include "TestUtil.h"

#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>

namespace {
const char* const kLocales[] = {"en_US.UTF-8", "de_DE.UTF-8", "C.UTF-8", "C"};

testutil::Outcome runIn(const char* locale, const QString& dataDir, const QStringList& args,
                        bool window = false)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QLatin1String(locale));
    env.insert(QStringLiteral("LANG"), QLatin1String(locale));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    if (window)
        env.insert(QStringLiteral("QUILLMAR_QUIT_WHEN_SHOWN"), QStringLiteral("1"));
    p.setProcessEnvironment(env);
    p.start(testutil::quillmarBin(), QStringList{QStringLiteral("--data-dir"), dataDir} + args);
    if (!p.waitForFinished(60000))
        p.kill();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

class LocalePrintTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(testutil::quillmarBin().isEmpty()) << "QUILLMAR_BIN does not name the built program";
        // Without the locales the runs below would all fall back to C and prove nothing.
        for (const char* locale : {"en_US.UTF-8", "de_DE.UTF-8"})
            ASSERT_NE(std::setlocale(LC_ALL, locale), nullptr)
                << locale << " is not installed; scripts/setup.sh generates it";
        std::setlocale(LC_ALL, "C.UTF-8");
        ASSERT_TRUE(m_dir.isValid());
        m_data = m_dir.filePath(QStringLiteral("data"));
    }

    QString file(const char* name) const { return m_data + QLatin1Char('/') + QLatin1String(name); }

    // Prints the list under every locale and checks that all agree with the first; returns its items.
    QJsonArray printedAlike()
    {
        QByteArray first;
        for (const char* locale : kLocales) {
            const testutil::Outcome r =
                runIn(locale, m_data,
                      {QStringLiteral("--print"), QStringLiteral("--format"), QStringLiteral("json")});
            EXPECT_EQ(r.status, 0) << locale << ": " << r.err.constData();
            if (first.isNull())
                first = r.out;
            EXPECT_EQ(r.out, first) << "under " << locale;
        }
        return QJsonDocument::fromJson(first).array();
    }

    QTemporaryDir m_dir;
    QString m_data;
};

QByteArray dated(const QDate& day, const char* format)
{
    return QLocale::c().toString(day, QLatin1String(format)).toLatin1();
}
} // namespace

TEST_F(LocalePrintTest, ANewFolderFixesUtf8AndTheDatesOfItsFirstStart)
{
    const testutil::Outcome start = runIn("en_US.UTF-8", m_data, {}, true);
    ASSERT_EQ(start.status, 0) << start.err.constData();
    const IniFile ini = IniFile::load(file("Quillmar.ini"));
    EXPECT_EQ(ini.value("General", "CodePage"), QStringLiteral("UTF-8"));
    EXPECT_EQ(ini.value("Date", "ItemDateFormat"), QStringLiteral("M/d/yyyy"));

    // What the window writes under en_US: M/d/yyyy, which de_DE would read as d/M.
    const QDate today = QDate::currentDate();
    const QDate later(2099, 12, 8);
    ToDoList list;
    ToDoItem due = ToDoItem::make("M\xC3\xBCller \xCE\xA9 \xE2\x9C\x93 \xF0\x9F\x98\x80", false);
    due.setValue(ToDoItem::Target, dated(today, "M/d/yyyy"));
    list.items.push_back(due);
    ToDoItem ahead = ToDoItem::make("ahead", false);
    ahead.setValue(ToDoItem::Target, dated(later, "M/d/yyyy"));
    list.items.push_back(ahead);
    ASSERT_TRUE(SaveListFile(list, file("ToDoX.tdo")).ok);

    const QJsonArray items = printedAlike();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0].toObject()["action"].toString(),
              QStringLiteral("M\u00FCller \u03A9 \u2713 \U0001F600"));
    EXPECT_EQ(items[0].toObject()["status"].toString(), QStringLiteral("Today"));
    EXPECT_EQ(items[0].toObject()["targetISO"].toString(), today.toString(Qt::ISODate));
    EXPECT_EQ(items[1].toObject()["targetISO"].toString(), later.toString(Qt::ISODate));
}

// Written by an older version under de_DE: windows-1252 texts, dd.MM.yyyy dates, no keys. It reads as it
// always did under de_DE; its next start fixes that, and from then on every locale reads it alike.
TEST_F(LocalePrintTest, AnOldFolderKeepsItsCodePageAndGetsTheDatesOfItsNextStart)
{
    ASSERT_TRUE(QDir().mkpath(m_data));
    ASSERT_TRUE(testutil::writeAll(file("Quillmar.ini"), "[ToDo Grid]\nShowGrid=True\n"));
    const QDate today = QDate::currentDate();
    ToDoList list;
    ToDoItem due = ToDoItem::make("M\xFCller", false);
    due.setValue(ToDoItem::Target, dated(today, "dd.MM.yyyy"));
    list.items.push_back(due);
    ASSERT_TRUE(SaveListFile(list, file("ToDoX.tdo")).ok);

    const testutil::Outcome before = runIn("de_DE.UTF-8", m_data, {QStringLiteral("--print")});
    EXPECT_TRUE(before.out.startsWith("item\tToday\t0\tM\xC3\xBCller\t")) << before.out.constData();

    const testutil::Outcome start = runIn("de_DE.UTF-8", m_data, {}, true);
    ASSERT_EQ(start.status, 0) << start.err.constData();
    const IniFile ini = IniFile::load(file("Quillmar.ini"));
    EXPECT_EQ(ini.value("General", "CodePage"), QStringLiteral("windows-1252"));
    EXPECT_EQ(ini.value("Date", "ItemDateFormat"), QStringLiteral("dd.MM.yyyy"));

    const QJsonArray items = printedAlike();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0].toObject()["action"].toString(), QStringLiteral("M\u00FCller"));
    EXPECT_EQ(items[0].toObject()["status"].toString(), QStringLiteral("Today"));
    EXPECT_EQ(items[0].toObject()["targetISO"].toString(), today.toString(Qt::ISODate));
}
