#pragma once

#include "model/RowChange.h"

#include <QObject>
#include <QString>

class ListDocument;
class ListPrompter;
class QUndoStack;

// Undo and redo of the changes of the shown rows, as far back as the program's run goes. Every change the
// list document makes to the rows (changeMade) is kept on a QUndoStack; when the document shows another
// list's rows the stack is emptied, since its changes belong to the list that was shown.
//
// Undo and redo go through here, not through the stack's own slots: a change's file part (the history
// file of a move to history) may fail, and then the change stays where it was on the stack (a move done
// again, whose history part runs beside the window, goes back there) and the user is told. A change that can
// never be taken back (its rows are gone from the history file) empties the stack, since every change before
// it depends on it.
class ListUndoStack : public QObject
{
    Q_OBJECT

public:
    explicit ListUndoStack(ListDocument* document, QObject* parent = nullptr);
    ~ListUndoStack() override;

    bool undo(ListPrompter& prompter);
    bool redo(ListPrompter& prompter);
    bool canUndo() const;
    bool canRedo() const;
    // What the next undo or redo does ("add item", "move to history"); empty when there is none.
    QString undoText() const;
    QString redoText() const;
    int count() const;

Q_SIGNALS:
    // canUndo, canRedo or their texts may have changed.
    void changed();
    // Another list's rows are shown and the changes kept until then were let go.
    void cleared();
    // An undo or redo was done; rows are where its items now are (empty when they are gone).
    void done(const QList<int>& rows);

private:
    class Command;
    Command* commandAt(int index) const;
    void fail(const IoResult& result, ListPrompter& prompter);

    ListDocument* m_document;
    QUndoStack* m_stack;
};
