// How CSV files from spreadsheets, scripts, the listing and earlier versions are told apart and read, and
// what the export writes. Python's csv module as the other side: csv_python_test.cpp.
#include "config/LanguageTexts.h"
#include "exchange/CSVConvert.h"
#include "exchange/CSVExchange.h"
#include "exchange/ListPrinter.h"
#include "platform/BufferedWriter.h"
#include "platform/CodePage.h"

#include "TestUtil.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
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

class CSVReadingTest : public ::testing::Test
{
protected:
    void SetUp() override { CodePage::setCurrent(CodePage::Kind::Utf8); }
    void TearDown() override { CodePage::setCurrent(CodePage::Kind::Windows1252); }
    QString path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }
    QTemporaryDir m_dir;
};
} // namespace

TEST_F(CSVReadingTest, EachFileIsReadTheWayItsWriterMeantIt)
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
        ASSERT_TRUE(r.ok) << c.what << ": " << r.error.toStdString();
        EXPECT_EQ(texts(rows), c.rows) << c.what;
        EXPECT_EQ(notes.earlierForm, c.earlierForm) << c.what;
        EXPECT_EQ(notes.separator, c.separator) << c.what;
        EXPECT_EQ(notes.unknownColumns, c.unknown) << c.what;
    }
}

TEST_F(CSVReadingTest, FilesThatCannotBeReadImportNothingAndNameTheLine)
{
    const struct
    {
        QByteArray file;
        const char* says;
    } cases[] = {
        {"a,1\r\nb,\"open\r\nc,2\r\nd,3\r\n", "not closed (line 2)"},
        {"Actions,Owner\r\nx,y\r\n\"z\"q,1\r\n", "after the closing quote of a field (line 3)"},
        {QByteArray("a,1\r\n\"b\r\n\",2\r\nc\0,3\r\n", 21), "NUL byte (line 4)"},
        {"ok,1\r\nbad \xFF,2\r\n", "not UTF-8 text (line 2)"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(testutil::writeAll(path("bad.csv"), c.file));
        ToDoList list;
        list.items.push_back(ToDoItem::make("keep"));
        const IoResult r = ImportCSVFile(path("bad.csv"), list);
        EXPECT_FALSE(r.ok) << c.says;
        EXPECT_EQ(r.kind, IoError::BadData);
        EXPECT_TRUE(r.error.contains(QLatin1String(c.says)) && r.error.contains(path("bad.csv")))
            << r.error.toStdString();
        EXPECT_EQ(list.size(), 1);
    }
}

TEST_F(CSVReadingTest, EncodingComesFromTheMarkTheBytesOrTheCodePage)
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
        EXPECT_EQ(r.ok, c.refusal == nullptr) << c.file.toHex().constData() << r.error.toStdString();
        if (c.refusal) {
            EXPECT_TRUE(r.error.contains(QLatin1String(c.refusal))) << r.error.toStdString();
            continue;
        }
        ASSERT_EQ(rows.size(), 1u) << c.file.toHex().constData();
        EXPECT_EQ(rows[0].action(), QByteArrayView(c.action));
        if (!c.owner.isEmpty()) {
            EXPECT_EQ(rows[0].value(ToDoItem::Owner), QByteArrayView(c.owner));
        }
    }
}

TEST_F(CSVReadingTest, ExportIsRfc4180InUtf8WithAHeaderAndNoFormulas)
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

TEST_F(CSVReadingTest, RandomTextsComeBackExactlyFromFilesOfManyPieces)
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
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        ASSERT_EQ(back.size(), rows.size());
        EXPECT_TRUE(back == rows);
    }
}

TEST_F(CSVReadingTest, TheShippedLanguagesCaptionsNameTheirColumns)
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

TEST_F(CSVReadingTest, TheListingsCsvImportsBack)
{
    ToDoList list;
    const char* const actions[] = {"Call \"Bob\", then Ann", "two\r\nlines", "=1+1",
                                   "M\xC3\xBCller \xE4\xB8\xAD"};
    for (int i = 0; i < 4; ++i) {
        ToDoItem item = ToDoItem::make(actions[i], i % 2 == 0);
        for (int k = 0; k < ToDoItem::ColumnCount; ++k)
            item.setValue(k, QByteArray::number(k * i) + (k == ToDoItem::Remarks ? ", \"x\"" : ""));
        list.items.push_back(item);
    }
    QByteArray listing;
    {
        BufferedWriter out(&listing);
        ListPrinter::Options options;
        options.format = ListPrinter::Format::Csv;
        ListPrinter::write(list, options, QDate(2026, 1, 1), out);
    }
    std::vector<ToDoItem> rows;
    CSVImportNotes notes;
    ASSERT_TRUE(CSVToRows(listing, rows, QString(), &notes).ok);
    EXPECT_TRUE(notes.header && notes.unknownColumns.isEmpty());
    EXPECT_TRUE(rows == list.items);
    std::printf("Listing CSV imported back: %zu items in, %zu intact\n", list.items.size(),
                size_t(std::count_if(rows.begin(), rows.end(), [&](const ToDoItem& r) {
                    return std::find(list.items.begin(), list.items.end(), r) != list.items.end();
                })));
}
