// Alarms: on each tick of the alarm timer, every alarm that fell due since the previous tick rings with a
// sound and a box, also while the window is hidden in the tray.
#include "app/TQuillmar.h"

#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/desktop/QtSoundPlayer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>

void TQuillmar::setupAlarms()
{
    if (!m_soundPlayer)
        m_soundPlayer = std::make_shared<QtSoundPlayer>();
    // Alarms due before the program started are not rung.
    m_alarmScanner.start(Clock::now());
    connect(m_alarmTimer, &QTimer::timeout, this, &TQuillmar::onAlarmTimer);
}

void TQuillmar::setSoundPlayer(std::shared_ptr<SoundPlayer> player)
{
    m_soundPlayer = std::move(player);
}

void TQuillmar::onAlarmTimer()
{
    // The lead time is read at every tick, so a change in the settings counts at once.
    m_alarmScanner.setLeadMinutes(AlarmScanner::leadFromText(AlarmLeadTime));
    const QList<AlarmScanner::Alarm> due = m_alarmScanner.tick(listModel()->list(), Clock::now());
    if (due.isEmpty())
        return;
    QStringList actions;
    for (const AlarmScanner::Alarm& alarm : due)
        actions << CodePage::decode(alarm.action);
    // Without an audio output the alarm is silent; the box still shows.
    if (m_soundPlayer)
        m_soundPlayer->playAlarm(SoundFile);
    showAlarmBox(QStringLiteral("You have set an alarm: \n\r") + actions.join(QLatin1Char('\n')));
}

void TQuillmar::showAlarmBox(const QString& text)
{
    // Not modal: the timer keeps ticking while it is open, and it shows also while the window is hidden in
    // the tray. Each alarm rings once, so a second box only ever names new alarms. While a modal dialog is
    // open, the box belongs to that dialog, or the dialog would block it; when the dialog closes, the box
    // stays on its own.
    QWidget* modal = QApplication::activeModalWidget();
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Your Alarm"), text,
                                QMessageBox::Ok | QMessageBox::Help, modal);
    box->setObjectName(QStringLiteral("AlarmBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box->setWindowIcon(windowIcon());
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        // The box must not go down with the dialog: it waits for the user's OK.
        connect(dialog, &QDialog::finished, box, [box] {
            box->setParent(nullptr, box->windowFlags());
            box->show();
        });
    }
    // The Help button opens the manual and leaves the box open, as the help button of a message box does.
    QAbstractButton* help = box->button(QMessageBox::Help);
    QObject::disconnect(help, &QAbstractButton::clicked, nullptr, nullptr);
    connect(help, &QAbstractButton::clicked, this, &TQuillmar::showHelp);
    connect(this, &QObject::destroyed, box, &QObject::deleteLater);
    box->show();
    box->raise();
    box->activateWindow();
}
