#include "app/ListUndoStack.h"

#include "config/IoMessage.h"
#include "config/LanguageTexts.h"
#include "model/ListDocument.h"
#include "model/ListPrompter.h"

#include <QUndoStack>

#include <utility>

namespace {
// What the Edit menu says it would undo or redo: "EditMenu"/"Change0" to "Change6", in the kinds' order.
QString changeText(RowChange::Kind kind)
{
    const QByteArray key = "Change" + QByteArray::number(static_cast<int>(kind));
    return LanguageTexts::shared().text("EditMenu", key.constData());
}
} // namespace

// A change on the stack. It was already done when it is pushed, so the push's redo does nothing; later
// redos and undos change only the rows, after ListUndoStack did the file part.
class ListUndoStack::Command : public QUndoCommand
{
public:
    Command(ListDocument* document, const RowChange& change)
        : QUndoCommand(changeText(change.kind())), m_document(document), m_change(change)
    {
    }

    void redo() override
    {
        if (m_pushed)
            m_document->redoRows(m_change);
        m_pushed = true;
    }
    void undo() override
    {
        if (!std::exchange(m_rowsBack, false))
            m_document->undoRows(m_change);
    }
    RowChange& change() { return m_change; }
    // Done again, it failed and put its rows back itself: the next undo only moves the stack.
    void setRowsBack() { m_rowsBack = true; }

private:
    ListDocument* m_document;
    RowChange m_change;
    bool m_pushed = false;
    bool m_rowsBack = false;
};

ListUndoStack::ListUndoStack(ListDocument* document, QObject* parent)
    : QObject(parent), m_document(document), m_stack(new QUndoStack(this))
{
    connect(document, &ListDocument::changeMade, this,
            [this](const RowChange& change) { m_stack->push(new Command(m_document, change)); });
    connect(document, &ListDocument::rowsReplaced, this, [this] {
        if (m_stack->count() == 0)
            return;
        m_stack->clear();
        Q_EMIT cleared();
    });
    // A move under way is the next change to take back: the key finds it, completed, on the stack.
    connect(document, &ListDocument::moveStarted, this, &ListUndoStack::changed);
    connect(document, &ListDocument::moveFailed, this, &ListUndoStack::changed);
    connect(document, &ListDocument::moveRedone, this, &ListUndoStack::changed);
    // A move done again whose history part failed is where it was before the redo.
    connect(document, &ListDocument::redoTakenBack, this, [this](quint64 changeId) {
        if (m_stack->index() == 0 || commandAt(m_stack->index() - 1)->change().id() != changeId)
            return;
        commandAt(m_stack->index() - 1)->setRowsBack();
        m_stack->undo();
    });
    connect(m_stack, &QUndoStack::indexChanged, this, &ListUndoStack::changed);
    connect(m_stack, &QUndoStack::cleanChanged, this, &ListUndoStack::changed);
}

ListUndoStack::~ListUndoStack() = default;

ListUndoStack::Command* ListUndoStack::commandAt(int index) const
{
    // Only this class pushes, and only Commands.
    return static_cast<Command*>(const_cast<QUndoCommand*>(m_stack->command(index)));
}

bool ListUndoStack::canUndo() const
{
    return m_document->isMovingToHistory() || m_stack->canUndo();
}

bool ListUndoStack::canRedo() const
{
    // A move completed drops what could be done again.
    return !m_document->isMovingToHistory() && m_stack->canRedo();
}

QString ListUndoStack::undoText() const
{
    return m_document->isMovingToHistory() ? changeText(RowChange::Kind::MoveToHistory) : m_stack->undoText();
}

QString ListUndoStack::redoText() const
{
    return m_document->isMovingToHistory() ? QString() : m_stack->redoText();
}

int ListUndoStack::count() const
{
    return m_stack->count();
}

void ListUndoStack::fail(const IoResult& result, ListPrompter& prompter)
{
    if (result.kind == IoError::BadData) {
        m_stack->clear();
        prompter.inform(IoMessage(result) + QStringLiteral("\n\n") +
                        LanguageTexts::shared().text("Lists", "UndoCleared"));
        return;
    }
    prompter.inform(LanguageTexts::shared().text("Lists", "FailureSaving") + QStringLiteral("\n\n") +
                    IoMessage(result));
}

bool ListUndoStack::undo(ListPrompter& prompter)
{
    // An import still joining the rows, or a move under way, is the last change: whole, and on the stack.
    // A move that failed has put its rows back already, and the key does nothing more.
    if (!m_document->finishPendingChanges() || !m_stack->canUndo())
        return false;
    const RowChange& change = commandAt(m_stack->index() - 1)->change();
    if (const IoResult r = m_document->prepareUndo(change); !r) {
        fail(r, prompter);
        return false;
    }
    const QList<int> rows = change.rowsAfter(true);
    m_stack->undo();
    Q_EMIT done(rows);
    return true;
}

bool ListUndoStack::redo(ListPrompter& prompter)
{
    m_document->finishPendingChanges();
    if (!m_stack->canRedo())
        return false;
    RowChange& change = commandAt(m_stack->index())->change();
    if (const IoResult r = m_document->prepareRedo(change); !r) {
        fail(r, prompter);
        return false;
    }
    const QList<int> rows = change.rowsAfter(false);
    m_stack->redo();
    Q_EMIT done(rows);
    return true;
}
