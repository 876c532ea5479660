#pragma once

#include "dialogs/FileDialog.h"
#include "dialogs/MessageBox.h"

// Message boxes and file dialogs that never show: they answer from queues and keep what they were asked.
// An unqueued box answers OK, or No (Discard) to a question; an unqueued file dialog counts as cancelled.
class ScriptedMessages : public MessageBox::Presenter
{
public:
    MessageBox::Button present(const MessageBox::Request& request) override
    {
        m_shown << request.text;
        if (!m_answers.isEmpty())
            return m_answers.takeFirst();
        if (request.buttons.contains(MessageBox::Ok))
            return MessageBox::Ok;
        if (request.buttons.contains(MessageBox::Discard))
            return MessageBox::Discard;
        return request.buttons.contains(MessageBox::No) || request.buttons.isEmpty() ? MessageBox::No
                                                                                     : request.buttons.last();
    }
    void setNextAnswer(MessageBox::Button answer) { m_answers << answer; }
    QStringList shownTexts() const { return m_shown; }
    QString lastText() const { return m_shown.isEmpty() ? QString() : m_shown.last(); }
    void reset()
    {
        m_answers.clear();
        m_shown.clear();
    }

private:
    QList<MessageBox::Button> m_answers;
    QStringList m_shown;
};

class ScriptedFiles : public FileDialog::Picker
{
public:
    QString pick(QWidget*, const FileDialog::Request& request) override
    {
        m_last = request;
        return m_names.isEmpty() ? QString() : m_names.takeFirst();
    }
    // An empty name stands for a cancelled dialog.
    void setNextFileName(const QString& path) { m_names << path; }
    FileDialog::Request lastRequest() const { return m_last; }
    void reset() { m_names.clear(); }

private:
    QStringList m_names;
    FileDialog::Request m_last;
};

inline ScriptedMessages& messages()
{
    static ScriptedMessages scripted;
    return scripted;
}

inline ScriptedFiles& files()
{
    static ScriptedFiles scripted;
    return scripted;
}
