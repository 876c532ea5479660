#include "config/IoMessage.h"
#include "exchange/ToDo2HTML.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/Regional.h"

#include "TestUtil.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
const QByteArray kEmptyPage =
    "<!DOCTYPE html>\r\n"
    "<html>\r\n"
    "<head><meta charset=\"windows-1252\"><title></title></head>\r\n"
    "<body style=\"background-color:#FFFACD\">\r\n"
    "<table border=\"1\" style=\"width:100%;margin:1em 0\">\r\n"
    "<tr>\r\n"
    "<th><h3><span style=\"font-size:medium;color:#00008B\">Status</span></h3></th>\r\n"
    "<th><h3><span style=\"font-size:medium;color:#00008B\">Actions</span></h3></th>\r\n"
    "<th><h3><span style=\"font-size:medium;color:#00008B\">Priority</span></h3></th>\r\n"
    "<th><h3><span style=\"font-size:medium;color:#00008B\">Date In</span></h3></th>\r\n"
    "<th><h3><span style=\"font-size:medium;color:#00008B\">Target</span></h3></th>\r\n"
    "<th><h3><span style=\"font-size:medium;color:#00008B\">Remarks</span></h3></th>\r\n"
    "<th><h3><span style=\"font-size:medium;color:#00008B\">Owner</span></h3></th>\r\n"
    "<th><h3><span style=\"font-size:medium;color:#00008B\">Project Name</span></h3></th>\r\n"
    "<th><h3><span style=\"font-size:medium;color:#00008B\">Alarm Time</span></h3></th>\r\n"
    "<th><h3><span style=\"font-size:medium;color:#00008B\">File Location</span></h3></th>\r\n"
    "</tr>\r\n"
    "</table>\r\n"
    "<hr>\r\n"
    "<p>ToDo List generated with Quillmar at 06.12.2026</p>\r\n"
    "</body>\r\n"
    "</html>\r\n";

const char* kColours = "[Open Item Color]\nColor=$000001\n[Pending Item Color]\nColor=$000002\n"
                       "[Completed Item Color]\nColor=$000003\n[Overdue Item Color]\nColor=$000004\n"
                       "[Today Item Color]\nColor=$000005\n[Table]\nTextSize=1\n";

class HtmlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CodePage::setCurrent(CodePage::Kind::Windows1252);
        Regional::setFormats(QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm:ss"));
        Clock::setNow(QDateTime(QDate(2026, 12, 6), QTime(9, 30)));
    }
    void TearDown() override
    {
        Clock::reset();
        CodePage::setCurrent(CodePage::Kind::Windows1252);
    }

    QString settings(const QByteArray& ini)
    {
        const QString p = m_dir.filePath(QStringLiteral("Quillmar.ini"));
        testutil::writeAll(p, ini);
        return p;
    }
    QByteArray page(const QString& ini, const std::vector<ToDoItem>& rows,
                    const QStringList& captions = TToDo2HTML::DefaultColumnCaptions())
    {
        TToDo2HTML html(ini);
        QByteArray out;
        const IoResult r = html.WriteHTML(rows, captions, QString(), &out);
        EXPECT_TRUE(r.ok) << IoMessage(r).toStdString();
        return out;
    }
    static ToDoItem item(const QByteArray& action, const QByteArray& target, bool checked = false)
    {
        ToDoItem i = ToDoItem::make(action, checked);
        i.setValue(ToDoItem::Priority, "1");
        i.setValue(ToDoItem::Target, target);
        i.setValue(ToDoItem::Remarks, "note");
        return i;
    }

    QTemporaryDir m_dir;
};
} // namespace

TEST_F(HtmlTest, EmptyListWithoutSettingsGivesTheDefaultPage)
{
    const QString missing = m_dir.filePath(QStringLiteral("none.ini"));
    EXPECT_EQ(page(missing, {}), kEmptyPage);
    EXPECT_FALSE(QFileInfo::exists(missing)); // reading the settings creates nothing

    const QString file = m_dir.filePath(QStringLiteral("out.html"));
    TToDo2HTML html(missing);
    ASSERT_TRUE(html.WriteHTML(ToDoList(), TToDo2HTML::DefaultColumnCaptions(), file).ok);
    EXPECT_EQ(testutil::readAll(file), kEmptyPage);
}

TEST_F(HtmlTest, EachStatusHasItsLabelAndColour)
{
    const QByteArray out = page(
        settings(kColours), {item("open", ""), item("later", "07.12.2026"), item("done", "01.01.2020", true),
                             item("late", "05.12.2026"), item("now", "06.12.2026"), item("junk", "soon")});
    const QByteArray text = "<span style=\"color:#010000;font-size:large\">";
    const QByteArray center = "<td style=\"text-align:center\">" + text;
    const QByteArray open =
        "<tr>\r\n" + center + "[open task]</span></td>\r\n<td>" + text + "open</span></td>\r\n" + center +
        "1</span></td>\r\n" + center + "  -  </span></td>\r\n" + center + "  -  </span></td>\r\n<td>" + text +
        "note</span></td>\r\n" + (center + "  -  </span></td>\r\n").repeated(4) + "</tr>\r\n";
    EXPECT_TRUE(out.contains("File Location</span></h3></th>\r\n</tr>\r\n" + open)) << out.constData();
    const char* rows[][3] = {{"020000", "[ pending ]", "later"},
                             {"030000", "[completed]", "done"},
                             {"040000", "[ Overdue ]", "late"},
                             {"050000", "[ today ]", "now"},
                             {"020000", "[ pending ]", "junk"}};
    for (const auto& [colour, label, action] : rows) {
        const QByteArray span = QByteArray("<span style=\"color:#") + colour + ";font-size:large\">";
        EXPECT_TRUE(out.contains("<td style=\"text-align:center\">" + span + label + "</span></td>\r\n<td>" +
                                 span + action + "</span></td>"))
            << action;
    }
    EXPECT_EQ(out.count("<tr>"), 7);
    EXPECT_EQ(out.count("</tr>"), 7);
}

TEST_F(HtmlTest, SizesAlignmentsAndColoursFollowTheSettings)
{
    TToDo2HTML html(settings("[Header]\nText=Tasks\nTextSize=3\nPosition=1\nColor=clRed\n"
                             "[footer]\nTextSize=-2\nPosition=5\nColor=255\n"
                             "[Table Header]\nTextSize=0\nPosition=2\nColor=16711680\n"
                             "[Background Color]\nColor=clWhite\n"));
    ASSERT_TRUE(html.error().isEmpty()) << html.error().toStdString();
    html.SelectGroup(TToDo2HTML::Header);
    EXPECT_EQ(html.SizeAttr, QByteArray(" SIZE=\"+3\" "));
    EXPECT_EQ(html.ColorAttr, QByteArray(" COLOR=\"FF0000\" "));
    EXPECT_EQ(html.AlignAttr, QByteArray(" ALIGN=\"center\" "));
    EXPECT_EQ(html.TextPart, QByteArray(" Tasks "));
    html.SelectGroup(TToDo2HTML::Footer);
    EXPECT_EQ(html.SizeAttr, QByteArray(" SIZE=\"-2\" "));
    EXPECT_EQ(html.ColorAttr, QByteArray(" COLOR=\"FF0000\" "));
    EXPECT_EQ(html.AlignAttr, QByteArray(" ALIGN=\"\" "));
    html.SelectGroup(TToDo2HTML::TableHeader);
    EXPECT_EQ(html.SizeAttr, QByteArray(" SIZE=\"+0\" "));
    EXPECT_EQ(html.ColorAttr, QByteArray(" COLOR=\"0000FF\" "));
    EXPECT_EQ(html.AlignAttr, QByteArray(" ALIGN=\"right\" "));
    // Groups without a "Color" key take the default table, the others what is stored.
    const std::pair<int, const char*> colours[] = {
        {TToDo2HTML::BackGround, "FFFFFF"},    {TToDo2HTML::Table, "00008B"},
        {TToDo2HTML::OpenItem, "006400"},      {TToDo2HTML::PendingItem, "FF0000"},
        {TToDo2HTML::CompletedItem, "0000CD"}, {TToDo2HTML::OverdueItem, "696969"}};
    for (const auto& [group, colour] : colours)
        EXPECT_EQ(html.Groups[group].Color, QLatin1String(colour)) << group;

    EXPECT_EQ(TToDo2HTML::ColorToHTML(0x00123456), QStringLiteral("563412"));
    EXPECT_EQ(TToDo2HTML::ColorToHTML(0x80000005), QStringLiteral("050000"));
}

TEST_F(HtmlTest, UnreadableSettingsNameTheirSectionAndWriteNothing)
{
    const QString file = m_dir.filePath(QStringLiteral("out.html"));
    const struct
    {
        QByteArray ini;
        const char* section;
        const char* value;
    } cases[] = {
        {"[Header]\nTextSize=big\n", "Header", "'big'"},
        {"[Table]\nTextSize=1.5\n", "Table", "'1.5'"},
        {"[Overdue Item Color]\nPosition=left\n", "Overdue Item Color", "'left'"},
        {"[Open Item Color]\nColor=FF0000\n", "Open Item Color", "'FF0000'"},
        {"[Today Item Color]\nColor=reddish\n", "Today Item Color", "'reddish'"},
    };
    for (const auto& c : cases) {
        TToDo2HTML html(settings(c.ini));
        const IoResult r = html.WriteHTML(ToDoList(), TToDo2HTML::DefaultColumnCaptions(), file);
        EXPECT_FALSE(r.ok) << c.ini.constData();
        EXPECT_TRUE(IoMessage(r).contains(QLatin1String(c.section)) &&
                    IoMessage(r).contains(QLatin1String(c.value)))
            << IoMessage(r).toStdString();
        EXPECT_FALSE(QFileInfo::exists(file));
    }
    // The size of a colour-only group is not on the page, so it is not checked.
    TToDo2HTML html(settings("[Open Item Color]\nTextSize=none\n"));
    EXPECT_TRUE(html.error().isEmpty());

    TToDo2HTML fine(settings(""));
    EXPECT_FALSE(fine.WriteHTML(ToDoList(), {}, m_dir.filePath(QStringLiteral("no/dir/x.html"))).ok);
}

TEST_F(HtmlTest, NonAsciiTextsShowInTheDeclaredCharset)
{
    const QByteArray ini = QStringLiteral("[Header]\nText=Caf\u00e9 \u20ac \u03a9\n").toUtf8();
    QByteArray out = page(settings(ini), {ToDoItem::make("M\xFCller")});
    EXPECT_TRUE(out.contains("<head><meta charset=\"windows-1252\">"));
    EXPECT_TRUE(out.contains(" Caf\xE9 \x80 &#937; </span>")) << out.constData(); // Omega is not in 1252
    EXPECT_TRUE(out.contains(">M\xFCller</span></td>"));

    CodePage::setCurrent(CodePage::Kind::Utf8);
    out = page(settings(ini), {ToDoItem::make("M\xC3\xBCller")});
    EXPECT_TRUE(out.contains("<head><meta charset=\"utf-8\">"));
    EXPECT_TRUE(out.contains(" Caf\xC3\xA9 \xE2\x82\xAC \xCE\xA9 </span>"));
    EXPECT_TRUE(out.contains(">M\xC3\xBCller</span></td>"));
}
