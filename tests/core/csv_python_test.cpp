// CSV both ways through a real consumer: Python's csv module reads the export, and the import reads what
// Python's csv writer wrote (the spreadsheet dialect, and semicolons as LibreOffice writes them in many
// locales). python3 must be there: without it the test fails.
#include "config/IoMessage.h"
#include "exchange/CSVExchange.h"
#include "platform/CodePage.h"

#include "TestUtil.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
QString python()
{
    return QStandardPaths::findExecutable(QStringLiteral("python3"));
}

// Runs script with args; its standard output.
QByteArray runPython(const char* script, const QStringList& args)
{
    QProcess p;
    p.start(python(), QStringList{QStringLiteral("-c"), QString::fromUtf8(script)} + args);
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().constData();
    return p.readAllStandardOutput();
}

// Random texts of what spreadsheets stumble over; nul says whether NUL may be among them.
struct Texts
{
    quint32 seed;
    quint32 next() { return (seed = seed * 1103515245u + 12345u) >> 16; }
    QString text(bool nul)
    {
        static const char* const alphabet[] = {"\"", ",", ";", "\t", "\r", "\n", "\r\n", "=",   "+",   "-",
                                               "@",  "'", "a", " ",  "ä",  "中", "😀",    "x,y", "\"\""};
        QString t;
        for (int n = int(next() % 10); n > 0; --n)
            t += QString::fromUtf8(alphabet[next() % (sizeof alphabet / sizeof *alphabet)]);
        if (nul && next() % 4 == 0)
            t.insert(next() % 2 ? t.size() : 0, QChar(0));
        return t;
    }
};

class CSVPythonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(python().isEmpty()) << "python3 is missing: install it (scripts/setup.sh)";
        CodePage::setCurrent(CodePage::Kind::Utf8);
    }
    void TearDown() override { CodePage::setCurrent(CodePage::Kind::Windows1252); }
    QString path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }
    QTemporaryDir m_dir;
};
} // namespace

TEST_F(CSVPythonTest, PythonReadsEveryFieldOfTheExport)
{
    Texts random{11};
    std::vector<ToDoItem> rows;
    QJsonArray expected;
    for (int i = 0; i < 400; ++i) {
        QJsonArray fields;
        ToDoItem item = ToDoItem::make(random.text(true).toUtf8());
        for (int k = 0; k < ToDoItem::ColumnCount; ++k)
            item.setValue(k, random.text(true).toUtf8());
        for (int k = -1; k < ToDoItem::ColumnCount; ++k) {
            const QByteArrayView t = k < 0 ? item.action() : item.value(k);
            // A text a spreadsheet would take for a formula is read with its guard.
            fields.append((CSVTextNeedsGuard(t) ? QStringLiteral("'") : QString()) + QString::fromUtf8(t));
        }
        rows.push_back(item);
        expected.append(fields);
    }
    ASSERT_TRUE(WriteCSVFile(path("out.csv"), rows).ok);
    const QByteArray json = runPython(R"(
import csv, json, sys
with open(sys.argv[1], newline='', encoding='utf-8') as f:
    records = list(csv.reader(f))
print(json.dumps(records))
)",
                                      {path("out.csv")});
    const QJsonArray got = QJsonDocument::fromJson(json).array();
    ASSERT_EQ(got.size(), expected.size() + 1);
    EXPECT_EQ(got[0].toArray().first().toString(), QStringLiteral("Actions"));
    for (qsizetype i = 0; i < expected.size(); ++i)
        EXPECT_EQ(got[i + 1].toArray(), expected[i].toArray()) << i;
}

TEST_F(CSVPythonTest, ImportReadsWhatPythonsWriterWrote)
{
    const struct
    {
        const char* what;
        const char* options; // keyword arguments of csv.writer
        bool header;
        bool nul;
    } dialects[] = {
        {"spreadsheet dialect, no header", "", false, false},
        {"quoting every field, with NUL", "quoting=csv.QUOTE_ALL", false, true},
        {"LibreOffice-style semicolons with German captions", "delimiter=';'", true, false},
        {"tabs", "delimiter='\\t'", true, false},
    };
    Texts random{5};
    for (const auto& d : dialects) {
        QJsonArray records;
        // The header puts the columns in an order of their own: Owner, Action, Remarks.
        if (d.header)
            records.append(QJsonArray{QStringLiteral("Zuständig"), QStringLiteral("Aufgabe"),
                                      QStringLiteral("Bemerkungen")});
        std::vector<QStringList> expected;
        for (int i = 0; i < 300; ++i) {
            QStringList fields{random.text(d.nul), random.text(d.nul), random.text(d.nul)};
            // Python writes an empty record as a blank line, which holds no item.
            if (fields.join(QString()).isEmpty())
                fields[0] = QStringLiteral("x");
            records.append(QJsonArray::fromStringList(fields));
            expected.push_back(fields);
        }
        ASSERT_TRUE(testutil::writeAll(path("in.json"), QJsonDocument(records).toJson()));
        const QByteArray script = QByteArray(R"(
import csv, json, sys
records = json.load(open(sys.argv[1], encoding='utf-8'))
with open(sys.argv[2], 'w', newline='', encoding='utf-8') as f:
    csv.writer(f, )") + d.options +
                                  ").writerows(records)\n";
        runPython(script.constData(), {path("in.json"), path("in.csv")});

        std::vector<ToDoItem> rows;
        CSVImportNotes notes;
        const IoResult r = ReadCSVFile(path("in.csv"), rows, &notes);
        ASSERT_TRUE(r.ok) << d.what << ": " << IoMessage(r).toStdString();
        EXPECT_FALSE(notes.earlierForm) << d.what;
        ASSERT_EQ(rows.size(), expected.size()) << d.what;
        for (size_t i = 0; i < rows.size(); ++i) {
            const QStringList& e = expected[i];
            const QStringList got = d.header
                                        ? QStringList{QString::fromUtf8(rows[i].value(ToDoItem::Owner)),
                                                      QString::fromUtf8(rows[i].action()),
                                                      QString::fromUtf8(rows[i].value(ToDoItem::Remarks))}
                                        : QStringList{QString::fromUtf8(rows[i].action()),
                                                      QString::fromUtf8(rows[i].value(ToDoItem::Priority)),
                                                      QString::fromUtf8(rows[i].value(ToDoItem::DateIn))};
            EXPECT_EQ(got, e) << d.what << " row " << i;
        }
    }
}
