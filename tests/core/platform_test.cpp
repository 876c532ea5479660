#include "config/LanguageTexts.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/Regional.h"

#include <gtest/gtest.h>

namespace {
class PlatformTest : public ::testing::Test
{
protected:
    void SetUp() override { Clock::setNow(QDateTime(QDate(2026, 12, 6), QTime(12, 0))); }
    void TearDown() override
    {
        Clock::reset();
        CodePage::setCurrent(CodePage::Kind::Windows1252);
    }
};
} // namespace

TEST_F(PlatformTest, Windows1252RoundTripsEveryByte)
{
    CodePage::setCurrent(CodePage::Kind::Windows1252);
    QByteArray all;
    for (int b = 1; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString text = CodePage::decode(all);
    EXPECT_EQ(text[0x80 - 1], QChar(0x20AC)); // euro sign
    EXPECT_EQ(text[0x9F - 1], QChar(0x0178));
    EXPECT_EQ(text[0xE9 - 1], QChar(0x00E9));
    const auto back = CodePage::encode(text);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back.bytes, all);
}

TEST_F(PlatformTest, UnmappableCharactersAreReportedNotDamaged)
{
    CodePage::setCurrent(CodePage::Kind::Windows1252);
    const auto r = CodePage::encode(u"caf\u00e9 \u20ac \u4e2d\u6587 \u4e2d \U0001F600");
    EXPECT_FALSE(r.ok());
    EXPECT_TRUE(r.bytes.isEmpty());
    EXPECT_EQ(r.unmappable, QString::fromUtf16(u"\u4e2d\u6587\U0001F600"));
    const QString msg = UnmappableText(r.unmappable);
    EXPECT_TRUE(msg.contains(QStringLiteral("U+4E2D"))) << msg.toStdString();
    EXPECT_TRUE(msg.contains(QStringLiteral("U+1F600"))) << msg.toStdString();
}

TEST_F(PlatformTest, LenientDateReading)
{
    Regional::setFormats(QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm:ss"));
    // Two-digit years go to the century that puts them within 50 years of today (2026).
    const std::pair<const char*, QDate> read[] = {{"6.12.2026", {2026, 12, 6}},  {"6/12/2026", {2026, 12, 6}},
                                                  {" 06-12-26 ", {2026, 12, 6}}, {"6.12.", {2026, 12, 6}},
                                                  {"1.1.80", {1980, 1, 1}},      {"1.1.76", {2076, 1, 1}},
                                                  {"1.1.77", {1977, 1, 1}}};
    for (const auto& [text, date] : read)
        EXPECT_EQ(Regional::textToDate(QByteArrayView(text)), date) << text;
    for (const char* text : {"", "31.2.2026", "6.12.2026x", "tomorrow", "2026"})
        EXPECT_FALSE(Regional::textToDate(QByteArrayView(text))) << text;

    Regional::setFormats(QStringLiteral("M/d/yyyy"), QStringLiteral("h:mm:ss AP"));
    EXPECT_EQ(Regional::textToDate(QByteArrayView("12/6/2026")), QDate(2026, 12, 6));
    EXPECT_EQ(Regional::textToDateTime(QByteArrayView("12/6/2026 2:30:00 PM")),
              QDateTime(QDate(2026, 12, 6), QTime(14, 30)));
}

TEST_F(PlatformTest, EveryWrittenDateReadsBackUnderEveryFormat)
{
    // Month names included: a date the program writes must be a date it can read again, and an ISO date
    // is one under every format.
    for (const char* format :
         {"dd.MM.yyyy", "M/d/yyyy", "yyyy-MM-dd", "d.M.yy", "d MMMM yyyy", "MMM d, yyyy", "dd-MMM-yy"}) {
        Regional::setFormats(Regional::widenDateFormat(QLatin1String(format)), QStringLiteral("HH:mm:ss"));
        for (QDate d(1901, 1, 1); d.year() < 2100; d = d.addDays(97)) {
            const QString text = Regional::dateToText(d);
            EXPECT_EQ(Regional::textToDate(QStringView(text)), d) << format << " " << text.toStdString();
            EXPECT_EQ(Regional::textToDate(QByteArrayView(text.toLatin1())), d)
                << format << " " << text.toStdString();
            // ISO dates (the C locale's, and scripts') read the same whatever the format.
            EXPECT_EQ(Regional::textToDate(QByteArrayView(d.toString(Qt::ISODate).toLatin1())), d) << format;
        }
    }
}

TEST_F(PlatformTest, TimeReading)
{
    const std::pair<const char*, QTime> read[] = {
        {"14:30:00", {14, 30}}, {"14:30", {14, 30}}, {"12:00:01 AM", {0, 0, 1}}, {"12:00:01 pm", {12, 0, 1}}};
    for (const auto& [text, time] : read)
        EXPECT_EQ(Regional::textToTime(QByteArrayView(text)), time) << text;
    for (const char* text : {"24:00:00", "00:75:00", "13:00 PM", "noon"})
        EXPECT_FALSE(Regional::textToTime(QByteArrayView(text))) << text;
}

TEST_F(PlatformTest, RememberedDatesFollowTheYearAndTheFormats)
{
    // Date texts are remembered once read; what depends on the current year or the format is read anew.
    Regional::setFormats(QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm:ss"));
    const struct
    {
        QDate today;
        const char* text;
        QDate expected;
    } cases[] = {
        {QDate(2026, 12, 6), "1.2.30", QDate(2030, 2, 1)},
        {QDate(2081, 1, 1), "1.2.30", QDate(2130, 2, 1)},
        {QDate(2026, 12, 6), "1.2.", QDate(2026, 2, 1)},
        {QDate(2027, 1, 1), "1.2.", QDate(2027, 2, 1)},
        {QDate(2026, 12, 6), "1.2.2030", QDate(2030, 2, 1)},
        {QDate(2081, 1, 1), "1.2.2030", QDate(2030, 2, 1)},
    };
    for (int pass = 0; pass < 2; ++pass) {
        for (const auto& c : cases) {
            Clock::setNow(QDateTime(c.today, QTime(12, 0)));
            EXPECT_EQ(Regional::textToDate(QByteArrayView(c.text)), c.expected) << c.text << ' ' << pass;
        }
    }
    Regional::setFormats(QStringLiteral("MM/dd/yyyy"), QStringLiteral("HH:mm:ss"));
    EXPECT_EQ(Regional::textToDate(QByteArrayView("1.2.2030")), QDate(2030, 1, 2));
    Regional::setFormats(QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm:ss"));
    EXPECT_EQ(Regional::textToDate(QByteArrayView("1.2.2030")), QDate(2030, 2, 1));
    EXPECT_EQ(Regional::textToTime(QByteArrayView("9:05 pm")), QTime(21, 5));
    EXPECT_EQ(Regional::textToTime(QByteArrayView("9:05 pm")), QTime(21, 5));
    EXPECT_EQ(Regional::textToTime(QByteArrayView("25:00")), std::nullopt);
    EXPECT_EQ(Regional::textToTime(QByteArrayView("25:00")), std::nullopt);
}
