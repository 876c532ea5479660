#include "app/AlarmCenter.h"

#include "config/Config.h"
#include "config/LanguageTexts.h"
#include "config/Paths.h"
#include "dialogs/AlarmBox.h"
#include "model/ListDocument.h"
#include "model/ToDoListModel.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/Regional.h"
#include "platform/desktop/DesktopNotifier.h"
#include "platform/desktop/QtSoundPlayer.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

AlarmCenter::AlarmCenter(ListDocument* document, QWidget* window)
    : QObject(window), m_document(document), m_window(window),
      m_reminders({[file = SettingsFilePath()] { return Config::read(file, Config::Key::LastScan); },
                   [file = SettingsFilePath()](const QString& at) {
                       Config::write(file, Config::Key::LastScan, at);
                   }})
{
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("AlarmTimer"));
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &AlarmCenter::tick);
    // A tick reads the rows again only after they changed (or when an alarm it saw ahead may be due);
    // after an edit of a few rows, those rows alone.
    m_reminders.scanner().watchChanges();
    auto changed = [this] { m_reminders.scanner().listsChanged(); };
    const ToDoListModel* rows = document->model();
    connect(rows, &QAbstractItemModel::dataChanged, this,
            [this, rows](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
                m_reminders.scanner().rowsChanged(rows->list(), topLeft.row(), bottomRight.row());
            });
    connect(rows, &QAbstractItemModel::rowsInserted, this,
            [this, rows](const QModelIndex&, int first, int last) {
                m_reminders.scanner().rowsInserted(rows->list(), first, last);
            });
    connect(rows, &QAbstractItemModel::rowsRemoved, this,
            [this, rows](const QModelIndex&, int first, int last) {
                m_reminders.scanner().rowsRemoved(rows->list(), first, last);
            });
    connect(rows, &QAbstractItemModel::rowsMoved, this, changed);
    connect(rows, &QAbstractItemModel::layoutChanged, this, changed);
    connect(rows, &QAbstractItemModel::modelReset, this, changed);
    connect(document, &ListDocument::listSwitched, this, changed);
    connect(document, &ListDocument::rowsReplaced, this, changed);
    // The player loads its sound library on the first alarm; the notifier comes with the tray icon.
    m_soundPlayer = std::make_shared<QtSoundPlayer>();
    // Alarms due before the program started are not rung by the timer; the start lists them as missed.
    const QDateTime now = Clock::now();
    m_reminders.scanner().start(now);
    m_shownDay = now.date();
}

void AlarmCenter::setSoundPlayer(std::shared_ptr<SoundPlayer> player)
{
    m_soundPlayer = std::move(player);
}

void AlarmCenter::setNotifier(std::shared_ptr<DesktopNotifier> notifier)
{
    m_notifier = std::move(notifier);
}

void AlarmCenter::notifyThrough(QSystemTrayIcon* tray)
{
    if (!m_notifier)
        m_notifier = std::make_shared<SystemNotifier>(tray);
}

void AlarmCenter::setAlarmSettings(const QString& leadTime, const QString& soundFile)
{
    m_leadTime = leadTime;
    m_soundFile = soundFile;
}

void AlarmCenter::saveLastScan()
{
    m_reminders.saveLastScan(Clock::now());
}

std::array<const ToDoList*, 2> AlarmCenter::alarmLists() const
{
    // The standard list rings whatever list is shown; the shown one too (once, when it is the standard).
    const ToDoList* shown = &m_document->model()->list();
    const ToDoList* standard = m_document->standardRows();
    return {shown, standard == shown ? nullptr : standard};
}

void AlarmCenter::notifyOutOfSight(const QString& title, const QString& text)
{
    if (m_notifier && windowOutOfSight())
        m_notifier->notify(title, text);
}

bool AlarmCenter::windowOutOfSight() const
{
    return !m_window->isVisible() || m_window->isMinimized();
}

void AlarmCenter::tick()
{
    const QDateTime now = Clock::now();
    if (now.date() != m_shownDay) {
        m_shownDay = now.date();
        Q_EMIT dayChanged(m_shownDay);
    }
    // The lead time is read at every tick, so a change in the settings counts at once.
    m_reminders.scanner().setLeadMinutes(AlarmScanner::leadFromText(m_leadTime));
    const QList<AlarmScanner::Alarm> due = m_reminders.tick(alarmLists(), now);
    if (due.isEmpty())
        return;
    const LanguageTexts& texts = LanguageTexts::shared();
    QStringList actions;
    for (const AlarmScanner::Alarm& alarm : due)
        actions << CodePage::decode(alarm.action);
    // Without an audio output the alarm is silent; the box still shows.
    if (m_soundPlayer)
        m_soundPlayer->playAlarm(m_soundFile);
    // Out of sight, the desktop says it as well.
    if (m_notifier && windowOutOfSight())
        m_notifier->notify(texts.text("Messages", "AlarmTitle"), actions.join(QLatin1Char('\n')));
    showAlarmBox(
        texts.text("Messages", "AlarmTitle"),
        texts.text("Messages", "AlarmText") + QStringLiteral(" \n\r") + actions.join(QLatin1Char('\n')), due);
}

void AlarmCenter::start()
{
    if (m_started)
        return;
    m_started = true;
    showMissed();
    m_timer->start();
}

void AlarmCenter::showMissed()
{
    m_reminders.scanner().setLeadMinutes(AlarmScanner::leadFromText(m_leadTime));
    const QList<AlarmScanner::Alarm> missed = m_reminders.missed(alarmLists(), Clock::now());
    if (missed.isEmpty())
        return;
    QStringList lines;
    for (const AlarmScanner::Alarm& alarm : missed)
        lines << QStringLiteral("%1 %2   %3")
                     .arg(Regional::dateToText(alarm.due.date()), Regional::timeToText(alarm.due.time()),
                          CodePage::decode(alarm.action));
    const LanguageTexts& texts = LanguageTexts::shared();
    const QString text =
        texts.text("Messages", "MissedText") + QStringLiteral("\n\n") + lines.join(QLatin1Char('\n'));
    if (m_notifier && windowOutOfSight())
        m_notifier->notify(texts.text("Messages", "MissedTitle"), lines.join(QLatin1Char('\n')));
    showAlarmBox(texts.text("Messages", "MissedTitle"), text, missed);
}

void AlarmCenter::showAlarmBox(const QString& title, const QString& text,
                               const QList<AlarmScanner::Alarm>& alarms)
{
    // While a modal dialog is open, the box belongs to that dialog, or the dialog would block it; when the
    // dialog closes, the box stays on its own.
    QWidget* modal = QApplication::activeModalWidget();
    auto* box = new AlarmBox(title, text, modal);
    box->setWindowIcon(m_window->windowIcon());
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        connect(dialog, &QDialog::finished, box, [box] {
            box->setParent(nullptr, box->windowFlags());
            box->present();
        });
    }
    connect(box, &AlarmBox::helpRequested, this, &AlarmCenter::helpRequested);
    connect(box, &AlarmBox::snoozeRequested, this,
            [this, alarms](int minutes) { m_reminders.snooze(alarms, minutes, Clock::now()); });
    connect(m_window, &QObject::destroyed, box, &QObject::deleteLater);
    box->present();
}
