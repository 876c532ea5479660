#include "MainWindowFixture.h"

#include "app/ReportView.h"
#include "app/TQuillmar.h"
#include "config/Config.h"
#include "platform/desktop/QtSoundPlayer.h"
#include "platform/desktop/RecordingNotifier.h"
#include "platform/desktop/RecordingSoundPlayer.h"
#include "platform/desktop/SoundBackend.h"

#include <QAbstractButton>
#include <QApplication>
#include <QAudioDevice>
#include <QFileInfo>
#include <QLabel>
#include <QLibrary>
#include <QMediaDevices>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
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
    std::shared_ptr<RecordingNotifier> notes;

    // A window with the settings given, its alarm timer ticking quickly on the test clock.
    void start(const QByteArray& ini = {}, const QTime& since = QTime(14, 0))
    {
        w.reset();
        if (!ini.isEmpty())
            data->writeIni(ini);
        Clock::setNow(QDateTime(kDay, since));
        // Quillmar last looked just now: nothing counts as missed.
        Config::write(SettingsFilePath(), Config::Key::LastScan, Clock::now().toString(Qt::ISODate));
        w = std::make_unique<TQuillmar>();
        w->startUp();
        sound = std::make_shared<RecordingSoundPlayer>();
        w->setSoundPlayer(sound);
        notes = std::make_shared<RecordingNotifier>();
        w->setNotifier(notes);
        w->alarmScanner().start(QDateTime(kDay, since));
        ToDoList list;
        list.items = {alarmRow("Call the plumber", "14:30:00"), alarmRow("Feed the cat", "14:30:00"),
                      alarmRow("Later", "15:00:00")};
        w->document().model()->setList(std::move(list));
        w->document().autosave();
        w->document().finishSaving();
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
        QCOMPARE(box->text(), QStringLiteral("You have set an alarm: \n\rCall the plumber\nFeed the cat"));
        QVERIFY(box->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!box->isModal());
        box->button(QMessageBox::Ok)->click();
        QVERIFY(alarmBoxes().isEmpty());
    }

    // An alarm moved ahead of the next one the ticks saw rings at its new time.
    void anAlarmEditedBetweenTicksRingsAtItsNewTime()
    {
        tickAt(QTime(14, 10, 0));
        ListDocument& document = w->document();
        const ToDoItem before = document.list().items[2];
        ToDoItem after = before;
        after.setValue(ToDoItem::AlarmTime, "14:20:00");
        QVERIFY(document.editItem(2, before, after, document.model()->ownerNames(),
                                  document.model()->projectNames()));
        tickAt(QTime(14, 20, 0));
        QCOMPARE(alarmBoxes().size(), 1);
        QVERIFY(alarmBoxes().first()->text().endsWith(QStringLiteral("Later")));
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

    // Hidden: the box still shows, and the desktop is told; without audio the box shows all the same.
    void ringsWhileHiddenAndWithoutAudio()
    {
        w->show();
        tickAt(QTime(14, 30, 0));
        QVERIFY(notes->shown.isEmpty());
        w->hide();
        sound->audible = false;
        tickAt(QTime(15, 0, 0));
        QVERIFY(!sound->played.isEmpty());
        QCOMPARE(alarmBoxes().size(), 2);
        QCOMPARE(notes->shown, QStringList{QStringLiteral("Your Alarm|Later")});
    }

    // The standard list's alarms ring while the history list is shown, and not again after coming back.
    void standardListRingsWhateverListIsShown()
    {
        fixture::action(w.get(), "actLoadHistory")->trigger();
        QCOMPARE(w->document().mode(), ListMode::History);
        tickAt(QTime(14, 30, 0));
        QCOMPARE(alarmBoxes().size(), 1);
        QVERIFY(alarmBoxes().first()->text().endsWith(QStringLiteral("Call the plumber\nFeed the cat")));
        fixture::action(w.get(), "OpenStandardToDo")->trigger();
        tickAt(QTime(14, 30, 1));
        QCOMPARE(alarmBoxes().size(), 1);
        QCOMPARE(sound->played.size(), 1);
    }

    // Snooze, clicked where the user clicks, rings the same alarms again after its time (the minutes are
    // alarm_test's); Enter in the box answers OK.
    void snoozeAndEnter()
    {
        w->show();
        tickAt(QTime(14, 30, 0));
        QMessageBox* box = alarmBoxes().first();
        auto* snooze = fixture::child<QPushButton>(box, "Snooze5");
        QCOMPARE(snooze->text(), QStringLiteral("Snooze 5 minutes"));
        QTest::mouseClick(snooze, Qt::LeftButton);
        QTRY_VERIFY(alarmBoxes().isEmpty());
        tickAt(QTime(14, 35, 0));
        QCOMPARE(alarmBoxes().size(), 1);
        QVERIFY(alarmBoxes().first()->text().endsWith(QStringLiteral("Call the plumber\nFeed the cat")));
        box = alarmBoxes().first();
        QTRY_VERIFY(box->isActiveWindow());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_VERIFY(alarmBoxes().isEmpty());
    }

    // A window on its way to the screen draws its rows first; the missed alarms follow its first frame.
    void missedAlarmsFollowTheFirstFrame()
    {
        w.reset();
        data->writeIni("[Alarm]\nLast Scan=2026-03-14T13:00:00\n");
        ToDoList list;
        list.items = {alarmRow("While away", "13:30:00")};
        QVERIFY(SaveListFile(list, StandardListPath()));
        TQuillmar shown;
        shown.setNotifier(notes);
        QSignalSpy frames(&shown, &TQuillmar::firstFrameShown);
        shown.show();
        shown.startUp();
        QCOMPARE(alarmBoxes().size(), 0);
        QVERIFY(!fixture::child<QTimer>(&shown, "AlarmTimer")->isActive());
        QTRY_COMPARE(frames.size(), 1);
        QTRY_COMPARE(alarmBoxes().size(), 1);
        QVERIFY(fixture::child<QTimer>(&shown, "AlarmTimer")->isActive());
        alarmBoxes().first()->close();
    }

    // At midnight the date of the status bar and the colours of the rows follow the new day.
    void newDayRefreshesStatuses()
    {
        auto* view = fixture::child<ReportView>(w.get(), "lstToDo");
        auto bold = [view] { return view->model()->index(0, 0).data(Qt::FontRole).value<QFont>().bold(); };
        QVERIFY(bold()); // due today
        tickAt(QTime(23, 59, 59));
        Clock::setNow(QDateTime(kDay.addDays(1), QTime(0, 0, 1)));
        QTest::qWait(40);
        QCOMPARE(fixture::child<QLabel>(w.get(), "StatusPanel0")->text(), QStringLiteral("15.03.2026"));
        QVERIFY(!bold()); // overdue now
        for (QMessageBox* box : alarmBoxes())
            box->close();
    }

    // The player's sound library is built where the player looks for it, and offers what the player needs.
    void soundModuleIsFoundAndLoads()
    {
        QString found;
        for (const QString& candidate : QtSoundPlayer::moduleCandidates())
            if (found.isEmpty() && QFileInfo(candidate).isFile())
                found = candidate;
        QVERIFY2(!found.isEmpty(), qPrintable(QtSoundPlayer::moduleCandidates().join(QLatin1Char(' '))));
        QLibrary module(found);
        const auto create = reinterpret_cast<CreateSoundBackend>(module.resolve(kCreateSoundBackend));
        QVERIFY2(create, qPrintable(module.errorString()));
        std::unique_ptr<SoundBackend> backend(create());
        QCOMPARE(backend->hasAudioOutput(), !QMediaDevices::audioOutputs().isEmpty());
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
