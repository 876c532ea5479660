// The listing of --print in its three forms, checked against simple reference forms of the same texts, and
// the buffered writer and operation day it relies on.
#include "exchange/ListPrinter.h"
#include "platform/BufferedWriter.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/Regional.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {
const QDate kToday(2026, 12, 6);

class ListingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Regional::setFormats(QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm:ss"));
        CodePage::setCurrent(CodePage::Kind::Windows1252);
    }
    void TearDown() override { CodePage::setCurrent(CodePage::Kind::Windows1252); }

    static QByteArray listing(const ToDoList& list, ListPrinter::Options options = {})
    {
        QByteArray out;
        {
            BufferedWriter writer(&out);
            ListPrinter::write(list, options, kToday, writer);
        }
        return out;
    }
    static QByteArray listing(const ToDoList& list, ListPrinter::Format format)
    {
        ListPrinter::Options options;
        options.format = format;
        return listing(list, options);
    }
};

ToDoItem row(const QByteArray& action, const QByteArray& target = {}, bool checked = false)
{
    ToDoItem it = ToDoItem::make(action, checked);
    it.setValue(ToDoItem::Target, target);
    return it;
}

// The TSV escapes as plain string operations on the decoded text: what the writer must produce.
QByteArray tsvReference(QByteArrayView text)
{
    QString s = CodePage::decode(text);
    s.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    s.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    s.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    s.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return s.toUtf8();
}

QByteArray csvReference(QByteArrayView text)
{
    QString s = CodePage::decode(text);
    if (!s.contains(QLatin1Char(',')) && !s.contains(QLatin1Char('"')) && !s.contains(QLatin1Char('\r')) &&
        !s.contains(QLatin1Char('\n')) && !s.contains(QChar(0)))
        return s.toUtf8();
    return '"' + s.replace(QLatin1Char('"'), QLatin1String("\"\"")).toUtf8() + '"';
}

// Texts that exercise every path of the writer: long plain runs, escapes at word edges, high bytes,
// control characters, and for UTF-8 both good and broken sequences.
QByteArrayList awkwardTexts(bool utf8)
{
    QByteArrayList texts = {"",
                            "plain text longer than eight bytes",
                            "\\",
                            "a\tb\r\nc\n",
                            "\"quoted\", and more",
                            "1234567\\",
                            "12345678\t",
                            QByteArray("nul\0inside", 10),
                            "\x01\x1f\x7f"};
    texts << (utf8 ? QByteArray("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80")
                   : QByteArray("caf\xE9 \x80 \x81\x9F"));
    if (utf8)
        texts << "broken \xC3 and \xE2\x82 and \xFF";
    QRandomGenerator random(13);
    const char pool[] = "ab ,\"\\\t\r\n\x80\xC3\xA9\xE2\x82\xAC\xFF\x01";
    for (int i = 0; i < 200; ++i) {
        QByteArray t;
        const int length = int(random.bounded(40));
        for (int k = 0; k < length; ++k)
            t += pool[random.bounded(int(sizeof pool) - 1)];
        texts << t;
    }
    return texts;
}
} // namespace

TEST_F(ListingTest, EveryFormWritesTextsAsTheirReferenceInBothCodePages)
{
    for (const auto kind : {CodePage::Kind::Windows1252, CodePage::Kind::Utf8}) {
        CodePage::setCurrent(kind);
        for (const QByteArray& text : awkwardTexts(kind == CodePage::Kind::Utf8)) {
            ToDoList list;
            ToDoItem item = row(text);
            item.setValue(ToDoItem::Remarks, text);
            list.items.push_back(item);
            const QByteArray empty = "\t";
            EXPECT_EQ(listing(list, ListPrinter::Format::Tsv), "item\tOpen\t0\t" + tsvReference(text) +
                                                                   empty.repeated(4) + tsvReference(text) +
                                                                   empty.repeated(4) + '\n')
                << text.toHex().constData();
            EXPECT_EQ(
                listing(list, ListPrinter::Format::Csv),
                "Status,Completed,Actions,Priority,Date In,Target,Remarks,Owner,Project Name,Alarm Time,"
                "File Location\r\nOpen,0," +
                    csvReference(text) + ",,,," + csvReference(text) + ",,,,\r\n")
                << text.toHex().constData();
            QJsonParseError error;
            const QJsonDocument json =
                QJsonDocument::fromJson(listing(list, ListPrinter::Format::Json), &error);
            ASSERT_EQ(error.error, QJsonParseError::NoError) << text.toHex().constData();
            const QJsonObject object = json.array().at(0).toObject();
            EXPECT_EQ(object.value(QLatin1String("action")).toString(), CodePage::decode(text));
            EXPECT_EQ(object.value(QLatin1String("remarks")).toString(), CodePage::decode(text));
        }
    }
}

TEST_F(ListingTest, JsonNamesTheFieldsAndAddsReadableDatesInIso)
{
    ToDoList list;
    ToDoItem full = row("full", "7.12.26");
    full.setValue(ToDoItem::DateIn, "05.12.2026");
    full.setValue(ToDoItem::AlarmTime, "9:05");
    full.setValue(ToDoItem::Priority, "2");
    full.appendValue("ninth");
    list.items.push_back(full);
    ToDoItem shortRow;
    shortRow.setAction("short");
    shortRow.setValue(ToDoItem::DateIn, "no date");
    list.items.push_back(shortRow);
    const QJsonArray items = QJsonDocument::fromJson(listing(list, ListPrinter::Format::Json)).array();
    ASSERT_EQ(items.size(), 2);
    const QJsonObject a = items[0].toObject();
    EXPECT_EQ(a.value(QLatin1String("status")).toString(), QStringLiteral("Pending"));
    EXPECT_EQ(a.value(QLatin1String("completed")).toBool(true), false);
    EXPECT_EQ(a.value(QLatin1String("priority")).toString(), QStringLiteral("2"));
    EXPECT_EQ(a.value(QLatin1String("target")).toString(), QStringLiteral("7.12.26"));
    EXPECT_EQ(a.value(QLatin1String("targetISO")).toString(), QStringLiteral("2026-12-07"));
    EXPECT_EQ(a.value(QLatin1String("dateInISO")).toString(), QStringLiteral("2026-12-05"));
    EXPECT_EQ(a.value(QLatin1String("alarmTimeISO")).toString(), QStringLiteral("09:05:00"));
    EXPECT_EQ(a.value(QLatin1String("moreValues")).toArray(), QJsonArray{QStringLiteral("ninth")});
    const QJsonObject b = items[1].toObject();
    // Values the row lacks are empty; dates that cannot be read have no ISO form.
    EXPECT_EQ(b.value(QLatin1String("fileLocation")).toString(QStringLiteral("missing")), QString());
    EXPECT_FALSE(b.contains(QLatin1String("dateInISO")));
    EXPECT_FALSE(b.contains(QLatin1String("targetISO")));
    EXPECT_FALSE(b.contains(QLatin1String("moreValues")));
    EXPECT_EQ(listing(ToDoList(), ListPrinter::Format::Json), "[\n]\n");
}

TEST_F(ListingTest, WriterPassesTextsLongerThanItsBuffer)
{
    QByteArray memory;
    const QByteArray big(3 * BufferedWriter::kCapacity + 5, 'x');
    {
        BufferedWriter writer(&memory);
        writer.append("a");
        writer.append(big);
        char* d = writer.room(2 * BufferedWriter::kCapacity);
        *d++ = 'z';
        writer.commit(d);
        EXPECT_TRUE(writer.finish().ok);
    }
    EXPECT_EQ(memory, "a" + big + "z");
}

TEST(OperationDayTest, HoldsOneDayForTheOperationAndItsInnerOnes)
{
    Clock::setNow(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59)));
    {
        const Clock::OperationDay outer;
        Clock::setNow(QDateTime(QDate(2027, 1, 1), QTime(0, 0, 1)));
        EXPECT_EQ(Clock::today(), QDate(2026, 12, 31));
        {
            const Clock::OperationDay inner(QDate(2030, 1, 1));
            EXPECT_EQ(inner.day(), QDate(2026, 12, 31));
        }
        // Two-digit years are read against the operation's year too.
        EXPECT_EQ(Regional::expandTwoDigitYear(77), 1977);
        EXPECT_EQ(Clock::today(), QDate(2026, 12, 31));
    }
    EXPECT_EQ(Clock::today(), QDate(2027, 1, 1));
    EXPECT_EQ(Regional::expandTwoDigitYear(77), 2077);
    Clock::reset();
}
