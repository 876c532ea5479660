#include "dialogs/AlarmBox.h"

#include "config/LanguageTexts.h"

#include <QAbstractButton>
#include <QIcon>
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
        const char* key;
        int minutes;
    } snoozes[] = {{"Snooze5", 5}, {"Snooze10", 10}, {"Snooze60", 60}};
    for (const auto& s : snoozes) {
        QPushButton* button =
            addButton(LanguageTexts::shared().text("Messages", s.key), QMessageBox::ActionRole);
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
    // The desktop's help icon; styles without one give a question mark, never a cancel cross.
    help->setIcon(QIcon::fromTheme(QStringLiteral("help-contents"),
                                   QIcon::fromTheme(QStringLiteral("help-browser"),
                                                    style()->standardIcon(QStyle::SP_MessageBoxQuestion))));
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
