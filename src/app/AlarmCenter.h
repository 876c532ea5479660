#pragma once

#include "model/AlarmScanner.h"
#include "model/Reminders.h"

#include <QDate>
#include <QObject>
#include <QString>

#include <array>
#include <memory>

class DesktopNotifier;
class ListDocument;
class QSystemTrayIcon;
class QTimer;
class QWidget;
class SoundPlayer;
class ToDoList;

// Alarms: on each tick of the alarm timer, every alarm of the standard list and of the shown list that fell
// due since the previous tick rings with a sound and a box, also while the window is hidden in the tray;
// snoozed alarms ring again; at start the alarms missed while Quillmar was not running are listed; and at
// the change of day the window is told.
class AlarmCenter : public QObject
{
    Q_OBJECT

public:
    AlarmCenter(ListDocument* document, QWidget* window);

    AlarmScanner& scanner() { return m_reminders.scanner(); }
    QDate shownDay() const { return m_shownDay; }
    // The player the alarms sound through and the desktop notifications (tests put recording ones in).
    void setSoundPlayer(std::shared_ptr<SoundPlayer> player);
    void setNotifier(std::shared_ptr<DesktopNotifier> notifier);
    // Alarms of a hidden window are told through the tray where there is one, unless a notifier was set.
    void notifyThrough(QSystemTrayIcon* tray);
    // Tells something through the same notifications while the window is out of sight; nothing otherwise.
    void notifyOutOfSight(const QString& title, const QString& text);
    // "PreAlarm Time" as the settings give it, and the sound file (empty: the standard sound).
    void setAlarmSettings(const QString& leadTime, const QString& soundFile);
    // The missed alarms, then the timer: once the list is loaded and, for a shown window, on screen.
    void start();
    void saveLastScan();

Q_SIGNALS:
    // The day changed (midnight, or a wake-up from suspend).
    void dayChanged(const QDate& today);
    void helpRequested();

private:
    void tick();
    void showMissed();
    // The box lists the alarms; its snooze buttons ring them again later.
    void showAlarmBox(const QString& title, const QString& text, const QList<AlarmScanner::Alarm>& alarms);
    std::array<const ToDoList*, 2> alarmLists() const;
    bool windowOutOfSight() const;

    ListDocument* m_document;
    QWidget* m_window;
    QTimer* m_timer = nullptr;
    Reminders m_reminders;
    QDate m_shownDay;
    bool m_started = false;
    QString m_leadTime = QStringLiteral("0");
    QString m_soundFile;
    std::shared_ptr<SoundPlayer> m_soundPlayer;
    std::shared_ptr<DesktopNotifier> m_notifier;
};
