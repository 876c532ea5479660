#pragma once

#include <QString>

// The questions the list document asks the user: whether to save, which file, whether to go on without
// saving. The window answers them with message boxes and file dialogs, tests with scripted answers, and
// the end of the session (a signal, a logout) with the answers of nobody being there.
class ListPrompter
{
public:
    enum class Question
    {
        // "The file has changed. Save it as: …" for a named external list.
        SaveChangedExternal,
        // "This is the standard ToDo file. Do you want to save it as external file?"
        SaveAsExternal,
        // "You are about to create an empty todo list. …"
        CreateEmptyList,
        // A list that could not be saved: go on and lose its changes?
        DiscardChanges,
        // Unsaved changes of the last run were kept: restore them?
        RestoreRecovery,
        // The list's file was changed by someone else since it was read: replace it? (No: save elsewhere.)
        ReplaceChangedFile,
        // "Save as" names the standard list while another list is shown: replace its items?
        ReplaceStandardList,
        // Leaving a new list that never had a file: save it (Yes), discard it (No), or stay (Cancel)?
        SaveNewList,
    };
    enum class Answer
    {
        Yes,
        No,
        Cancel
    };

    virtual ~ListPrompter() = default;

    // A warning box with Yes and No, and Cancel when withCancel. Cancel also stands for no answer at all
    // (nobody there), even where the box has no Cancel button.
    virtual Answer ask(Question question, const QString& text, bool withCancel) = 0;
    // The list file to open or to save under; empty when the user cancelled.
    virtual QString chooseListToOpen(const QString& folder) = 0;
    virtual QString chooseListToSave(const QString& folder) = 0;
    // An information box.
    virtual void inform(const QString& text) = 0;
};

// Nobody is there to answer (the session is ending): a changed external list is written back to its own
// file, nothing is discarded, no file name is chosen, and messages go to standard error.
class UnattendedPrompter : public ListPrompter
{
public:
    Answer ask(Question question, const QString& text, bool withCancel) override;
    QString chooseListToOpen(const QString& folder) override;
    QString chooseListToSave(const QString& folder) override;
    void inform(const QString& text) override;
};
