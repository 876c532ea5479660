#include "dialogs/MessageBox.h"

#include <QMessageBox>
#include <QPushButton>

#include <cstdio>

namespace {
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
    case MessageBox::Save:
        return QMessageBox::Save;
    case MessageBox::Discard:
        return QMessageBox::Discard;
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
    case QMessageBox::Save:
        return MessageBox::Save;
    case QMessageBox::Discard:
        return MessageBox::Discard;
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
class BoxPresenter : public MessageBox::Presenter
{
public:
    MessageBox::Button present(const MessageBox::Request& r) override
    {
        QMessageBox box(toIcon(r.icon), r.title, r.text, QMessageBox::NoButton, r.parent);
        for (MessageBox::Button b : r.buttons)
            box.addButton(toStandard(b));
        if (r.defaultButton != MessageBox::NoButton)
            box.setDefaultButton(toStandard(r.defaultButton));
        const MessageBox::Button pressed = fromStandard(box.exec());
        // Escape or the close button: Cancel where there is one, else No.
        if (pressed == MessageBox::NoButton)
            return r.buttons.contains(MessageBox::Cancel)
                       ? MessageBox::Cancel
                       : (r.buttons.contains(MessageBox::No) ? MessageBox::No : MessageBox::Ok);
        return pressed;
    }
};

MessageBox::Presenter* presenter(MessageBox::Presenter* set = nullptr, bool reset = false)
{
    static BoxPresenter own;
    static MessageBox::Presenter* current = &own;
    if (set || reset)
        current = set ? set : &own;
    return current;
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
    if (g_unattended) {
        fprintf(stderr, "quillmar: %s\n",
                qPrintable(QString(text).replace(QLatin1String("\r\n"), QLatin1String(" "))));
        // Nobody agreed to anything: a question is answered with its most cautious button.
        for (Button cautious : {Cancel, No, Ok})
            if (buttons.contains(cautious))
                return cautious;
        return buttons.isEmpty() ? NoButton : buttons.first();
    }
    return presenter()->present({parent, title, text, icon, buttons, defaultButton});
}

void MessageBox::setPresenter(Presenter* p)
{
    presenter(p, true);
}

void MessageBox::setUnattended(bool on)
{
    g_unattended = on;
}

bool MessageBox::unattended()
{
    return g_unattended;
}
