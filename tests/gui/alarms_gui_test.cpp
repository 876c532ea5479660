#include "MainWindowFixture.h"

#include "app/TQuillmar.h"
#include "platform/desktop/QtSoundPlayer.h"
#include "platform/desktop/RecordingSoundPlayer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QMessageBox>
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

    void tickAt(const QTime& time)
    {
        Clock::setNow(QDateTime(kDay, time));
        w->Timer1Timer();
    }

private Q_SLOTS:
    void init()
    {
        fixture::setUpOnce(QDateTime(kDay, QTime(14, 0)));
        data = std::make_unique<fixture::TempData>();
        w = std::make_unique<TQuillmar>();
        // The real timer must not tick on its own clock in these tests.
        w->Timer1->stop();
        sound = std::make_shared<RecordingSoundPlayer>();
        w->setSoundPlayer(sound);
        w->alarmScanner().start(Clock::now());
        ToDoList list;
        list.items = {alarmRow("Call the plumber", "14:30:00"), alarmRow("Feed the cat", "14:30:00"),
                      alarmRow("Later", "15:00:00")};
        w->model()->setList(std::move(list));
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
        QVERIFY(w->AlarmCaption.isEmpty());
    }

    void leadTimeAndSoundFile()
    {
        const QString wav = data->dir.filePath(QStringLiteral("ring.wav"));
        QVERIFY(fixture::writeFile(wav, "RIFF"));
        w->SoundFile = wav;
        w->AlarmLeadTime = QStringLiteral("75");
        w->alarmScanner().start(QDateTime(kDay, QTime(13, 44, 59)));
        tickAt(QTime(13, 45, 0)); // 15:00 minus 75 minutes
        QCOMPARE(sound->played, QList<QUrl>{QUrl::fromLocalFile(wav)});
        QCOMPARE(alarmBoxes().size(), 1);
        QVERIFY(alarmBoxes().first()->text().endsWith(QStringLiteral("Later")));

        // A missing sound file falls back to the built-in sound.
        w->SoundFile = data->dir.filePath(QStringLiteral("gone.wav"));
        w->AlarmLeadTime = QStringLiteral("0");
        tickAt(QTime(14, 30, 5));
        QCOMPARE(sound->played.last(), SoundPlayer::builtInAlarm());
    }

    void ringsWhileHiddenAndWithoutAudio()
    {
        w->hide();
        sound->audible = false;
        tickAt(QTime(14, 31, 0));
        QCOMPARE(sound->played.size(), 1);
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
