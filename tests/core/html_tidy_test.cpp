// The HTML page checked by tidy (Debian package tidy), in both code pages: a whole page without one error,
// line breaks shown, no control characters. A missing tidy fails the test.
#include "exchange/ToDo2HTML.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/Regional.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(HtmlThroughTidy, PagesHaveNoErrorsShowLineBreaksAndHoldNoControls)
{
    const QString tidy = QStandardPaths::findExecutable(QStringLiteral("tidy"));
    ASSERT_FALSE(tidy.isEmpty()) << "tidy is missing (Debian package tidy)";
    Regional::setFormats(QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm:ss"));
    Clock::setNow(QDateTime(QDate(2026, 12, 6), QTime(9, 30)));
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("Quillmar.ini"));
    QFile settings(ini);
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write(
        "[Header]\nText=Tom & <Jerry>\nTextSize=3\nPosition=1\n[Footer]\nText=\"end\"\nPosition=7\n"
        "[Table Header]\nTextSize=-1\n");
    settings.close();

    for (const CodePage::Kind page : {CodePage::Kind::Windows1252, CodePage::Kind::Utf8}) {
        CodePage::setCurrent(page);
        const bool utf8 = page == CodePage::Kind::Utf8;
        std::vector<ToDoItem> rows;
        // Every status, texts with mark-up characters, each kind of line break and control characters.
        for (const char* target : {"", "06.12.2026", "01.01.2020", "01.01.2030", "06.12.2026 18:00:00"}) {
            ToDoItem item =
                ToDoItem::make(utf8 ? "Über <b>&\x01\x7f\xc2\x85\xff" : "\xdc\x62\x65r <b>&\x01\x7f\x81\x9d");
            item.setValue(ToDoItem::Target, target);
            item.setValue(ToDoItem::Remarks, "one\r\ntwo\rthree\nfour\x1b");
            rows.push_back(item);
        }
        rows.back().setChecked(true);
        TToDo2HTML html(ini);
        html.Title = QStringLiteral("Plan & <Ideas>");
        QByteArray out;
        ASSERT_TRUE(html.WriteHTML(rows, TToDo2HTML::DefaultColumnCaptions(), QString(), &out).ok);

        QProcess p;
        p.start(tidy, {QStringLiteral("-errors"), QStringLiteral("-quiet")});
        p.write(out);
        p.closeWriteChannel();
        ASSERT_TRUE(p.waitForFinished(30000));
        const QByteArray report = p.readAllStandardError();
        // 0: clean, 1: warnings only, 2: errors.
        EXPECT_LT(p.exitCode(), 2) << report.constData() << out.constData();
        EXPECT_FALSE(report.contains("Error:")) << report.constData();

        EXPECT_TRUE(out.startsWith("<!DOCTYPE html>"));
        EXPECT_TRUE(out.contains("<title>Plan &amp; &lt;Ideas&gt;</title>"));
        // Mark-up in the texts is shown, never obeyed.
        EXPECT_FALSE(out.contains("<b>") || out.contains("<Jerry>")) << out.constData();
        EXPECT_TRUE(out.contains("&lt;b&gt;&amp;") && out.contains("Tom &amp; &lt;Jerry&gt;"));
        EXPECT_EQ(out.count("<body"), 1);
        EXPECT_TRUE(out.contains(">one<br>two<br>three<br>four</span></td>")) << out.constData();
        for (const char c : out) {
            const auto b = static_cast<unsigned char>(c);
            EXPECT_TRUE(b >= 0x20 || c == '\r' || c == '\n' || c == '\t') << int(b);
            EXPECT_NE(b, 0x7F);
        }
        EXPECT_FALSE(out.contains(utf8 ? "\xc2\x85" : "\x81"));
    }
    Clock::reset();
    CodePage::setCurrent(CodePage::Kind::Windows1252);
}
