#include "dialogs/MessageBox.h"

#include <QMessageBox>
#include <QPushButton>

#include <cstdio>

namespace {
QList<MessageBox::Button> g_answers;
QList<MessageBox::Shown> g_shown;
bool g_testMode = false;
bool g_unattended = false;

QMessageBox::StandardButton toStandard(MessageBox::Button b)
{
    switch (b) {
    case MessageBox::Ok:
        return QMessageBox::Ok;
    case MessageBox::Yes:
        return QMessageBox::Yes;
    case MessageBox::No:
        return QMessageBox::No;
    case MessageBox::Cancel:
        return QMessageBox::Cancel;
    case MessageBox::Help:
        return QMessageBox::Help;
    case MessageBox::NoButton:
        break;
    }
    return QMessageBox::NoButton;
}

MessageBox::Button fromStandard(int b)
{
    switch (b) {
    case QMessageBox::Ok:
        return MessageBox::Ok;
    case QMessageBox::Yes:
        return MessageBox::Yes;
    case QMessageBox::No:
        return MessageBox::No;
    case QMessageBox::Cancel:
        return MessageBox::Cancel;
    case QMessageBox::Help:
        return MessageBox::Help;
    default:
        return MessageBox::NoButton;
    }
}

QMessageBox::Icon toIcon(MessageBox::Icon icon)
{
    switch (icon) {
    case MessageBox::Icon::Information:
        return QMessageBox::Information;
    case MessageBox::Icon::Warning:
        return QMessageBox::Warning;
    case MessageBox::Icon::Critical:
        return QMessageBox::Critical;
    case MessageBox::Icon::Question:
        return QMessageBox::Question;
    case MessageBox::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}
} // namespace

void MessageBox::information(QWidget* parent, const QString& text)
{
    message(parent, QStringLiteral("Quillmar"), text, Icon::Information, {Ok}, Ok);
}

void MessageBox::ok(QWidget* parent, const QString& text)
{
    message(parent, QStringLiteral("Quillmar"), text, Icon::None, {Ok}, Ok);
}

MessageBox::Button MessageBox::question(QWidget* parent, const QString& text)
{
    const Button b = message(parent, QStringLiteral("Quillmar"), text, Icon::Warning, {Yes, No}, Yes);
    return b == Yes ? Yes : No;
}

MessageBox::Button MessageBox::message(QWidget* parent, const QString& title, const QString& text, Icon icon,
                                       const QList<Button>& buttons, Button defaultButton)
{
    g_shown.append({title, text, icon});
    if (!g_answers.isEmpty())
        return g_answers.takeFirst();
    if (g_unattended) {
        fprintf(stderr, "quillmar: %s\n",
                qPrintable(QString(text).replace(QLatin1String("\r\n"), QLatin1String(" "))));
        // Nobody agreed to anything: a question is answered with its most cautious button.
        for (Button cautious : {Cancel, No, Ok})
            if (buttons.contains(cautious))
                return cautious;
        return buttons.isEmpty() ? NoButton : buttons.first();
    }
    if (g_testMode) {
        if (buttons.contains(Ok))
            return Ok;
        return buttons.contains(No) ? No : (buttons.isEmpty() ? NoButton : buttons.last());
    }

    QMessageBox box(toIcon(icon), title, text, QMessageBox::NoButton, parent);
    for (Button b : buttons)
        box.addButton(toStandard(b));
    if (defaultButton != NoButton)
        box.setDefaultButton(toStandard(defaultButton));
    const int result = box.exec();
    const Button pressed = fromStandard(result);
    // Escape or the close button: Cancel where there is one, else No.
    if (pressed == NoButton)
        return buttons.contains(Cancel) ? Cancel : (buttons.contains(No) ? No : Ok);
    return pressed;
}

void MessageBox::setNextAnswer(Button answer)
{
    g_answers.append(answer);
}

void MessageBox::setTestMode(bool on)
{
    g_testMode = on;
    if (!on)
        g_answers.clear();
}

void MessageBox::setUnattended(bool on)
{
    g_unattended = on;
}

bool MessageBox::unattended()
{
    return g_unattended;
}

QString MessageBox::lastText()
{
    return g_shown.isEmpty() ? QString() : g_shown.last().text;
}

QStringList MessageBox::shownTexts()
{
    QStringList texts;
    for (const Shown& s : g_shown)
        texts << s.text;
    return texts;
}

QList<MessageBox::Shown> MessageBox::shown()
{
    return g_shown;
}

void MessageBox::clearShown()
{
    g_shown.clear();
}
