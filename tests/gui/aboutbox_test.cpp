// The about box: the caption and the binary clock every second, the system report, and the links.
#include "MainWindowFixture.h"

#include "dialogs/TAboutBox.h"
#include "dialogs/TAboutBoxDlg.h"

#include <QLabel>
#include <QSysInfo>
#include <QTest>
#include <QToolButton>
#include <QUrl>

using namespace fixture;

class AboutBoxTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { setUpOnce(); }
    void init() { quietDialogs(true); }
    void cleanup()
    {
        quietDialogs(false);
        TAboutBox::setUrlOpener({});
        Clock::reset();
    }

    void captionAndClockFollowTheTimeEachSecond()
    {
        Clock::setNow(QDateTime(QDate(2024, 3, 15), QTime(13, 5, 59)));
        TAboutBoxDlg about;
        about.applyMainWindowDesign();
        const QString name = TAboutBox::programFileName();
        bool done = false;
        whenModal<TAboutBox>([&](TAboutBox& box) {
            // The caption follows the second (the clock's bits are BinaryClock's, aboutbox_core_test).
            QTRY_COMPARE_WITH_TIMEOUT(box.windowTitle(),
                                      QStringLiteral("About box for: %1! Time: 13:05:59").arg(name), 2500);
            Clock::setNow(QDateTime(QDate(2024, 3, 16), QTime(0, 0, 0)));
            QTRY_COMPARE_WITH_TIMEOUT(box.windowTitle(),
                                      QStringLiteral("About box for: %1! Time: 00:00:00").arg(name), 2500);

            // The system report tells this machine's name.
            QTest::mouseClick(child<QToolButton>(&box, "SpeedButton2"), Qt::LeftButton);
            QVERIFY(messages().lastText().startsWith(QStringLiteral("You are probably Running ") +
                                                     QSysInfo::prettyProductName() + QLatin1Char('\n')));
            QTest::mouseClick(child<QToolButton>(&box, "SpeedButton1"), Qt::LeftButton);
            done = true;
        });
        QCOMPARE(about.Execute(), false);
        QVERIFY(done);
        QVERIFY(!about.box());
    }

    void linksOpenAndAFailedMailIsReported()
    {
        QList<QUrl> opened;
        TAboutBox::setUrlOpener([&](const QUrl& url) {
            opened << url;
            return url.scheme() != QLatin1String("mailto");
        });
        TAboutBoxDlg about;
        about.setAboutText({QStringLiteral("line")});
        whenModal<TAboutBox>([&](TAboutBox& box) {
            QTest::mouseClick(child<QLabel>(&box, "LblHomepage"), Qt::LeftButton);
            QTest::mouseClick(child<QLabel>(&box, "LblMail"), Qt::LeftButton);
            QCOMPARE(messages().lastText(), QStringLiteral("An Error occurred with Mail!"));
            box.reject();
        });
        about.Execute();
        QCOMPARE(opened.size(), 2);
        QCOMPARE(opened.at(0), QUrl(TAboutBox::homePageAddress()));
        QCOMPARE(opened.at(1).toString(), QStringLiteral("mailto:") + TAboutBox::mailAddress() +
                                              QStringLiteral("?subject=") + TAboutBox::programFileName());
    }
};

QTEST_MAIN(AboutBoxTest)
#include "aboutbox_test.moc"
