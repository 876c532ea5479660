#include "model/ListDocument.h"

#include "config/IoMessage.h"
#include "config/LanguageTexts.h"
#include "model/HistoryTail.h"
#include "model/ListFile.h"
#include "model/ListFiles.h"
#include "model/ListMessages.h"
#include "platform/CrashPoint.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <utility>

using listmessages::listText;
using listmessages::native;
using listmessages::withDetail;

ListDocument::ListDocument(const Paths& paths, QObject* parent)
    : QObject(parent), m_paths(paths), m_model(new ToDoListModel(this)), m_recovery(paths.dataFolder),
      m_guard({paths.dataFolder, paths.standardList, paths.historyList, paths.settingsFile}),
      m_saver(new BackgroundSave(this)), m_import(new SlicedImport(m_model, this)),
      m_move(new HistoryMove(this)), m_cuts(new BackgroundCuts(this)),
      m_ledger(paths.historyList, paths.standardList)
{
    connect(m_saver, &BackgroundSave::finished, this, [this] { takeInSave(true); });
    connect(m_move, &HistoryMove::finished, this, &ListDocument::completeMove);
    connect(m_cuts, &BackgroundCuts::finished, this, &ListDocument::completeCuts);
    connect(m_import, &SlicedImport::done, this, &ListDocument::changeMade);
    if (m_paths.holdFiles) {
        // The standard and history lists are this window's for its whole run; the external list is held
        // while it is shown.
        m_standardHold = std::make_unique<ListFileHold>(m_paths.standardList, ListFileHold::Role::Window);
        m_historyHold = std::make_unique<ListFileHold>(m_paths.historyList, ListFileHold::Role::Window);
        m_standardHold->tryHold();
        m_historyHold->tryHold();
    }
    m_autosaveTimer.setSingleShot(true);
    m_autosaveTimer.setInterval(3000);
    connect(&m_autosaveTimer, &QTimer::timeout, this, &ListDocument::autosave);

    // Whatever changes the rows or the names makes the list modified.
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &ListDocument::onModelChanged);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &ListDocument::onModelChanged);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &ListDocument::onModelChanged);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, &ListDocument::onModelChanged);
    connect(m_model, &QAbstractItemModel::modelReset, this, &ListDocument::onModelChanged);
    connect(m_model, &ToDoListModel::namesChanged, this, &ListDocument::onModelChanged);
    // A scattered removal is announced as a reset.
    // Connected after onModelChanged(): the generation is the rows' without them.
    const auto rowsLeft = [this] {
        if (!m_rowsComingBack && !m_replacing)
            m_ledger.rowsLeft(m_generation);
    };
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, rowsLeft);
    connect(m_model, &QAbstractItemModel::modelReset, this, rowsLeft);
}

QString ListDocument::standardCaption()
{
    // The maker's address is set when the program is built; without one the caption is the name alone.
    const QString address = QStringLiteral(QUILLMAR_WEB_ADDRESS);
    return address.isEmpty() ? QStringLiteral("Quillmar") : QStringLiteral("Quillmar from ") + address;
}

QString ListDocument::caption() const
{
    switch (m_mode) {
    case ListMode::Standard:
        return standardCaption();
    case ListMode::History:
        return LanguageTexts::shared().text("Lists", "HistoryCaption");
    case ListMode::External:
        return m_externalFileName.isEmpty() ? LanguageTexts::shared().text("Lists", "NewCaption")
                                            : LanguageTexts::shared()
                                                  .text("Lists", "ExternalCaption")
                                                  .arg(QFileInfo(m_externalFileName).fileName());
    case ListMode::NoList:
        break;
    }
    return QStringLiteral("Quillmar");
}

void ListDocument::onModelChanged()
{
    if (m_replacing)
        return;
    ++m_generation;
    m_saver->abandon();
    setModified(true);
    if (m_autosaveTimer.interval() > 0 && m_mode != ListMode::NoList)
        m_autosaveTimer.start();
}

void ListDocument::setModified(bool modified)
{
    if (m_modified == modified)
        return;
    m_modified = modified;
    Q_EMIT modifiedChanged(modified);
}

void ListDocument::setAutosaveDelay(int milliseconds)
{
    m_autosaveTimer.stop();
    m_autosaveTimer.setInterval(qMax(0, milliseconds));
    if (milliseconds > 0 && m_modified)
        m_autosaveTimer.start();
}

bool ListDocument::isStandardListFile(const QString& path) const
{
    return WriteGuard::sameFile(path, m_paths.standardList);
}

IoResult ListDocument::saveByMode()
{
    // The standard and history lists are saved without asking; an external list goes through its own
    // questions (saveExternalUnderItsName, SaveExternalListAs).
    IoResult r;
    if (m_mode == ListMode::Standard) {
        r = SaveListFile(list(), m_paths.standardList, nullptr,
                         beforeReplacing(m_paths.standardList, list()));
        if (r)
            m_ledger.standardListSaved(m_generation);
    } else if (m_mode == ListMode::History) {
        r = SaveHistoryFile(list(), m_paths.historyList);
    }
    if (r)
        stampFile();
    return r;
}

AtomicFile::BeforeReplace ListDocument::beforeReplacing(const QString& path, const ToDoList& rows)
{
    // The rows shown (or the list with a move taken back) are later than every cut that waits.
    return m_ledger.beforeListReplaced(path, m_generation + 1, rows);
}

IoResult ListDocument::writeRecovery()
{
    // The rows of moves taken back stay in the history too: the user may still let the copy go.
    return writeRecovery(list());
}

IoResult ListDocument::cutUndoneMoves(quint64 savedGeneration, std::optional<quint64> own, bool beside)
{
    if (!m_ledger.hasWaitingCuts())
        return IoResult::success();
    // Never beside a move's append or other cuts: all write the end of the history. (A move that failed
    // puts its rows back first.)
    completeMove();
    HistoryLedger::DueCuts due = m_ledger.takeDueCuts(savedGeneration, list());
    if (due.empty())
        return IoResult::success();
    if (beside) {
        m_cuts->start(std::move(due));
        return IoResult::success();
    }
    IoResult ownCut = IoResult::success();
    for (const auto& [id, failed] : due.make()) {
        if (id == own)
            ownCut = failed;
        else
            Q_EMIT autosaveFailed(listText("HistoryKept").arg(IoMessage(failed)));
    }
    return ownCut;
}

void ListDocument::completeCuts()
{
    for (const auto& [id, failed] : m_cuts->wait())
        Q_EMIT autosaveFailed(listText("HistoryKept").arg(IoMessage(failed)));
}

IoResult ListDocument::writeRecovery(const ToDoList& rows)
{
    settle();
    RecoveryFile::Origin origin{m_mode, m_externalFileName, QDateTime::currentDateTime(), m_stamp, true};
    return m_recovery.write(rows, origin);
}

void ListDocument::leftSaved()
{
    settle();
    markSaved();
}

void ListDocument::markSaved()
{
    m_autosaveTimer.stop();
    setModified(false);
    m_recovery.remove();
    cutUndoneMoves(m_generation + 1);
}

QString ListDocument::shownFile() const
{
    switch (m_mode) {
    case ListMode::Standard:
        return m_paths.standardList;
    case ListMode::History:
        return m_paths.historyList;
    case ListMode::External:
        return m_externalFileName;
    case ListMode::NoList:
        break;
    }
    return {};
}

void ListDocument::stampFile()
{
    m_stamp = FileStamp::of(shownFile());
}

bool ListDocument::changedOnDisk() const
{
    const QString file = shownFile();
    if (file.isEmpty())
        return false;
    // Something that is no file at all is not another writer's list: saving there fails and says why.
    const FileStamp now = FileStamp::of(file);
    return (!now.exists || now.regular) && now != m_stamp;
}

// ---- Whole lists: ListFiles ----

bool ListDocument::SaveCurrentList(ListPrompter& prompter)
{
    return ListFiles(*this).SaveCurrentList(prompter);
}

bool ListDocument::prepareToLeave(ListPrompter& prompter)
{
    return ListFiles(*this).prepareToLeave(prompter);
}

bool ListDocument::OpenStandardList(ListPrompter& prompter)
{
    return ListFiles(*this).OpenStandardList(prompter);
}

bool ListDocument::LoadHistoryList(ListPrompter& prompter)
{
    return ListFiles(*this).LoadHistoryList(prompter);
}

bool ListDocument::SaveHistoryList(ListPrompter& prompter)
{
    return ListFiles(*this).SaveHistoryList(prompter);
}

bool ListDocument::OpenExternalList(ListPrompter& prompter)
{
    return ListFiles(*this).OpenExternalList(prompter);
}

bool ListDocument::SaveExternalList(ListPrompter& prompter)
{
    return ListFiles(*this).SaveExternalList(prompter);
}

bool ListDocument::SaveExternalListAs(ListPrompter& prompter)
{
    return ListFiles(*this).SaveExternalListAs(prompter);
}

bool ListDocument::NewEmptyList(ListPrompter& prompter)
{
    return ListFiles(*this).NewEmptyList(prompter);
}

bool ListDocument::openListFile(const QString& path, ListPrompter& prompter)
{
    return ListFiles(*this).openListFile(path, prompter);
}

void ListDocument::startUp(const QString& commandLineFile, ListPrompter& prompter)
{
    ListFiles(*this).startUp(commandLineFile, prompter);
}

void ListDocument::endSession(ListPrompter& unattended)
{
    settle();
    if (!m_modified || m_mode == ListMode::NoList)
        return;
    if (SaveCurrentList(unattended))
        return;
    if (const IoResult r = writeRecovery(); !r)
        unattended.inform(withDetail(listText("NotCopied"), IoMessage(r)));
    else
        unattended.inform(listText("Copied").arg(native(m_recovery.listPath())));
}

void ListDocument::autosave()
{
    m_autosaveTimer.stop();
    // The list without a move's rows is written only once the history holds them. A long move still writing
    // (a whole list of a million rows takes a second or more) is not waited for on the window's thread: the
    // timer tries again. Nor are the cuts of an earlier save.
    if ((m_move->writing() || m_cuts->writing()) && m_autosaveTimer.interval() > 0) {
        m_autosaveTimer.start();
        return;
    }
    completeMove();
    if (!m_modified)
        return;
    // One save at a time: the one under way is settled when it ends, and the timer then starts again for
    // what it did not cover.
    if (m_saver->busy())
        return;
    BackgroundSave::Job job;
    job.generation = m_generation;
    switch (m_mode) {
    case ListMode::Standard:
    case ListMode::History:
        // Nobody is asked in the background: a file another program changed is left alone, and the changes
        // wait in the recovery copy until a save the user sees asks what to do.
        if (changedOnDisk()) {
            const IoResult copied = writeRecovery();
            Q_EMIT autosaveFailed(listText(copied ? "ChangedKept" : "ChangedLost").arg(native(shownFile())));
            return;
        }
        job.kind = m_mode == ListMode::Standard ? BackgroundSave::Kind::List : BackgroundSave::Kind::History;
        job.path = shownFile();
        if (m_mode == ListMode::Standard)
            job.beforeReplace = m_ledger.beforeListReplaced(job.path, m_generation, list());
        break;
    case ListMode::External:
        // An external list is saved when the user says so; until then a copy keeps the changes.
        job.kind = BackgroundSave::Kind::Recovery;
        job.recovery = m_recovery;
        job.origin = {m_mode, m_externalFileName, QDateTime::currentDateTime(), m_stamp, true};
        break;
    case ListMode::NoList:
        return;
    }
    m_saver->start(std::move(job), list());
}

bool ListDocument::autosaveAndWait()
{
    settle();
    autosave();
    settle();
    return !m_modified;
}

void ListDocument::settle()
{
    finishPendingChanges();
    finishSaving();
}

bool ListDocument::completeMove()
{
    completeCuts();
    std::optional<HistoryMove::Outcome> done = m_move->wait();
    if (!done)
        return true;
    const MoveUnderWay move = std::exchange(m_moveUnderWay, {});
    if (!done->result) {
        // Nothing else changed the rows meanwhile (every change completes the move first): they go back
        // where they were, and the move never was. A list that was in its file before is so again.
        done->change.undoRows(*m_model);
        if (move.listWasSaved) {
            m_autosaveTimer.stop();
            setModified(false);
        }
        if (move.again)
            Q_EMIT redoTakenBack(done->change.id());
        Q_EMIT moveFailed(withDetail(listText("MoveFailed"), IoMessage(done->result)));
        return false;
    }
    if (move.again)
        Q_EMIT moveRedone();
    else
        Q_EMIT changeMade(done->change);
    return true;
}

void ListDocument::startMove(RowChange change, bool again, bool listWasSaved)
{
    completeCuts();
    const bool fromStandard = m_mode == ListMode::Standard;
    if (fromStandard)
        m_ledger.moveMade(m_generation);
    m_moveUnderWay = {again, listWasSaved};
    m_move->start(std::move(change), m_paths.historyList, m_ledger.noteFor(fromStandard, m_saver->written()));
    Q_EMIT moveStarted();
}

void ListDocument::takeInSave(bool cutsBeside)
{
    completeCuts();
    std::optional<BackgroundSave::Outcome> done = m_saver->wait();
    if (!done)
        return;
    if (done->kind == BackgroundSave::Kind::Recovery) {
        m_recovery = done->recovery;
        if (!done->result)
            Q_EMIT autosaveFailed(IoMessage(done->result));
    } else if (!done->result) {
        writeRecovery();
        Q_EMIT autosaveFailed(IoMessage(done->result));
    } else {
        m_stamp = done->stamp;
        if (done->kind == BackgroundSave::Kind::List)
            m_ledger.standardListSaved(done->generation);
        cutUndoneMoves(done->generation, std::nullopt, cutsBeside);
        // Changes made while it was written wait for the next save. Nothing else is under way: a change
        // since would be of a later generation.
        if (done->generation == m_generation)
            markSaved();
    }
    if (m_modified && m_autosaveTimer.interval() > 0 && !m_autosaveTimer.isActive() &&
        done->generation != m_generation)
        m_autosaveTimer.start();
}

bool ListDocument::DeleteSelectedItems(const QList<int>& rows, bool withHistory, ListPrompter& prompter)
{
    // A move under way first. Rows numbered while it was under way are other rows once it failed.
    if (!finishPendingChanges())
        return false;
    // External lists are the user's own lists: only the history list itself (or no list) refuses.
    if (m_mode == ListMode::History || m_mode == ListMode::NoList) {
        prompter.inform(listText("IsHistory"));
        return false;
    }
    RowChange change = RowChange::removedFrom(
        *m_model, rows, withHistory ? RowChange::Kind::MoveToHistory : RowChange::Kind::Delete);
    if (change.rowCount() == 0)
        return false;
    const bool wasSaved = !m_modified;
    change.redoRows(*m_model);
    if (withHistory) {
        // Announced by completeMove() once the history holds the rows.
        startMove(std::move(change), false, wasSaved);
        return true;
    }
    Q_EMIT changeMade(change);
    return true;
}

bool ListDocument::record(RowChange change)
{
    // Only the row part: these changes have no file part.
    change.redoRows(*m_model);
    Q_EMIT changeMade(change);
    return true;
}

bool ListDocument::addItem(ToDoItem item, const QByteArrayList& owners, const QByteArrayList& projects)
{
    if (!canChangeRows())
        return false;
    // Behind the whole import, not among its rows.
    finishPendingChanges();
    std::vector<ToDoItem> items;
    items.push_back(std::move(item));
    RowChange change = RowChange::inserted(RowChange::Kind::Add, {m_model->size()}, std::move(items));
    change.setNames(m_model->ownerNames(), m_model->projectNames(), owners, projects);
    return record(std::move(change));
}

bool ListDocument::editItem(int row, const ToDoItem& expected, ToDoItem item, const QByteArrayList& owners,
                            const QByteArrayList& projects)
{
    finishPendingChanges();
    if (!canChangeRows() || row < 0 || row >= m_model->size() || !(m_model->item(row) == expected))
        return false;
    // OK without a change changes nothing, and leaves nothing to take back.
    if (item == expected && owners == m_model->ownerNames() && projects == m_model->projectNames())
        return true;
    RowChange change = RowChange::replaced(row, expected, std::move(item));
    change.setNames(m_model->ownerNames(), m_model->projectNames(), owners, projects);
    return record(std::move(change));
}

bool ListDocument::invertChecked(const QList<int>& rows)
{
    if (!finishPendingChanges())
        return false;
    RowChange change = RowChange::invertedIn(*m_model, rows);
    return change.rowCount() > 0 && record(std::move(change));
}

bool ListDocument::setChecked(int row, bool checked)
{
    if (!finishPendingChanges())
        return false;
    if (row < 0 || row >= m_model->size() || m_model->item(row).checked() == checked)
        return false;
    return record(RowChange::checked({row}, {!checked}, {checked}, {m_model->item(row).record()}));
}

bool ListDocument::importItems(std::vector<ToDoItem> items)
{
    if (!canChangeRows() || items.empty())
        return false;
    completeMove();
    m_import->start(std::move(items));
    return true;
}

bool ListDocument::sortRows(std::vector<int> order)
{
    finishPendingChanges();
    if (static_cast<int>(order.size()) != m_model->size() || !RowChange::movesRows(*m_model, order))
        return false;
    return record(RowChange::sorted(std::move(order)));
}

namespace {
IoResult listChangedSince()
{
    return IoResult::failure(listText("UndoStale"), IoError::BadData);
}
} // namespace

IoResult ListDocument::prepareUndo(const RowChange& change)
{
    finishPendingChanges();
    if (!change.canUndoRows(*m_model))
        return listChangedSince();
    if (change.kind() == RowChange::Kind::MoveToHistory)
        return ListFiles(*this).takeBackMove(change);
    return IoResult::success();
}

IoResult ListDocument::prepareRedo(RowChange& change)
{
    finishPendingChanges();
    if (!change.canRedoRows(*m_model))
        return listChangedSince();
    // A move whose rows are still in the history (its cut waited for the next save) needs nothing more;
    // one whose rows were cut off appends them again, beside the window, once they have left the rows.
    if (change.kind() != RowChange::Kind::MoveToHistory)
        return IoResult::success();
    // A save under way may already hold the rows again: it is taken in first (and makes the cut when it
    // does), so that the journal of moves is about the list's file as it is.
    if (m_ledger.isCutDeferred(change) && isSaving())
        finishSaving();
    if (m_ledger.isCutDeferred(change)) {
        m_ledger.takeBackDeferredCut();
        return IoResult::success();
    }
    m_appendOnRedo = change.id();
    return IoResult::success();
}

void ListDocument::undoRows(const RowChange& change)
{
    // The rows of a move return (a scattered return is announced as a reset): none leave.
    m_rowsComingBack = change.kind() == RowChange::Kind::MoveToHistory;
    change.undoRows(*m_model);
    m_rowsComingBack = false;
}

void ListDocument::redoRows(const RowChange& change)
{
    const bool wasSaved = !m_modified;
    change.redoRows(*m_model);
    if (m_appendOnRedo != change.id())
        return;
    m_appendOnRedo.reset();
    // Announced by completeMove() (moveRedone) once the history holds the rows.
    startMove(change, true, wasSaved);
}
