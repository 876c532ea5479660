// Alarms: on each tick of Timer1, every alarm that fell due since the previous tick rings with a sound and
// a box, also while the window is hidden in the tray.
#include "app/TQuillmar.h"

#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/desktop/QtSoundPlayer.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>

void TQuillmar::setupAlarms()
{
    if (!m_soundPlayer)
        m_soundPlayer = std::make_shared<QtSoundPlayer>();
    // Alarms due before the program started are not rung.
    m_alarmScanner.start(Clock::now());
    connect(Timer1, &QTimer::timeout, this, &TQuillmar::Timer1Timer);
}

void TQuillmar::setSoundPlayer(std::shared_ptr<SoundPlayer> player)
{
    m_soundPlayer = std::move(player);
}

bool TQuillmar::AlarmDue()
{
    // The lead time is read at every tick, so a change in the settings counts at once.
    m_alarmScanner.setLeadMinutes(AlarmScanner::leadFromText(AlarmLeadTime));
    const QList<AlarmScanner::Alarm> due = m_alarmScanner.tick(model()->list(), Clock::now());
    if (due.isEmpty())
        return false;
    QStringList actions;
    for (const AlarmScanner::Alarm& alarm : due)
        actions << CodePage::decode(alarm.action);
    AlarmCaption = actions.join(QLatin1Char('\n'));
    return true;
}

void TQuillmar::Timer1Timer()
{
    if (!AlarmDue())
        return;
    // Without an audio output the alarm is silent; the box still shows.
    if (m_soundPlayer)
        m_soundPlayer->play(SoundPlayer::alarmSource(SoundFile));
    showAlarmBox(QStringLiteral("You have set an alarm: \n\r") + AlarmCaption);
}

void TQuillmar::showAlarmBox(const QString& text)
{
    // Not modal and without a parent: the timer keeps ticking while it is open, and it shows also while
    // the window is hidden in the tray. Each alarm rings once, so a second box only ever names new alarms.
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Your Alarm"), text,
                                QMessageBox::Ok | QMessageBox::Help);
    box->setObjectName(QStringLiteral("AlarmBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box->setWindowIcon(windowIcon());
    // The Help button opens the manual and leaves the box open, as the help button of a message box does.
    QAbstractButton* help = box->button(QMessageBox::Help);
    QObject::disconnect(help, &QAbstractButton::clicked, nullptr, nullptr);
    connect(help, &QAbstractButton::clicked, this, &TQuillmar::Help1Click);
    connect(box, &QMessageBox::finished, this, [this] { AlarmCaption.clear(); });
    connect(this, &QObject::destroyed, box, &QObject::deleteLater);
    box->show();
    box->raise();
    box->activateWindow();
}
