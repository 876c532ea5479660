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
    "<html><head><meta charset=\"windows-1252\"><title></title></head>\r\n"
    "<body>\r\n"
    "<body BGCOLOR=\"FFFACD\">\r\n"
    "<H2  ALIGN=\"left\" >\r\n"
    "<FONT  SIZE=\"+0\"  COLOR=\"00008B\" >  </FONT></H2>\r\n"
    "<P><P><P>\r\n"
    "<table border=1 width=100%>\r\n"
    "<tr>\r\n"
    "<td><h3><CENTER><FONT  SIZE=\"+0\"  COLOR=\"00008B\" >Status</td><P>\r\n"
    "<td><h3><CENTER><FONT  SIZE=\"+0\"  COLOR=\"00008B\" >Actions</td><P>\r\n"
    "<td><h3><CENTER><FONT  SIZE=\"+0\"  COLOR=\"00008B\" >Priority</td><P>\r\n"
    "<td><h3><CENTER><FONT  SIZE=\"+0\"  COLOR=\"00008B\" >Date In</td><P>\r\n"
    "<td><h3><CENTER><FONT  SIZE=\"+0\"  COLOR=\"00008B\" >Target</td><P>\r\n"
    "<td><h3><CENTER><FONT  SIZE=\"+0\"  COLOR=\"00008B\" >Remarks</td><P>\r\n"
    "<td><h3><CENTER><FONT  SIZE=\"+0\"  COLOR=\"00008B\" >Owner</td><P>\r\n"
    "<td><h3><CENTER><FONT  SIZE=\"+0\"  COLOR=\"00008B\" >Project Name</td><P>\r\n"
    "<td><h3><CENTER><FONT  SIZE=\"+0\"  COLOR=\"00008B\" >Alarm Time</td><P>\r\n"
    "<td><h3><CENTER><FONT  SIZE=\"+0\"  COLOR=\"00008B\" >File Location</td><P>\r\n"
    "</table>\r\n"
    "<P><P><P>\r\n"
    "<H2  ALIGN=\"left\" >\r\n"
    "<FONT  SIZE=\"+0\"  COLOR=\"00008B\" >  </FONT></H2>\r\n"
    "<HR>\r\n"
    "ToDo List generated with Quillmar at \r\n"
    "06.12.2026\r\n"
    "<P><P><P>\r\n"
    "</body></html>\r\n";

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
        EXPECT_TRUE(r.ok) << r.error.toStdString();
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
    const QByteArray open = "<tr>\r\n"
                            "<td><FONT COLOR=010000 SIZE=\"+1\" ><CENTER>[open task]</td>\r\n"
                            "<td><FONT COLOR=010000 SIZE=\"+1\" >open</td>\r\n"
                            "<td><FONT COLOR=010000 SIZE=\"+1\" ><CENTER>1</td>\r\n"
                            "<td><FONT COLOR=010000 SIZE=\"+1\" ><CENTER>  -  </td>\r\n"
                            "<td><FONT COLOR=010000 SIZE=\"+1\" ><CENTER>  -  </td>\r\n"
                            "<td><FONT COLOR=010000 SIZE=\"+1\" ><LEFT>note</td>\r\n"
                            "<td><FONT COLOR=010000 SIZE=\"+1\" ><CENTER>  -  </td>\r\n"
                            "<td><FONT COLOR=010000 SIZE=\"+1\" ><CENTER>  -  </td>\r\n"
                            "<td><FONT COLOR=010000 SIZE=\"+1\" ><CENTER>  -  </td>\r\n"
                            "<td><FONT COLOR=010000 SIZE=\"+1\" ><CENTER>  -  </td>\r\n"
                            "</tr>\r\n";
    // The first item row follows the last header cell; the header row's <tr> is never closed.
    EXPECT_TRUE(out.contains("File Location</td><P>\r\n" + open)) << out.constData();
    const char* rows[][3] = {{"020000", "[ pending ]", "later"},
                             {"030000", "[completed]", "done"},
                             {"040000", "[ Overdue ]", "late"},
                             {"050000", "[ today ]", "now"},
                             {"020000", "[ pending ]", "junk"}};
    for (const auto& [colour, label, action] : rows) {
        const QByteArray cell = QByteArray("<td><FONT COLOR=") + colour + " SIZE=\"+1\" >";
        EXPECT_TRUE(out.contains(cell + "<CENTER>" + label + "</td>\r\n" + cell + action + "</td>"))
            << action;
    }
    EXPECT_EQ(out.count("<tr>"), 7);
    EXPECT_EQ(out.count("</tr>"), 6);
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
        EXPECT_TRUE(r.error.contains(QLatin1String(c.section)) && r.error.contains(QLatin1String(c.value)))
            << r.error.toStdString();
        EXPECT_FALSE(QFileInfo::exists(file));
    }
    // The size of a colour-only group is not on the page, so it is not checked.
    TToDo2HTML html(settings("[Open Item Color]\nTextSize=none\n"));
    EXPECT_TRUE(html.error().isEmpty());

    TToDo2HTML fine(settings(""));
    EXPECT_FALSE(fine.WriteHTML(ToDoList(), {}, m_dir.filePath(QStringLiteral("no/dir/x.html"))).ok);
}

TEST_F(HtmlTest, TextsAreEscapedAndKeepTheirLines)
{
    ToDoItem evil = ToDoItem::make("<script>alert(\"x&y\")</script>");
    evil.setValue(ToDoItem::Remarks, "line 1\r\n<b>line 2</b>");
    const QByteArray out =
        page(settings("[Header]\nText=Tom & Jerry <list>\n[Footer]\nText=\"quoted\" end\n"), {evil},
             {QStringLiteral("A&B"), QStringLiteral("<Prio>")});
    EXPECT_TRUE(out.contains(">&lt;script&gt;alert(&quot;x&amp;y&quot;)&lt;/script&gt;</td>\r\n"));
    EXPECT_TRUE(out.contains("<LEFT>line 1\r\n&lt;b&gt;line 2&lt;/b&gt;</td>\r\n"));
    EXPECT_TRUE(out.contains("> Tom &amp; Jerry &lt;list&gt; </FONT></H2>\r\n"));
    EXPECT_TRUE(out.contains("> &quot;quoted&quot; end </FONT></H2>\r\n"));
    EXPECT_TRUE(out.contains(">A&amp;B</td><P>\r\n") && out.contains(">&lt;Prio&gt;</td><P>\r\n"));
    EXPECT_FALSE(out.contains("<script>") || out.contains("<b>"));
}

TEST_F(HtmlTest, NonAsciiTextsShowInTheDeclaredCharset)
{
    const QByteArray ini = QStringLiteral("[Header]\nText=Caf\u00e9 \u20ac \u03a9\n").toUtf8();
    QByteArray out = page(settings(ini), {ToDoItem::make("M\xFCller")});
    EXPECT_TRUE(out.startsWith("<html><head><meta charset=\"windows-1252\">"));
    EXPECT_TRUE(out.contains(" Caf\xE9 \x80 &#937; </FONT>")) << out.constData(); // Omega is not in 1252
    EXPECT_TRUE(out.contains(">M\xFCller</td>"));

    CodePage::setCurrent(CodePage::Kind::Utf8);
    out = page(settings(ini), {ToDoItem::make("M\xC3\xBCller")});
    EXPECT_TRUE(out.startsWith("<html><head><meta charset=\"utf-8\">"));
    EXPECT_TRUE(out.contains(" Caf\xC3\xA9 \xE2\x82\xAC \xCE\xA9 </FONT>"));
    EXPECT_TRUE(out.contains(">M\xC3\xBCller</td>"));
}
