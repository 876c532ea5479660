#include "app/WindowPrompter.h"

#include "config/LanguageTexts.h"
#include "dialogs/FileDialog.h"
#include "dialogs/MessageBox.h"

namespace {
// Both dialogs add ".tdx" to a name typed without one, so that a saved list shows in the open dialog.
const QString kListSuffix = QStringLiteral("tdx");
} // namespace

WindowPrompter::WindowPrompter(QWidget* parent) : m_parent(parent) {}

ListPrompter::Answer WindowPrompter::ask(Question question, const QString& text, bool withCancel)
{
    if (m_unattended)
        return m_nobody.ask(question, text, withCancel);
    // A new list is saved or discarded: the buttons say which. Every other question is answered Yes or No.
    const bool saveOrDiscard = question == Question::SaveNewList;
    const MessageBox::Button yes = saveOrDiscard ? MessageBox::Save : MessageBox::Yes;
    const MessageBox::Button no = saveOrDiscard ? MessageBox::Discard : MessageBox::No;
    QList<MessageBox::Button> buttons = {yes, no};
    if (withCancel)
        buttons << MessageBox::Cancel;
    // Enter confirms, as it always did, except where the answer would lose changes.
    MessageBox::Button defaultButton = yes;
    if (question == Question::DiscardChanges || question == Question::ReplaceStandardList)
        defaultButton = MessageBox::No;
    else if (question == Question::ReplaceChangedFile)
        defaultButton = MessageBox::Cancel;
    const MessageBox::Button pressed = MessageBox::message(m_parent, QStringLiteral("Quillmar"), text,
                                                           MessageBox::Icon::Warning, buttons, defaultButton);
    // The session ended while the box was open: the box was closed by that, not answered.
    if (m_unattended)
        return m_nobody.ask(question, text, withCancel);
    if (pressed == yes)
        return Answer::Yes;
    if (pressed == no || !withCancel)
        return Answer::No;
    return Answer::Cancel;
}

QString WindowPrompter::chooseListToOpen(const QString& folder)
{
    if (m_unattended)
        return {};
    const QString path =
        FileDialog::getOpenFileName(m_parent, LanguageTexts::shared().text("Dialogs", "OpenList"), folder,
                                    LanguageTexts::shared().text("Dialogs", "OpenFilter"), kListSuffix);
    return m_unattended ? QString() : path;
}

QString WindowPrompter::chooseListToSave(const QString& folder)
{
    if (m_unattended)
        return {};
    const QString path =
        FileDialog::getSaveFileName(m_parent, LanguageTexts::shared().text("Dialogs", "SaveList"), folder,
                                    LanguageTexts::shared().text("Dialogs", "SaveFilter"), kListSuffix, true);
    return m_unattended ? QString() : path;
}

void WindowPrompter::inform(const QString& text)
{
    if (m_unattended)
        m_nobody.inform(text);
    else
        MessageBox::information(m_parent, text);
}
