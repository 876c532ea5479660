#pragma once

#include <QMessageBox>

// The box that announces alarms: not modal (the timer goes on, and the box shows while the window is
// hidden), on top, taking the keyboard when it appears so that Enter answers OK. Besides OK and Help it
// offers to snooze: the alarms ring again after 5 minutes, 10 minutes or an hour.
class AlarmBox : public QMessageBox
{
    Q_OBJECT

public:
    AlarmBox(const QString& title, const QString& text, QWidget* parent = nullptr);

    // Shows the box in front, with the keyboard.
    void present();

Q_SIGNALS:
    void snoozeRequested(int minutes);
    void helpRequested();
};
