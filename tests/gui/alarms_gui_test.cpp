#include "MainWindowFixture.h"

#include "app/TQuillmar.h"
#include "platform/desktop/QtSoundPlayer.h"
#include "platform/desktop/RecordingSoundPlayer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {
const QDate kDay(2026, 3, 14);

ToDoItem alarmRow(const char* action, const char* time)
{
    ToDoItem item = ToDoItem::make(action);
    item.setValue(ToDoItem::Target, "14.03.2026");
    item.setValue(ToDoItem::AlarmTime, time);
    return item;
}

QList<QMessageBox*> alarmBoxes()
{
    QList<QMessageBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(w);
            box && box->objectName() == QLatin1String("AlarmBox") && box->isVisible())
            boxes << box;
    }
    return boxes;
}
} // namespace

class AlarmsGuiTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<fixture::TempData> data;
    std::unique_ptr<TQuillmar> w;
    std::shared_ptr<RecordingSoundPlayer> sound;

    // A window with the settings given, its alarm timer ticking quickly on the test clock.
    void start(const QByteArray& ini = {}, const QTime& since = QTime(14, 0))
    {
        w.reset();
        if (!ini.isEmpty())
            data->writeIni(ini);
        w = std::make_unique<TQuillmar>();
        w->startUp();
        sound = std::make_shared<RecordingSoundPlayer>();
        w->setSoundPlayer(sound);
        w->alarmScanner().start(QDateTime(kDay, since));
        ToDoList list;
        list.items = {alarmRow("Call the plumber", "14:30:00"), alarmRow("Feed the cat", "14:30:00"),
                      alarmRow("Later", "15:00:00")};
        w->document().model()->setList(std::move(list));
        fixture::child<QTimer>(w.get(), "AlarmTimer")->setInterval(5);
    }
    void tickAt(const QTime& time)
    {
        Clock::setNow(QDateTime(kDay, time));
        QTest::qWait(40);
    }

private Q_SLOTS:
    void init()
    {
        fixture::setUpOnce(QDateTime(kDay, QTime(14, 0)));
        data = std::make_unique<fixture::TempData>();
        start();
    }

    void cleanup()
    {
        w.reset();
        for (QMessageBox* box : alarmBoxes())
            delete box;
        data.reset();
        Clock::reset();
    }

    void ringsWithBuiltInSoundAndOneBoxForSimultaneousAlarms()
    {
        tickAt(QTime(14, 29, 59));
        QVERIFY(sound->played.isEmpty());
        tickAt(QTime(14, 30, 0));
        QCOMPARE(sound->played, QList<QUrl>{SoundPlayer::builtInAlarm()});
        const auto boxes = alarmBoxes();
        QCOMPARE(boxes.size(), 1);
        QMessageBox* box = boxes.first();
        QCOMPARE(box->windowTitle(), QStringLiteral("Your Alarm"));
        QCOMPARE(box->text(), QStringLiteral("You have set an alarm: \n\rCall the plumber\nFeed the cat"));
        QCOMPARE(box->icon(), QMessageBox::Information);
        QCOMPARE(box->standardButtons(), QMessageBox::Ok | QMessageBox::Help);
        QVERIFY(box->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!box->isModal());
        box->button(QMessageBox::Ok)->click();
        QVERIFY(alarmBoxes().isEmpty());
    }

    // The lead time and the sound file come from the settings; a sound file that is missing or cannot be
    // played rings the built-in chime.
    void leadTimeAndSoundFile()
    {
        const QString wav = data->dir.filePath(QStringLiteral("ring.wav"));
        QVERIFY(fixture::writeFile(wav, "RIFF"));
        start("[Alarm]\nSound File=" + wav.toUtf8() + "\nPreAlarm Time=75\n", QTime(13, 44, 59));
        tickAt(QTime(13, 45, 0)); // 15:00 minus 75 minutes
        QCOMPARE(sound->played, QList<QUrl>{QUrl::fromLocalFile(wav)});
        QCOMPARE(alarmBoxes().size(), 1);
        QVERIFY(alarmBoxes().first()->text().endsWith(QStringLiteral("Later")));

        start("[Alarm]\nSound File=" + wav.toUtf8() + "\nPreAlarm Time=0\n");
        sound->unplayable = {QUrl::fromLocalFile(wav)};
        tickAt(QTime(14, 30, 5));
        QCOMPARE(sound->played, (QList<QUrl>{QUrl::fromLocalFile(wav), SoundPlayer::builtInAlarm()}));

        start("[Alarm]\nSound File=" + data->dir.filePath(QStringLiteral("gone.wav")).toUtf8() + "\n");
        tickAt(QTime(14, 30, 5));
        QCOMPARE(sound->played, QList<QUrl>{SoundPlayer::builtInAlarm()});
    }

    void ringsWhileHiddenAndWithoutAudio()
    {
        w->hide();
        sound->audible = false;
        tickAt(QTime(14, 31, 0));
        QVERIFY(!sound->played.isEmpty());
        QCOMPARE(alarmBoxes().size(), 1);
    }

    void builtInSoundIsCarried()
    {
        QFile chime(QStringLiteral(":/sounds/alarm.wav"));
        SoundPlayer::builtInAlarm();
        QVERIFY(chime.open(QIODevice::ReadOnly));
        const QByteArray head = chime.read(12);
        QVERIFY(head.startsWith("RIFF"));
        QCOMPARE(head.mid(8, 4), QByteArray("WAVE"));
        // Without an audio output Qt would still claim to play; the player says it cannot be heard.
        if (QMediaDevices::audioOutputs().isEmpty())
            QVERIFY(!QtSoundPlayer().play(SoundPlayer::builtInAlarm()));
    }
};

QTEST_MAIN(AlarmsGuiTest)
#include "alarms_gui_test.moc"
