#include "exchange/CSVConvert.h"
#include "exchange/CSVExchange.h"
#include "exchange/CSVRecordReader.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"

#include "TestUtil.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace {
const QByteArray kHeader =
    "Actions,Priority,Date In,Target,Remarks,Owner,Project Name,Alarm Time,File Location\r\n";

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

// The three field forms and the line scan exactly as the format describes them, written out on their own
// so that the program's reader and writer are checked against the description and not against themselves.
namespace reference {
std::string field(const std::string& t)
{
    if (t.find(',') != std::string::npos)
        return '"' + t + "\",";
    if (t.find('"') != std::string::npos)
        return "\"\"" + t + "\"\",";
    return t + ',';
}

std::vector<std::string> line(const std::string& l)
{
    std::vector<std::string> fields;
    const size_t length = l.size();
    size_t p = 1; // 1-based, as in the description
    while (p <= length) {
        const bool quote = l[p - 1] == '"';
        const bool twice = quote && p < length && l[p] == '"';
        const std::string separator = twice ? "\"\"," : quote ? "\"," : ",";
        const size_t n = separator.size() - 1;
        const std::string rest = l.substr(p - 1 + std::min(n, length - p + 1));
        const size_t k = rest.find(separator);
        if (k != std::string::npos) {
            fields.push_back(rest.substr(0, k));
            p = p + n + k + n + 1;
        } else if (n == 0) {
            fields.push_back(rest);
            p = length + 1;
        } else if (rest.size() >= n && rest.compare(rest.size() - n, n, std::string(n, '"')) == 0) {
            // Closed by its quotes at the line end.
            fields.push_back(rest.substr(0, rest.size() - n));
            p = length + 1;
        } else {
            // Closed early by a quote (a doubled one is text in the one-quote form): on to the next comma.
            size_t q = std::string::npos;
            for (size_t i = 0; i < rest.size() && q == std::string::npos; ++i) {
                if (rest[i] == '"' && n == 1 && i + 1 < rest.size() && rest[i + 1] == '"')
                    ++i;
                else if (rest[i] == '"')
                    q = i;
            }
            const size_t c = q == std::string::npos ? std::string::npos : rest.find(',', q);
            fields.push_back(rest.substr(0, c));
            p = c == std::string::npos ? length + 1 : p + n + c + 1;
        }
    }
    return fields;
}
} // namespace reference

struct Random
{
    quint32 seed;
    quint32 next() { return (seed = seed * 1103515245u + 12345u) >> 16; }
    QByteArray text(const std::vector<QByteArray>& alphabet, int maxLength)
    {
        QByteArray t;
        const int length = int(next() % quint32(maxLength + 1));
        for (int i = 0; i < length; ++i)
            t += alphabet[next() % alphabet.size()];
        return t;
    }
};

class CSVTest : public ::testing::Test
{
protected:
    void SetUp() override { CodePage::setCurrent(CodePage::Kind::Windows1252); }
    void TearDown() override { CodePage::setCurrent(CodePage::Kind::Windows1252); }
    QString path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }
    QTemporaryDir m_dir;
};
} // namespace

TEST_F(CSVTest, WritesEachTextInTheFirstFormThatCarriesIt)
{
    const struct
    {
        QByteArray text;
        QByteArray written;
    } cases[] = {
        // Single-line texts in the quote forms are checked against the reference forms below; texts the
        // quote forms would not bring back, and texts of several lines, are escaped.
        {"a,b", "\"a,b\","},
        {"\"q\" said, no", "\\\"\\qq\\q said\\c no\","},
        {"a\",b", "\\\"a\\q\\cb\","},
        {"x\r\ny", "\\\"x\\r\\ny\","},
        {"\rlone", "\\\"\\rlone\","},
        {"tab\\\n", "\\\"tab\\\\\\n\","},
        {QByteArray("nul\0", 4), "\\\"nul\\0\","},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FieldsToCSVLine({c.text}), c.written) << c.text.constData();
    EXPECT_EQ(FieldsToCSVLine({}), QByteArray());

    std::vector<ToDoItem> rows{row("Call Bob", {"1", "06.12.2026", "", "Ask, then \"wait\""}), row("")};
    rows[1] = ToDoItem(); // a row that holds no column values at all
    // Files are written as RFC 4180; the forms above are those of earlier versions, which imports recognise.
    EXPECT_EQ(RowsToCSV(rows),
              kHeader + "Call Bob,1,06.12.2026,,\"Ask, then \"\"wait\"\"\",,,,\r\n,,,,,,,,\r\n");
}

TEST_F(CSVTest, ReadsFieldsByTheirFirstBytes)
{
    const struct
    {
        QByteArray line;
        QByteArrayList fields;
    } cases[] = {
        // The quote forms are LinesNeverMerge's, against the reference scan; a few pinned here.
        {"a,\"b,c\",\"\"d\"e\"\",,", {"a", "b,c", "d\"e", ""}},
        {"a,b,", {"a", "b"}},
        {"", {}},
        // Standard CSV doubling keeps both quotes of each pair.
        {"\"a\"\"b\",x,", {"a\"\"b", "x"}},
        // A quote followed by a comma ends a quoted field early; the rest moves one column on.
        {"\"x\",y,z\",", {"x", "y", "z\""}},
        // A quoted field without its closing separator keeps every byte up to where it can end.
        {"a,\"bc\"d", {"a", "bc\"d"}},
        {"\"\"ab,cd\",", {"ab,cd\""}},
        {"a,\"", {"a", ""}},
        // Escaped fields, also as the last field without a comma.
        {"\\\"a\\cb\\q\\r\\n\\0\\\\\",x,", {"a,b\"\r\n" + QByteArray(1, '\0') + "\\", "x"}},
        {"x,\\\"\\n\"", {"x", "\n"}},
        {"\\\"\",", {""}},
        // Anything short of a well-formed escaped field is read in the quote forms, as any reader would.
        {"\\\"a\\x\",b,", {"\\\"a\\x\"", "b"}},
        {"\\\"a\"b,", {"\\\"a\"b"}},
        {"\\\"open", {"\\\"open"}},
        {"\\\"a\\", {"\\\"a\\"}},
        {"\\\"a,b\",", {"\\\"a", "b\""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(lineFields(c.line), c.fields) << c.line.constData();

    QByteArrayList f;
    EXPECT_EQ(ReadCSVField("\"a,b\",x,", "\",", 1, 8, f), 6);
    EXPECT_EQ(ReadCSVField("\"\"a\"b\"\",", "\"\",", 1, 8, f), 8);
    EXPECT_EQ(ReadCSVField("x,", ",", 3, 4, f), 4);
    EXPECT_EQ(ReadCSVField("\"open", "\",", 5, 9, f), 9);
    EXPECT_EQ(f, (QByteArrayList{"a,b", "a\"b", "x", "open"}));
}

TEST_F(CSVTest, ReportedImportsKeepEveryRow)
{
    // A quoted last field without a trailing comma once swallowed every following line.
    QByteArray text = "Buy milk,1,\"Shop A, Shop B\"\r\n";
    for (int i = 0; i < 1000; ++i)
        text += "Item " + QByteArray::number(i) + ",2,\r\n";
    std::vector<ToDoItem> rows;
    ASSERT_TRUE(CSVToRows(text, rows).ok);
    ASSERT_EQ(rows.size(), 1001u);
    EXPECT_EQ(rows[0].value(ToDoItem::DateIn), QByteArrayView("Shop A, Shop B"));
    EXPECT_EQ(rows[1000].action(), QByteArrayView("Item 999"));

    // The program's own export of texts the quote forms cannot carry, between others.
    const std::vector<ToDoItem> tricky{row("\"q\" said, no"), row("x", {"say \"x\""}), row("last"),
                                       row("\"quoted\r\nstart", {"a\",b"}), row("\r", {"\n"})};
    const auto back = roundTrip(tricky);
    ASSERT_EQ(back.size(), tricky.size());
    for (size_t i = 0; i < tricky.size(); ++i)
        EXPECT_EQ(back[i], tricky[i]) << i;
}

TEST_F(CSVTest, LinesNeverMerge)
{
    // Random files of single-line records over the bytes that matter to the forms, with every kind of line
    // end: each non-empty line is one record, read exactly as the format's line scan reads it.
    const std::vector<QByteArray> alphabet{"\"", ",", "a", "b", " "};
    const std::vector<QByteArray> ends{"\r\n", "\n", "\r"};
    Random random{4711};
    for (int round = 0; round < 2000; ++round) {
        QByteArray text;
        std::vector<std::string> lines;
        const int count = int(random.next() % 6) + 1;
        for (int i = 0; i < count; ++i) {
            const QByteArray line = random.text(alphabet, 40);
            lines.push_back(line.toStdString());
            text += line + ends[random.next() % ends.size()];
        }
        const auto got = records(text);
        qsizetype k = 0;
        for (const std::string& line : lines) {
            if (line.empty())
                continue;
            ASSERT_LT(k, got.size()) << text.constData();
            QByteArrayList expected;
            for (const std::string& f : reference::line(line))
                expected << QByteArray::fromStdString(f);
            EXPECT_EQ(got[k++], expected) << line;
        }
        EXPECT_EQ(k, got.size()) << text.constData();
    }

    // With backslashes a line may hold escaped fields, but it still stays one record.
    const std::vector<QByteArray> withEscapes{"\"", ",", "a", "\\", "\\\"", "\\c", "\\r"};
    for (int round = 0; round < 2000; ++round) {
        QByteArray text;
        int nonEmpty = 0;
        for (int i = 0; i < 5; ++i) {
            const QByteArray line = random.text(withEscapes, 20);
            nonEmpty += line.isEmpty() ? 0 : 1;
            text += line + ends[random.next() % ends.size()];
        }
        EXPECT_EQ(records(text).size(), nonEmpty) << text.constData();
    }
}

TEST_F(CSVTest, EveryExportedTextRoundTripsAndSingleLineTextsKeepTheirForm)
{
    const std::vector<QByteArray> alphabet{
        "\"", ",", "\r", "\n", "\r\n", "a", "\\", " ", QByteArray(1, '\0')};
    Random random{777};
    for (int round = 0; round < 500; ++round) {
        std::vector<ToDoItem> rows;
        const int count = int(random.next() % 5);
        for (int r = 0; r < count; ++r) {
            QByteArrayList values;
            for (int k = 0; k < ToDoItem::ColumnCount; ++k)
                values << random.text(alphabet, 8);
            rows.push_back(row(random.text(alphabet, 12), values));
        }
        const QByteArray csv = RowsToCSV(rows);
        const auto back = roundTrip(rows);
        ASSERT_EQ(back.size(), rows.size()) << csv.toStdString();
        for (size_t i = 0; i < rows.size(); ++i)
            EXPECT_EQ(back[i], rows[i]) << csv.toStdString();
    }

    // A single-line text is written in the format's own form whenever that form reads back as the text;
    // only the others are escaped.
    const std::vector<QByteArray> singleLine{"\"", ",", "a", "\\", " "};
    for (int round = 0; round < 5000; ++round) {
        const QByteArray text = random.text(singleLine, 10);
        const std::string plainForm = reference::field(text.toStdString());
        const auto readBack = reference::line(plainForm + "x,");
        const bool carried = readBack.size() == 2 && readBack[0] == text.toStdString() && readBack[1] == "x";
        const QByteArray written = FieldsToCSVLine({text});
        if (carried)
            EXPECT_EQ(written.toStdString(), plainForm);
        else
            EXPECT_TRUE(written.startsWith("\\\"")) << text.constData();
    }
}

TEST_F(CSVTest, LinesEndAtCrLfLfOrCrAndEmptyLinesAreSkipped)
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

TEST_F(CSVTest, RecordsFillAllEightColumnsAndDropExtraFields)
{
    std::vector<ToDoItem> rows;
    ASSERT_TRUE(CSVToRows("only,\r\nA,1,2,3,4,5,6,7,8,9,10,\r\n", rows).ok);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], ToDoItem::make("only"));
    EXPECT_EQ(rows[1].valueCount(), 8);
    EXPECT_EQ(rows[1].value(ToDoItem::FileLocation), QByteArrayView("8"));
    EXPECT_FALSE(rows[1].checked());
}

TEST_F(CSVTest, FilesLoseTheCompletedFlagAndImportAppendsEveryTime)
{
    const std::vector<ToDoItem> rows{row("done", {"1"}, true), row("open", {"2"})};
    ASSERT_TRUE(WriteCSVFile(path("l.csv"), rows).ok);
    EXPECT_EQ(testutil::readAll(path("l.csv")), kHeader + "done,1,,,,,,,\r\nopen,2,,,,,,,\r\n");

    ToDoList list;
    list.items.push_back(row("existing"));
    int added = 0;
    ASSERT_TRUE(ImportCSVFile(path("l.csv"), list, &added).ok);
    ASSERT_TRUE(ImportCSVFile(path("l.csv"), list).ok);
    EXPECT_EQ(added, 2);
    EXPECT_EQ(ImportSummary(path("l.csv"), added), QStringLiteral("Imported 2 items from ") + path("l.csv"));
    ASSERT_EQ(list.size(), 5);
    EXPECT_EQ(list.items[0].action(), QByteArrayView("existing"));
    EXPECT_EQ(list.items[1], row("done", {"1"}));
    EXPECT_EQ(list.items[3], row("done", {"1"}));

    ASSERT_TRUE(WriteCSVFile(path("empty.csv"), {}).ok);
    EXPECT_EQ(testutil::readAll(path("empty.csv")), kHeader);
    ASSERT_TRUE(ImportCSVFile(path("empty.csv"), list, &added).ok);
    EXPECT_EQ(added, 0);
    EXPECT_TRUE(ImportSummary(path("empty.csv"), 0).contains(QLatin1String("no records")));
}

TEST_F(CSVTest, ImportAddsAllOrNothing)
{
    ToDoList list;
    list.items.push_back(row("keep"));
    const ToDoList before = list;
    ASSERT_TRUE(QDir().mkdir(path("folder.csv")));
    ASSERT_EQ(::mkfifo(path("fifo.csv").toLocal8Bit().constData(), 0600), 0);
    ASSERT_TRUE(testutil::writeAll(path("nul.csv"), QByteArray("a,\r\nb\0c,\r\n", 10)));
    ASSERT_TRUE(testutil::writeAll(path("zeros.csv"), QByteArray(4096, '\0')));
    ASSERT_TRUE(testutil::writeAll(path("huge.csv"), "a,\r\n"));
    ASSERT_EQ(::truncate(path("huge.csv").toLocal8Bit().constData(), FileLimit::CSV + 1), 0);

    const struct
    {
        const char* file;
        IoError kind;
        const char* says;
    } refused[] = {
        {"nope.csv", IoError::NotFound, "No such file"},
        {"folder.csv", IoError::NotRegular, "folder"},
        {"fifo.csv", IoError::NotRegular, "not a regular file"}, // must not block
        {"/dev/zero", IoError::NotRegular, "not a regular file"},
        {"nul.csv", IoError::BadData, "line 2"},
        {"zeros.csv", IoError::BadData, "NUL"},
        {"huge.csv", IoError::TooLarge, "256"},
    };
    for (const auto& c : refused) {
        const QString file = c.file[0] == '/' ? QString::fromLatin1(c.file) : path(c.file);
        const IoResult r = ImportCSVFile(file, list);
        EXPECT_FALSE(r.ok) << c.file;
        EXPECT_EQ(r.kind, c.kind) << c.file;
        EXPECT_TRUE(r.error.contains(file) && r.error.contains(QLatin1String(c.says)))
            << r.error.toStdString();
        EXPECT_EQ(list.items, before.items);
    }

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
}

TEST_F(CSVTest, FilesReadInPiecesGiveWhatTheWholeTextGives)
{
    // Several megabytes of lines with every line end, so that pieces end next to CR LF pairs, inside runs of
    // empty lines and after lone CRs; one line is longer than a piece. A NUL or a byte that is no UTF-8 in a
    // late piece is reported on the line the whole text puts it on.
    Random random{7};
    const std::vector<QByteArray> alphabet = {"a",    "b",    " ",   ",",   "\"",
                                              "\"\"", "\\\"", "\\n", "x,y", "\xC3\xA4"};
    const QByteArray ends[] = {"\r\n", "\n", "\r", "\r\n\r\n"};
    QByteArray text;
    int line = 0;
    while (text.size() < (5 << 20)) {
        text += line == 3000 ? QByteArray(3 << 20, 'L') : random.text(alphabet, 60);
        // Whatever field the line leaves open is closed: a quoted field nothing closes refuses the file.
        text += "x\"\",";
        text += ends[random.next() % 4];
        ++line;
    }
    for (const auto kind : {CodePage::Kind::Windows1252, CodePage::Kind::Utf8}) {
        CodePage::setCurrent(kind);
        ASSERT_TRUE(testutil::writeAll(path("big.csv"), text));
        std::vector<ToDoItem> fromFile, fromText;
        ASSERT_TRUE(ReadCSVFile(path("big.csv"), fromFile).ok);
        ASSERT_TRUE(CSVToRows(text, fromText).ok);
        EXPECT_EQ(fromFile.size(), fromText.size());
        EXPECT_TRUE(fromFile == fromText);
    }
    const auto lineAt = [&text](qsizetype offset) {
        qsizetype n = 1;
        for (qsizetype i = 0; i < offset; ++i)
            n += text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'));
        return n;
    };
    const qsizetype late = text.size() - 1000;
    for (const char bad : {'\0', '\xFF'}) {
        QByteArray damaged = text;
        damaged[late] = bad;
        ASSERT_TRUE(testutil::writeAll(path("bad.csv"), damaged));
        std::vector<ToDoItem> rows;
        const IoResult r = ReadCSVFile(path("bad.csv"), rows);
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(rows.empty());
        EXPECT_TRUE(r.error.contains(QStringLiteral("(line %1)").arg(lineAt(late)))) << r.error.toStdString();
    }
}

// Quotes where the forms do not expect them: no field is cut short. A quote inside a plain field is text,
// text after an early closing quote stays in its field, and a quoted field that nothing closes is
// refused by the file reader with its line, never cut.
TEST_F(CSVTest, StrayQuotesNeverCutAFieldShort)
{
    const struct
    {
        QByteArray line;
        QByteArrayList fields;
        bool unclosed;
        // What the file reader makes of the line where it is RFC 4180 (CSVImport.h), when that differs.
        QByteArray fileAction = {};
    } cases[] = {
        {"ab\"c\"d,5", {"ab\"c\"d", "5"}, false},
        {"\"ab\"cd,5", {"ab\"cd", "5"}, false},
        {"\"ab\"cd,5,", {"ab\"cd", "5"}, false},
        {"\"a\"b\"", {"a\"b"}, false},
        {"\"a\"\"b\"", {"a\"\"b"}, false, "a\"b"},
        {"\"\"a\"b,6", {"a\"b", "6"}, false},
        {"x,\"a \"\"b\"\" c,5", {"x", "a \"\"b\"\" c,5"}, true},
        {"\"open,5", {"open,5"}, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(lineFields(c.line), c.fields) << c.line.constData();
        EXPECT_EQ(records(c.line + "\r\n"), QList<QByteArrayList>{c.fields}) << c.line.constData();
        // The file reader takes the line whole, or refuses the file and names the line.
        ASSERT_TRUE(testutil::writeAll(path("stray.csv"), "first,\r\n" + c.line + "\r\nlast,\r\n"));
        std::vector<ToDoItem> rows;
        const IoResult r = ReadCSVFile(path("stray.csv"), rows);
        EXPECT_EQ(r.ok, !c.unclosed) << c.line.constData();
        if (c.unclosed) {
            EXPECT_EQ(r.kind, IoError::BadData);
            EXPECT_TRUE(r.error.contains(QLatin1String("not closed (line 2)"))) << r.error.toStdString();
        } else {
            ASSERT_EQ(rows.size(), 3u) << c.line.constData();
            EXPECT_EQ(rows[1].action(),
                      QByteArrayView(c.fileAction.isEmpty() ? c.fields.first() : c.fileAction))
                << c.line.constData();
        }
        std::vector<ToDoItem> inMemory;
        EXPECT_EQ(CSVToRows("first,\r\n" + c.line + "\r\n", inMemory).ok, !c.unclosed) << c.line.constData();
    }
}
