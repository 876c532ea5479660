#include "dialogs/AlarmBox.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QStyle>

AlarmBox::AlarmBox(const QString& title, const QString& text, QWidget* parent)
    : QMessageBox(QMessageBox::Information, title, text, QMessageBox::Ok | QMessageBox::Help, parent)
{
    setObjectName(QStringLiteral("AlarmBox"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::NonModal);
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    const struct
    {
        const char* text;
        int minutes;
    } snoozes[] = {{"Snooze 5 minutes", 5}, {"10 minutes", 10}, {"1 hour", 60}};
    for (const auto& s : snoozes) {
        QPushButton* button = addButton(QString::fromLatin1(s.text), QMessageBox::ActionRole);
        button->setObjectName(QStringLiteral("Snooze%1").arg(s.minutes));
        const int minutes = s.minutes;
        connect(button, &QAbstractButton::clicked, this, [this, minutes] {
            Q_EMIT snoozeRequested(minutes);
            close();
        });
    }
    // Enter and Escape both answer OK; only a snooze button snoozes.
    setDefaultButton(QMessageBox::Ok);
    setEscapeButton(QMessageBox::Ok);
    // The Help button opens the manual and leaves the box open.
    QAbstractButton* help = button(QMessageBox::Help);
    help->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    disconnect(help, &QAbstractButton::clicked, nullptr, nullptr);
    connect(help, &QAbstractButton::clicked, this, &AlarmBox::helpRequested);
}

void AlarmBox::present()
{
    show();
    raise();
    activateWindow();
    button(QMessageBox::Ok)->setFocus();
}
