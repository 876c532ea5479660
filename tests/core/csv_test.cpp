// How CSV files from spreadsheets, scripts, the listing and earlier versions are told apart and read, and
// what the export writes. Python's csv module as the other side: csv_python_test.cpp.
#include "config/IoMessage.h"
#include "config/LanguageTexts.h"
#include "exchange/CSVConvert.h"
#include "exchange/CSVExchange.h"
#include "exchange/CSVRecordReader.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"

#include "TestUtil.h"

#include <QDir>
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

// Action and the eight values of each row; the completed flag as a tenth entry "x" when set.
QList<QByteArrayList> texts(const std::vector<ToDoItem>& rows)
{
    QList<QByteArrayList> out;
    for (const ToDoItem& r : rows) {
        QByteArrayList t{r.action().toByteArray()};
        for (int k = 0; k < ToDoItem::ColumnCount; ++k)
            t << r.value(k).toByteArray();
        if (r.checked())
            t << "x";
        out << t;
    }
    return out;
}

// A row's texts as a test writes them: Action and the first values, the rest empty.
QByteArrayList row(QByteArrayList t, bool checked = false)
{
    while (t.size() < ToDoItem::ColumnCount + 1)
        t << QByteArray();
    if (checked)
        t << "x";
    return t;
}

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
    void SetUp() override { CodePage::setCurrent(CodePage::Kind::Utf8); }
    void TearDown() override { CodePage::setCurrent(CodePage::Kind::Windows1252); }
    QString path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }
    QTemporaryDir m_dir;
};
} // namespace

// The one-line forms of earlier versions, which imports still recognise: each text in the first form that
// carries it, read back by its first bytes, a record never more than one line.
TEST_F(CSVTest, EarlierFormsWriteEachTextInTheFirstFormThatCarriesIt)
{
    const struct
    {
        QByteArray text;
        QByteArray written;
    } written[] = {
        {"plain", "plain,"},
        {"a,b", "\"a,b\","},
        {"say \"x\"", "\"\"say \"x\"\"\","},
        // Texts the quote forms would not bring back, and texts of several lines, are escaped.
        {"\"q\" said, no", "\\\"\\qq\\q said\\c no\","},
        {"a\",b", "\\\"a\\q\\cb\","},
        {"x\r\ny", "\\\"x\\r\\ny\","},
        {"\rlone", "\\\"\\rlone\","},
        {"tab\\\n", "\\\"tab\\\\\\n\","},
        {QByteArray("nul\0", 4), "\\\"nul\\0\","},
    };
    for (const auto& c : written)
        EXPECT_EQ(FieldsToCSVLine({c.text}), c.written) << c.text.constData();

    const struct
    {
        QByteArray line;
        QByteArrayList fields;
    } read[] = {
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
    for (const auto& c : read)
        EXPECT_EQ(lineFields(c.line), c.fields) << c.line.constData();

    // Every text comes back from its one line.
    const std::vector<QByteArray> alphabet{
        "\"", ",", "\r", "\n", "\r\n", "a", "\\", " ", "\\\"", "\\c", QByteArray(1, '\0')};
    Random random{777};
    for (int round = 0; round < 5000; ++round) {
        const QByteArrayList fields{random.text(alphabet, 10), random.text(alphabet, 6), "x"};
        const QByteArray line = FieldsToCSVLine(fields);
        EXPECT_FALSE(line.contains('\r') || line.contains('\n')) << line.constData();
        EXPECT_EQ(lineFields(line), fields) << line.constData();
    }
}

TEST_F(CSVTest, EachNonEmptyLineOfAnEarlierFileIsOneRecord)
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

    // Random lines of quotes, commas and escapes, with every kind of line end: no two lines ever merge.
    const std::vector<QByteArray> alphabet{"\"", ",", "a", " ", "\\", "\\\"", "\\c", "\\r"};
    const std::vector<QByteArray> ends{"\r\n", "\n", "\r"};
    Random random{4711};
    for (int round = 0; round < 4000; ++round) {
        QByteArray text;
        int nonEmpty = 0;
        for (int i = 0; i < 5; ++i) {
            const QByteArray line = random.text(alphabet, 30);
            nonEmpty += line.isEmpty() ? 0 : 1;
            text += line + ends[random.next() % ends.size()];
        }
        EXPECT_EQ(records(text).size(), nonEmpty) << text.constData();
    }

    // A quoted last field without a trailing comma once swallowed every following line.
    QByteArray text = "Buy milk,1,\"Shop A, Shop B\"\r\n";
    for (int i = 0; i < 1000; ++i)
        text += "Item " + QByteArray::number(i) + ",2,\r\n";
    std::vector<ToDoItem> rows;
    ASSERT_TRUE(CSVToRows(text, rows).ok);
    ASSERT_EQ(rows.size(), 1001u);
    EXPECT_EQ(rows[0].value(ToDoItem::DateIn), QByteArrayView("Shop A, Shop B"));
    EXPECT_EQ(rows[1000].action(), QByteArrayView("Item 999"));
}

TEST_F(CSVTest, EachFileIsReadTheWayItsWriterMeantIt)
{
    const struct
    {
        const char* what;
        QByteArray file;
        QList<QByteArrayList> rows;
        bool earlierForm;
        char separator;
        QStringList unknown;
    } cases[] = {
        {"RFC 4180 from a script: doubled quotes, all columns",
         "Buy milk,5,2026-12-01,2026-12-20,\"\"\"Organic\"\" brand\",Ann,Home,09:00:00\r\n",
         {row({"Buy milk", "5", "2026-12-01", "2026-12-20", "\"Organic\" brand", "Ann", "Home", "09:00:00"})},
         false,
         ',',
         {}},
        {"a quoted cell of several lines is one item",
         "\"Call Bob\r\nthen Ann\",1\r\n\"two\nlines, LF\",2\nlast,3",
         {row({"Call Bob\r\nthen Ann", "1"}), row({"two\nlines, LF", "2"}), row({"last", "3"})},
         false,
         ',',
         {}},
        {"the listing's header maps columns and the completed flag; the status is worked out again",
         "Status,Completed,Actions,Priority,Date In,Target,Remarks,Owner,Project Name,Alarm Time,File "
         "Location\r\nopen,1,\"a, b\",2,,,,,,,\r\noverdue,0,c,,,,,,,,\r\n",
         {row({"a, b", "2"}, true), row({"c"})},
         false,
         ',',
         {}},
        {"a spreadsheet with its own order, German captions, semicolons and a column of its own",
         "\xEF\xBB\xBFNotiz;Zuständig;Aufgabe;Zieldatum\r\nx;Ann;\"Plan; then go\";2026-01-02\r\n",
         {row({"Plan; then go", "", "", "2026-01-02", "", "Ann"})},
         false,
         ';',
         {"Notiz"}},
        {"tabs, with the English captions of the language file",
         "Task Name\tOwner\r\nWrite\tBo\r\n",
         {row({"Write", "", "", "", "", "Bo"})},
         false,
         '\t',
         {}},
        {"a byte-order mark is no part of the first action",
         "\xEF\xBB\xBFOne,1\r\n",
         {row({"One", "1"})},
         false,
         ',',
         {}},
        {"semicolons without a header, counted outside quotes",
         "\"a,b,c\";1;2\r\n",
         {row({"a,b,c", "1", "2"})},
         false,
         ';',
         {}},
        {"the escaped form of earlier versions",
         "First,2,,,\\\"a\\r\\nb\\c\\q\",\r\n\r\nSecond,\r\n",
         {row({"First", "2", "", "", "a\r\nb,\""}), row({"Second"})},
         true,
         ',',
         {}},
        {"the older quoting: quotes written as they are",
         "\"Ask, then \"wait\"\",\"\"say \"hi\"\"\",\r\n",
         {row({"Ask, then \"wait\"", "say \"hi\""})},
         true,
         ',',
         {}},
        // Both readings fit; RFC 4180 would make one item of the two lines: the lines win.
        {"lines earlier versions wrote are never merged",
         "\"a,b\"\",\r\n\"\"a\"\"\",\r\n",
         {row({"a,b\""}), row({"a\""})},
         true,
         ',',
         {}},
        {"short records are filled, fields beyond the eight columns dropped",
         "only,\r\nA,1,2,3,4,5,6,7,8,9,10,\r\n",
         {row({"only"}), row({"A", "1", "2", "3", "4", "5", "6", "7", "8"})},
         true,
         ',',
         {}},
        // Not RFC 4180 (text after a closing quote) but every line closes its fields: read line by line.
        {"stray quotes that close on their line",
         "\"ab\"cd,5\r\n\"a\"b\"\r\n",
         {row({"ab\"cd", "5"}), row({"a\"b"})},
         true,
         ',',
         {}},
    };
    for (const auto& c : cases) {
        std::vector<ToDoItem> rows;
        CSVImportNotes notes;
        const IoResult r = CSVToRows(c.file, rows, QStringLiteral("f.csv"), &notes);
        ASSERT_TRUE(r.ok) << c.what << ": " << IoMessage(r).toStdString();
        EXPECT_EQ(texts(rows), c.rows) << c.what;
        EXPECT_EQ(notes.earlierForm, c.earlierForm) << c.what;
        EXPECT_EQ(notes.separator, c.separator) << c.what;
        EXPECT_EQ(notes.unknownColumns, c.unknown) << c.what;
    }
}

TEST_F(CSVTest, FilesLoseTheCompletedFlagAndImportAppendsEveryTime)
{
    const std::vector<ToDoItem> rows{ToDoItem::make("done", true), ToDoItem::make("open")};
    ASSERT_TRUE(WriteCSVFile(path("l.csv"), rows).ok);
    ToDoList list;
    list.items.push_back(ToDoItem::make("existing"));
    int added = 0;
    ASSERT_TRUE(ImportCSVFile(path("l.csv"), list, &added).ok);
    ASSERT_TRUE(ImportCSVFile(path("l.csv"), list).ok);
    EXPECT_EQ(added, 2);
    EXPECT_EQ(ImportSummary(path("l.csv"), added), QStringLiteral("Imported 2 items from ") + path("l.csv"));
    EXPECT_EQ(texts(list.items), (QList<QByteArrayList>{row({"existing"}), row({"done"}), row({"open"}),
                                                        row({"done"}), row({"open"})}));

    ASSERT_TRUE(WriteCSVFile(path("empty.csv"), {}).ok);
    ASSERT_TRUE(ImportCSVFile(path("empty.csv"), list, &added).ok);
    EXPECT_EQ(added, 0);
    EXPECT_TRUE(ImportSummary(path("empty.csv"), 0).contains(QLatin1String("no records")));
}

// A file that cannot be read imports nothing at all and says why, naming the line where it can. Folders,
// pipes, devices and files beyond the size limit: fileio_test's ReadersRefuseWhatIsNoFileOrTooLarge.
TEST_F(CSVTest, ImportAddsAllOrNothing)
{
    ToDoList list;
    list.items.push_back(ToDoItem::make("keep"));
    const ToDoList before = list;
    const struct
    {
        const char* file;
        QByteArray content; // written first unless empty
        IoError kind;
        const char* says;
    } refused[] = {
        {"nope.csv", {}, IoError::NotFound, "does not exist"},
        {"zeros.csv", QByteArray(4096, '\0'), IoError::BadData, "NUL"},
        {"open.csv", "a,1\r\nb,\"open\r\nc,2\r\nd,3\r\n", IoError::BadData, "not closed (line 2)"},
        {"after.csv", "Actions,Owner\r\nx,y\r\n\"z\"q,1\r\n", IoError::BadData,
         "after the closing quote of a field (line 3)"},
        {"nul.csv", QByteArray("a,1\r\n\"b\r\n\",2\r\nc\0,3\r\n", 21), IoError::BadData, "NUL byte (line 4)"},
        // Under UTF-8, a file in another code page is refused as a whole, naming the first bad line.
        {"latin.csv", "fine,\r\n\xC3\xA4 ok,\r\nM\xFCller,\r\nlast,\r\n", IoError::BadData,
         "not UTF-8 text (line 3)"},
    };
    for (const auto& c : refused) {
        const QString file = path(c.file);
        if (!c.content.isEmpty()) {
            ASSERT_TRUE(testutil::writeAll(file, c.content));
        }
        const IoResult r = ImportCSVFile(file, list);
        EXPECT_FALSE(r.ok) << c.file;
        EXPECT_EQ(r.kind, c.kind) << c.file;
        EXPECT_TRUE(IoMessage(r).contains(file) && IoMessage(r).contains(QLatin1String(c.says)))
            << IoMessage(r).toStdString();
        EXPECT_EQ(list.items, before.items);
    }
}

TEST_F(CSVTest, EncodingComesFromTheMarkTheBytesOrTheCodePage)
{
    static const char16_t utf16Text[] = u"Aufgabe\tOwner\r\n\u00DCben\t\u4E2D\r\n";
    const QByteArray utf16 =
        QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char*>(utf16Text), sizeof utf16Text - 2);
    const struct
    {
        CodePage::Kind kind;
        QByteArray file;
        QByteArray action; // in the code page
        QByteArray owner;
        const char* refusal;
    } cases[] = {
        {CodePage::Kind::Windows1252, "M\xC3\xBCller,B\xC3\xB6\r\n", "M\xFCller", "", nullptr},
        {CodePage::Kind::Windows1252, "M\xFCller,\xE9t\xE9\r\n", "M\xFCller", "", nullptr},
        {CodePage::Kind::Windows1252, "\xE4\xB8\xAD,1\r\n", "", "", "cannot be stored in the code page"},
        {CodePage::Kind::Utf8, "M\xFCller,1\r\n", "", "", "not UTF-8 text (line 1)"},
        {CodePage::Kind::Utf8, utf16,
         "\xC3\x9C"
         "ben",
         "\xE4\xB8\xAD", nullptr},
    };
    for (const auto& c : cases) {
        CodePage::setCurrent(c.kind);
        std::vector<ToDoItem> rows;
        const IoResult r = CSVToRows(c.file, rows);
        EXPECT_EQ(r.ok, c.refusal == nullptr) << c.file.toHex().constData() << IoMessage(r).toStdString();
        if (c.refusal) {
            EXPECT_TRUE(IoMessage(r).contains(QLatin1String(c.refusal))) << IoMessage(r).toStdString();
            continue;
        }
        ASSERT_EQ(rows.size(), 1u) << c.file.toHex().constData();
        EXPECT_EQ(rows[0].action(), QByteArrayView(c.action));
        if (!c.owner.isEmpty()) {
            EXPECT_EQ(rows[0].value(ToDoItem::Owner), QByteArrayView(c.owner));
        }
    }
}

TEST_F(CSVTest, ExportIsRfc4180InUtf8WithAHeaderAndNoFormulas)
{
    CodePage::setCurrent(CodePage::Kind::Windows1252);
    ToDoItem a = ToDoItem::make("=2+2");
    a.setValue(ToDoItem::Remarks, "say \"hi\",\r\nthen \xE4");
    a.setValue(ToDoItem::Owner, "'-x");
    std::vector<ToDoItem> rows{a, ToDoItem::make("@SUM(A1)", true), ToDoItem::make("'quoted'")};
    const QByteArray csv = RowsToCSV(rows);
    EXPECT_EQ(
        csv,
        QByteArray("Actions,Priority,Date In,Target,Remarks,Owner,Project Name,Alarm Time,File Location\r\n"
                   "'=2+2,,,,\"say \"\"hi\"\",\r\nthen \xC3\xA4\",''-x,,,\r\n"
                   "'@SUM(A1),,,,,,,,\r\n"
                   "'quoted',,,,,,,,\r\n"));
    std::vector<ToDoItem> back;
    ASSERT_TRUE(CSVToRows(csv, back).ok);
    rows[1] = ToDoItem::make("@SUM(A1)"); // the completed flag is not part of the file
    EXPECT_EQ(texts(back), texts(rows));

    // The guard comes off only in the export's own files.
    ASSERT_TRUE(CSVToRows("Actions,Owner\r\n'=1,'-x\r\n", back).ok);
    EXPECT_EQ(texts(back), QList<QByteArrayList>{row({"'=1", "", "", "", "", "'-x"})});
}

TEST_F(CSVTest, RandomTextsComeBackExactlyFromFilesOfManyPieces)
{
    // Texts of quotes, separators, line breaks, tabs, NUL, formula starts and non-Latin characters; enough
    // rows that the file is read in several pieces, with records of several lines across their ends.
    const std::vector<QByteArray> alphabet{
        "\"", ",", ";", "\t", "\r", "\n",       "\r\n",         QByteArray(1, '\0'),
        "=",  "'", "-", "a",  " ",  "\xC3\xA4", "\xE4\xB8\xAD", "\xF0\x9F\x98\x80"};
    quint32 seed = 2026;
    const auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    const auto text = [&](int max) {
        QByteArray t;
        for (int n = int(next() % quint32(max + 1)); n > 0; --n)
            t += alphabet[next() % alphabet.size()];
        return t;
    };
    for (const auto kind : {CodePage::Kind::Utf8, CodePage::Kind::Windows1252}) {
        CodePage::setCurrent(kind);
        std::vector<ToDoItem> rows;
        const int count = kind == CodePage::Kind::Utf8 ? 30000 : 300;
        for (int i = 0; i < count; ++i) {
            ToDoItem item = ToDoItem::make(text(i % 500 == 0 ? 4000 : 12));
            for (int k = 0; k < ToDoItem::ColumnCount; ++k)
                item.setValue(k, text(6));
            if (kind == CodePage::Kind::Windows1252) {
                // Only what the code page holds.
                for (int k = -1; k < ToDoItem::ColumnCount; ++k) {
                    const QByteArray t = (k < 0 ? item.action() : item.value(k)).toByteArray();
                    const QByteArray cp = CodePage::encodeLossy(QString::fromUtf8(t));
                    k < 0 ? void(item = ToDoItem::make(cp)) : item.setValue(k, cp);
                }
            }
            rows.push_back(item);
        }
        ASSERT_TRUE(WriteCSVFile(path("r.csv"), rows).ok);
        std::vector<ToDoItem> back;
        const IoResult r = ReadCSVFile(path("r.csv"), back);
        ASSERT_TRUE(r.ok) << IoMessage(r).toStdString();
        ASSERT_EQ(back.size(), rows.size());
        EXPECT_TRUE(back == rows);
    }
}

TEST_F(CSVTest, TheShippedLanguagesCaptionsNameTheirColumns)
{
    const QDir folder(QStringLiteral(QUILLMAR_LANGUAGE_DIR));
    const QStringList files = folder.entryList({QStringLiteral("*.lng")});
    ASSERT_FALSE(files.isEmpty());
    for (const QString& file : files) {
        // Read on the side: the shared texts stay built-in, so only the captions table can match.
        LanguageTexts language;
        language.loadFile(folder.filePath(file), LanguageTexts::Window::Main);
        for (int c = 0; c <= ToDoItem::ColumnCount; ++c) {
            const QString caption =
                language.text("Header", QStringLiteral("Item%1").arg(c).toLatin1().constData());
            ASSERT_FALSE(caption.isEmpty()) << file.toStdString() << c;
            EXPECT_EQ(CSVColumnOfCaption(caption), c) << file.toStdString() << " " << caption.toStdString();
        }
    }
}
