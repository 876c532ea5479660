#pragma once

#include "model/ListPrompter.h"

class QWidget;

// The list document's questions as the window asks them: warning boxes, the external-list file dialogs
// and information boxes. Once the session is ending it answers as nobody there would.
class WindowPrompter : public ListPrompter
{
public:
    explicit WindowPrompter(QWidget* parent);

    Answer ask(Question question, const QString& text, bool withCancel) override;
    QString chooseListToOpen(const QString& folder) override;
    QString chooseListToSave(const QString& folder) override;
    void inform(const QString& text) override;

    void setUnattended(bool on) { m_unattended = on; }

private:
    QWidget* m_parent;
    bool m_unattended = false;
    UnattendedPrompter m_nobody;
};
