#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// Every message box of the program goes through here, titled "Quillmar" unless a caller names another
// title. The boxes are shown by a Presenter: the program's own shows QMessageBox; tests put in one that
// answers from a queue and keeps what was asked, so no box ever blocks them.
class MessageBox
{
public:
    enum Button
    {
        NoButton = 0,
        Ok = 1,
        Yes = 2,
        No = 3,
        Cancel = 4,
        Help = 5,
        Save = 6,
        Discard = 7
    };
    enum class Icon
    {
        None,
        Information,
        Warning,
        Critical,
        Question
    };

    struct Request
    {
        QWidget* parent = nullptr;
        QString title;
        QString text;
        Icon icon = Icon::None;
        QList<Button> buttons;
        Button defaultButton = NoButton;
    };

    class Presenter
    {
    public:
        virtual ~Presenter() = default;
        // The button pressed, one of request.buttons.
        virtual Button present(const Request& request) = 0;
    };

    // An information box with OK.
    static void information(QWidget* parent, const QString& text);
    // A plain box with OK and no icon.
    static void ok(QWidget* parent, const QString& text);
    // A warning box with Yes and No; returns Yes or No (No when the box is closed otherwise).
    static Button question(QWidget* parent, const QString& text);
    // The general form: buttons is a list of Button values; returns the one pressed.
    static Button message(QWidget* parent, const QString& title, const QString& text, Icon icon,
                          const QList<Button>& buttons, Button defaultButton = NoButton);

    // Not owned; nullptr puts the program's own back.
    static void setPresenter(Presenter* presenter);
    // While nobody can answer (the session is ending): boxes are written to standard error instead and
    // take their most cautious button (Cancel, No, OK), whoever presents them otherwise.
    static void setUnattended(bool on);
    static bool unattended();
};
