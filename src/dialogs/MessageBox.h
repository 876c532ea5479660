#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// Every message box of the program goes through here, titled "Quillmar" unless a caller names another
// title. Tests queue answers with setNextAnswer() and read back what was shown, so no box ever blocks them.
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
        Help = 5
    };
    enum class Icon
    {
        None,
        Information,
        Warning,
        Critical,
        Question
    };

    struct Shown
    {
        QString title;
        QString text;
        Icon icon;
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

    // Test hooks. A queued answer is taken by the next box instead of showing it. With test mode on,
    // a box without a queued answer is not shown either: it answers OK, or No for Yes/No questions.
    static void setNextAnswer(Button answer);
    static void setTestMode(bool on);
    // While nobody can answer (the session is ending): boxes are written to standard error instead and
    // take their most cautious button (Cancel, No, OK).
    static void setUnattended(bool on);
    static bool unattended();
    static QString lastText();
    static QStringList shownTexts();
    static QList<Shown> shown();
    static void clearShown();
};
