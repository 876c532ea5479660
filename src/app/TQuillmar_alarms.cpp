// Alarms: on each tick of the alarm timer, every alarm of the standard list and of the shown list that fell
// due since the previous tick rings with a sound and a box, also while the window is hidden in the tray;
// snoozed alarms ring again; at start the alarms missed while Quillmar was not running are listed; and at
// the change of day the statuses and the date are brought up to date.
#include "app/TQuillmar.h"

#include "app/ItemStyleModel.h"
#include "dialogs/AlarmBox.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/Regional.h"
#include "platform/desktop/DesktopNotifier.h"
#include "platform/desktop/QtSoundPlayer.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTimer>

void TQuillmar::setupAlarms()
{
    // The player loads its sound library on the first alarm; the notifier comes with the tray icon.
    if (!m_soundPlayer)
        m_soundPlayer = std::make_shared<QtSoundPlayer>();
    // Alarms due before the program started are not rung by the timer; the start lists them as missed.
    const QDateTime now = Clock::now();
    m_reminders.scanner().start(now);
    m_shownDay = now.date();
    m_styleModel->setToday(m_shownDay);
    connect(m_alarmTimer, &QTimer::timeout, this, &TQuillmar::onAlarmTimer);
}

void TQuillmar::setSoundPlayer(std::shared_ptr<SoundPlayer> player)
{
    m_soundPlayer = std::move(player);
}

void TQuillmar::setNotifier(std::shared_ptr<DesktopNotifier> notifier)
{
    m_notifier = std::move(notifier);
}

std::array<const ToDoList*, 2> TQuillmar::alarmLists() const
{
    // The standard list rings whatever list is shown; the shown one too (once, when it is the standard).
    const ToDoList* shown = &listModel()->list();
    const ToDoList* standard = m_document->standardRows();
    return {shown, standard == shown ? nullptr : standard};
}

void TQuillmar::onAlarmTimer()
{
    const QDateTime now = Clock::now();
    // The day changed (midnight, or a wake-up from suspend): statuses, counts and the date follow.
    if (now.date() != m_shownDay)
        refreshDay(now.date());
    // The lead time is read at every tick, so a change in the settings counts at once.
    m_reminders.scanner().setLeadMinutes(AlarmScanner::leadFromText(AlarmLeadTime));
    const QList<AlarmScanner::Alarm> due = m_reminders.tick(alarmLists(), now);
    if (due.isEmpty())
        return;
    QStringList actions;
    for (const AlarmScanner::Alarm& alarm : due)
        actions << CodePage::decode(alarm.action);
    // Without an audio output the alarm is silent; the box still shows.
    if (m_soundPlayer)
        m_soundPlayer->playAlarm(SoundFile);
    // Out of sight, the desktop says it as well.
    if (m_notifier && (!isVisible() || isMinimized()))
        m_notifier->notify(QStringLiteral("Your Alarm"), actions.join(QLatin1Char('\n')));
    showAlarmBox(QStringLiteral("Your Alarm"),
                 QStringLiteral("You have set an alarm: \n\r") + actions.join(QLatin1Char('\n')), due);
}

void TQuillmar::startAlarms()
{
    if (m_alarmsStarted)
        return;
    m_alarmsStarted = true;
    showMissedAlarms();
    m_alarmTimer->start();
}

void TQuillmar::showMissedAlarms()
{
    m_reminders.scanner().setLeadMinutes(AlarmScanner::leadFromText(AlarmLeadTime));
    const QList<AlarmScanner::Alarm> missed = m_reminders.missed(alarmLists(), Clock::now());
    if (missed.isEmpty())
        return;
    QStringList lines;
    for (const AlarmScanner::Alarm& alarm : missed)
        lines << QStringLiteral("%1 %2   %3")
                     .arg(Regional::dateToText(alarm.due.date()), Regional::timeToText(alarm.due.time()),
                          CodePage::decode(alarm.action));
    const QString text = QStringLiteral("These alarms fell due while Quillmar was not running:\n\n") +
                         lines.join(QLatin1Char('\n'));
    if (m_notifier && (!isVisible() || isMinimized()))
        m_notifier->notify(QStringLiteral("Missed alarms"), lines.join(QLatin1Char('\n')));
    showAlarmBox(QStringLiteral("Missed alarms"), text, missed);
}

void TQuillmar::refreshDay(const QDate& today)
{
    m_shownDay = today;
    m_statusPanels[0]->setText(Regional::dateToText(today));
    m_styleModel->setToday(today);
    UpdateStatusBar();
}

void TQuillmar::showAlarmBox(const QString& title, const QString& text,
                             const QList<AlarmScanner::Alarm>& alarms)
{
    // While a modal dialog is open, the box belongs to that dialog, or the dialog would block it; when the
    // dialog closes, the box stays on its own.
    QWidget* modal = QApplication::activeModalWidget();
    auto* box = new AlarmBox(title, text, modal);
    box->setWindowIcon(windowIcon());
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        connect(dialog, &QDialog::finished, box, [box] {
            box->setParent(nullptr, box->windowFlags());
            box->present();
        });
    }
    connect(box, &AlarmBox::helpRequested, this, &TQuillmar::showHelp);
    connect(box, &AlarmBox::snoozeRequested, this,
            [this, alarms](int minutes) { m_reminders.snooze(alarms, minutes, Clock::now()); });
    connect(this, &QObject::destroyed, box, &QObject::deleteLater);
    box->present();
}
