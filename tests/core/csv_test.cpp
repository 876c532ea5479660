#include "exchange/CSVRecordReader.h"
#include "exchange/CSVconvert.h"
#include "exchange/CsvExchange.h"
#include "platform/CodePage.h"

#include "TestUtil.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
QByteArrayList lineFields(QByteArrayView line)
{
    QByteArrayList fields;
    CSVLineToFields(line, fields);
    return fields;
}

QList<QByteArrayList> records(QByteArrayView text)
{
    QList<QByteArrayList> out;
    std::vector<QByteArrayView> fields;
    CSVRecordReader reader(text);
    while (reader.next(fields)) {
        QByteArrayList r;
        for (QByteArrayView f : fields)
            r << f.toByteArray();
        out << r;
    }
    return out;
}

ToDoItem row(const QByteArray& action, const QByteArrayList& values = {}, bool checked = false)
{
    ToDoItem item = ToDoItem::make(action, checked);
    for (int k = 0; k < values.size(); ++k)
        item.setValue(k, values[k]);
    return item;
}

// Export then import; the rows that come back.
std::vector<ToDoItem> roundTrip(const std::vector<ToDoItem>& rows)
{
    std::vector<ToDoItem> back;
    EXPECT_TRUE(CSVToRows(RowsToCSV(rows), back).ok);
    return back;
}

class CsvTest : public ::testing::Test
{
protected:
    void SetUp() override { CodePage::setCurrent(CodePage::Kind::Windows1252); }
    void TearDown() override { CodePage::setCurrent(CodePage::Kind::Windows1252); }
    QString path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }
    QTemporaryDir m_dir;
};
} // namespace

TEST_F(CsvTest, WritesTheThreeFieldFormsEachClosedByItsSeparator)
{
    EXPECT_EQ(FieldsToCSVLine({"plain", "", "a,b", "say \"hi\"", "\"q,\"", "x\r\ny", "\"two\nlines\""}),
              QByteArray("plain,,\"a,b\",\"\"say \"hi\"\"\",\"\"q,\"\",\"x\r\ny\",\"\"two\nlines\"\","));
    EXPECT_EQ(FieldsToCSVLine({}), QByteArray());

    std::vector<ToDoItem> rows{row("Call Bob", {"1", "06.12.2026", "", "Ask, then \"wait\""}), row("")};
    rows[1] = ToDoItem(); // a row that holds no column values at all
    EXPECT_EQ(RowsToCSV(rows), QByteArray("Call Bob,1,06.12.2026,,\"Ask, then \"wait\"\",,,,,\r\n,\r\n"));
}

TEST_F(CsvTest, ReadsFieldsByTheirFirstTwoBytes)
{
    EXPECT_EQ(lineFields("a,\"b,c\",\"\"d\"e\"\",,"), (QByteArrayList{"a", "b,c", "d\"e", ""}));
    // The scan runs to the end of the line: short last fields and lines are not lost.
    EXPECT_EQ(lineFields("a,b,"), (QByteArrayList{"a", "b"}));
    EXPECT_EQ(lineFields("1,2,3"), (QByteArrayList{"1", "2", "3"}));
    EXPECT_EQ(lineFields("x"), QByteArrayList{"x"});
    EXPECT_EQ(lineFields(","), QByteArrayList{""});
    EXPECT_TRUE(lineFields("").isEmpty());
    // Standard CSV doubling keeps both quotes of each pair.
    EXPECT_EQ(lineFields("\"a\"\"b\",x,"), (QByteArrayList{"a\"\"b", "x"}));
    // A quote followed by a comma ends a quoted field early; the rest moves one column on.
    EXPECT_EQ(lineFields("\"x\",y,z\","), (QByteArrayList{"x", "y", "z\""}));
    // Unclosed quoted fields run to the end of the line, cut before the first quote.
    EXPECT_EQ(lineFields("a,\"bc\"d"), (QByteArrayList{"a", "bc"}));
    EXPECT_EQ(lineFields("\"\"ab,cd\","), QByteArrayList{"ab,cd"});
    EXPECT_EQ(lineFields("a,\""), (QByteArrayList{"a", ""}));

    QByteArrayList f;
    EXPECT_EQ(ReadCSVField("\"a,b\",x,", "\",", 1, 8, f), 6);
    EXPECT_EQ(ReadCSVField("\"\"a\"b\"\",", "\"\",", 1, 8, f), 8);
    EXPECT_EQ(ReadCSVField("x,", ",", 3, 4, f), 4);
    EXPECT_EQ(ReadCSVField("\"open", "\",", 5, 9, f), 9);
    EXPECT_EQ(f, (QByteArrayList{"a,b", "a\"b", "x", "open"}));
}

TEST_F(CsvTest, SingleLineTextsComeBackAsTheFormsAllow)
{
    // Plain texts of every form are covered by the random round trip below; bytes above ASCII are not.
    const QByteArray latin = "\xE4\xF6\xFC \x80";
    auto back = roundTrip({row(latin, {latin, "", latin})});
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0], row(latin, {latin, "", latin}));

    // A comma text beginning with a quote reads as a double-quoted field that never closes: it is cut
    // before the next quote and the rest of its line is lost.
    back = roundTrip({row("\"q\" said, no", {"1", "2"})});
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].action(), QByteArrayView("q"));
    EXPECT_EQ(back[0].value(0), QByteArrayView());

    // A quote directly followed by a comma cuts a comma text and shifts the later values.
    back = roundTrip({row("a\",b,c", {"P"})});
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].action(), QByteArrayView("a"));
    EXPECT_EQ(back[0].value(0), QByteArrayView("b"));
    EXPECT_EQ(back[0].value(1), QByteArrayView("c\""));
}

TEST_F(CsvTest, TextsOfSeveralLinesRoundTrip)
{
    const QByteArrayList texts{"one\r\ntwo",   "blank\r\n\r\nline",      "\r\nleading",
                               "trailing\r\n", "say \"hi\"\r\nthen, go", "end \"quoted\"\r\n"};
    std::vector<ToDoItem> rows;
    for (const QByteArray& t : texts)
        rows.push_back(row(t, {"1", "", "", t, "Bob"}));
    rows.push_back(row("single", {"2"}));
    const auto back = roundTrip(rows);
    ASSERT_EQ(back.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(back[i], rows[i]) << i;

    // Line breaks of any kind come back as CR LF.
    const auto lf = roundTrip({row("a\nb\rc")});
    ASSERT_EQ(lf.size(), 1u);
    EXPECT_EQ(lf[0].action(), QByteArrayView("a\r\nb\r\nc"));
}

TEST_F(CsvTest, AFieldLeftOpenAtTheEndOfTheTextClosesOnItsFirstLine)
{
    EXPECT_EQ(records("\"ab\"c\r\nx,y,\r\n"), (QList<QByteArrayList>{{"ab"}, {"x", "y"}}));
    // Continued until the separator turns up, wherever it is; the record ends on that line.
    EXPECT_EQ(records("a,\"b\r\nc\r\n\r\nd\",e,\r\nf,\r\n"),
              (QList<QByteArrayList>{{"a", "b\r\nc\r\n\r\nd", "e"}, {"f"}}));
    EXPECT_EQ(records("\"\"x\n\"\",y,"), (QList<QByteArrayList>{{"x\r\n", "y"}}));
}

TEST_F(CsvTest, LinesEndAtCrLfLfOrCrAndEmptyLinesAreSkipped)
{
    EXPECT_EQ(records("a,\r\nb,\nc,\rd,"), (QList<QByteArrayList>{{"a"}, {"b"}, {"c"}, {"d"}}));
    EXPECT_EQ(records("\r\n\r\na,\r\n\n\r\rb,\r\n"), (QList<QByteArrayList>{{"a"}, {"b"}}));
    EXPECT_EQ(records(QByteArrayView("a,\r\nb,\0c,\r\n", 11)), (QList<QByteArrayList>{{"a"}, {"b"}}));
    EXPECT_TRUE(records("").isEmpty());

    CSVRecordReader reader("\r\nx,\r\n\r\ny,");
    std::vector<QByteArrayView> f;
    ASSERT_TRUE(reader.next(f));
    EXPECT_EQ(reader.lineNumber(), 2);
    ASSERT_TRUE(reader.next(f));
    EXPECT_EQ(reader.lineNumber(), 4);
    EXPECT_FALSE(reader.next(f));
}

TEST_F(CsvTest, RecordsFillAllEightColumnsAndDropExtraFields)
{
    std::vector<ToDoItem> rows;
    ASSERT_TRUE(CSVToRows("only,\r\nA,1,2,3,4,5,6,7,8,9,10,\r\n", rows).ok);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], ToDoItem::make("only"));
    EXPECT_EQ(rows[1].valueCount(), 8);
    EXPECT_EQ(rows[1].value(ToDoItem::FileLocation), QByteArrayView("8"));
    EXPECT_FALSE(rows[1].checked());
}

TEST_F(CsvTest, FilesLoseTheCompletedFlagAndImportAppendsEveryTime)
{
    const std::vector<ToDoItem> rows{row("done", {"1"}, true), row("open", {"2"})};
    ASSERT_TRUE(WriteCSVFile(path("l.csv"), rows).ok);
    EXPECT_EQ(testutil::readAll(path("l.csv")), QByteArray("done,1,,,,,,,,\r\nopen,2,,,,,,,,\r\n"));

    ToDoList list;
    list.items.push_back(row("existing"));
    int added = 0;
    ASSERT_TRUE(ImportCSVFile(path("l.csv"), list, &added).ok);
    ASSERT_TRUE(ImportCSVFile(path("l.csv"), list).ok);
    EXPECT_EQ(added, 2);
    ASSERT_EQ(list.size(), 5);
    EXPECT_EQ(list.items[0].action(), QByteArrayView("existing"));
    EXPECT_EQ(list.items[1], row("done", {"1"}));
    EXPECT_EQ(list.items[3], row("done", {"1"}));

    ASSERT_TRUE(WriteCSVFile(path("empty.csv"), {}).ok);
    EXPECT_TRUE(testutil::readAll(path("empty.csv")).isEmpty());
    EXPECT_TRUE(QFileInfo::exists(path("empty.csv")));
}

TEST_F(CsvTest, ImportAddsAllOrNothing)
{
    ToDoList list;
    list.items.push_back(row("keep"));
    const ToDoList before = list;

    const IoResult missing = ImportCSVFile(path("nope.csv"), list);
    EXPECT_FALSE(missing.ok);
    EXPECT_TRUE(missing.error.contains(QLatin1String("nope.csv")));

    // Under UTF-8, a file in another code page is refused as a whole, naming the first bad line.
    CodePage::setCurrent(CodePage::Kind::Utf8);
    ASSERT_TRUE(testutil::writeAll(path("latin.csv"), "fine,\r\n\xC3\xA4 ok,\r\nM\xFCller,\r\nlast,\r\n"));
    const IoResult bad = ImportCSVFile(path("latin.csv"), list);
    EXPECT_FALSE(bad.ok);
    EXPECT_TRUE(bad.error.contains(QLatin1String("line 3"))) << bad.error.toStdString();
    EXPECT_EQ(list.items, before.items);

    ASSERT_TRUE(testutil::writeAll(path("bom.csv"), "\xEF\xBB\xBF\xC3\xA4,\r\n"));
    ASSERT_TRUE(ImportCSVFile(path("bom.csv"), list).ok);
    EXPECT_EQ(list.items.back().action(), QByteArrayView("\xC3\xA4"));

    ASSERT_FALSE(WriteCSVFile(path("no/such/dir/out.csv"), before.items).ok);
}

TEST_F(CsvTest, FileReaderAndLineReaderAgreeOnEveryLine)
{
    // Lines of the bytes that matter, at every offset against the reader's 64-byte blocks.
    const char alphabet[] = {'a', ',', ' ', '"'};
    quint32 seed = 12345;
    const auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    for (int round = 0; round < 3000; ++round) {
        QByteArray line;
        const int length = int(next() >> 16) % 140;
        const int letters = round % 2 ? 4 : 3; // every other line without quotes
        for (int i = 0; i < length; ++i)
            line += alphabet[(next() >> 16) % letters];
        const QByteArray padding(int(next() >> 16) % 64, 'p');
        const auto got = records(padding + ",\r\n" + line);
        const QByteArrayList expected = lineFields(line);
        ASSERT_EQ(got.size(), expected.isEmpty() ? 1 : 2) << line.constData();
        if (!expected.isEmpty()) {
            EXPECT_EQ(got[1], expected) << line.constData();
        }
    }
}

TEST_F(CsvTest, EveryTextTheFormsCanHoldRoundTrips)
{
    // The quoted form cannot hold a text that starts with a quote or holds a quote before a comma; any
    // other text, line breaks included, must come back as it was.
    const QByteArray alphabet[] = {"a", ",", "\"", " ", "\r\n"};
    quint32 seed = 777;
    const auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    const auto text = [&] {
        for (;;) {
            QByteArray t;
            const int length = int(next() % 12);
            for (int i = 0; i < length; ++i)
                t += alphabet[next() % 5];
            const bool quoted = t.contains(',') || t.contains('\n');
            if (!quoted || (!t.startsWith('"') && !t.contains("\",")))
                return t;
        }
    };
    for (int round = 0; round < 300; ++round) {
        std::vector<ToDoItem> rows;
        for (int r = 0; r < 4; ++r)
            rows.push_back(row(text(), {text(), text(), text()}));
        const auto back = roundTrip(rows);
        ASSERT_EQ(back.size(), rows.size()) << RowsToCSV(rows).toStdString();
        for (size_t i = 0; i < rows.size(); ++i)
            EXPECT_EQ(back[i], rows[i]) << RowsToCSV(rows).toStdString();
    }
}
