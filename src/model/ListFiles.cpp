#include "model/ListFiles.h"

#include "config/IoMessage.h"
#include "config/LanguageTexts.h"
#include "model/HistoryTail.h"
#include "model/ListDocument.h"
#include "model/ListFile.h"
#include "model/ListMessages.h"
#include "platform/FileSystem.h"
#include "platform/ListFileHold.h"

#include <QDir>
#include <QFileInfo>

using listmessages::listText;
using listmessages::native;
using listmessages::withDetail;

std::optional<bool> ListFiles::confirmReplacingChangedFile(ListPrompter& prompter)
{
    // Someone else wrote the file since this list read it: replacing it would lose their rows unasked.
    if (!d.changedOnDisk())
        return std::nullopt;
    const QString question = listText("ReplaceChanged").arg(native(d.shownFile()));
    switch (prompter.ask(ListPrompter::Question::ReplaceChangedFile, question, true)) {
    case ListPrompter::Answer::Yes:
        return std::nullopt;
    case ListPrompter::Answer::No:
        return SaveExternalListAs(prompter);
    case ListPrompter::Answer::Cancel:
        break;
    }
    return false;
}

bool ListFiles::askToDiscard(ListPrompter& prompter, const QString& why)
{
    d.settle();
    const QString text = why + QStringLiteral("\r\n") + LanguageTexts::shared().text("Lists", "LoseChanges");
    if (prompter.ask(ListPrompter::Question::DiscardChanges, text, false) != ListPrompter::Answer::Yes)
        return false;
    d.m_recovery.remove();
    return true;
}

bool ListFiles::saveExternalUnderItsName(ListPrompter& prompter, bool leaving, bool asked)
{
    d.settle();
    const QString text =
        LanguageTexts::shared().text("Lists", "SaveChanged").arg(native(d.m_externalFileName));
    const ListPrompter::Answer answer =
        asked ? prompter.ask(ListPrompter::Question::SaveChangedExternal, text, leaving)
              : ListPrompter::Answer::Yes;
    switch (answer) {
    case ListPrompter::Answer::Cancel:
        return false;
    case ListPrompter::Answer::No:
        // Leaving without saving is the user's explicit choice; otherwise the list simply stays modified.
        if (leaving)
            d.m_recovery.remove();
        return leaving;
    case ListPrompter::Answer::Yes:
        break;
    }
    if (const std::optional<bool> done = confirmReplacingChangedFile(prompter))
        return *done;
    if (const IoResult r = SaveListFile(d.list(), d.m_externalFileName, nullptr,
                                        d.beforeReplacing(d.m_externalFileName, d.list()));
        !r) {
        prompter.inform(withDetail(listText("FailureSavingTodo"), IoMessage(r)));
        return leaving && askToDiscard(prompter, LanguageTexts::shared().text("Lists", "NotSaved"));
    }
    d.stampFile();
    d.leftSaved();
    return true;
}

bool ListFiles::SaveCurrentList(ListPrompter& prompter)
{
    d.settle();
    if (!d.m_modified || d.m_mode == ListMode::NoList)
        return true;
    if (d.m_mode == ListMode::External)
        return d.m_externalFileName.isEmpty() ? SaveExternalListAs(prompter)
                                              : saveExternalUnderItsName(prompter, false);
    if (const std::optional<bool> done = confirmReplacingChangedFile(prompter))
        return *done;
    if (const IoResult r = d.saveByMode(); !r) {
        prompter.inform(withDetail(listText("FailureSavingTodo"), IoMessage(r)));
        return false;
    }
    d.leftSaved();
    return true;
}

bool ListFiles::prepareToLeave(ListPrompter& prompter)
{
    d.settle();
    if (!d.m_modified || d.m_mode == ListMode::NoList)
        return true;
    if (d.m_mode == ListMode::External) {
        if (!d.m_externalFileName.isEmpty())
            return saveExternalUnderItsName(prompter, true);
        // A list that never had a file: the user decides first, before any file dialog opens.
        const QString text = LanguageTexts::shared().text("Lists", "SaveNew");
        switch (prompter.ask(ListPrompter::Question::SaveNewList, text, true)) {
        case ListPrompter::Answer::Yes:
            return SaveExternalListAs(prompter);
        case ListPrompter::Answer::No:
            d.m_recovery.remove();
            return true;
        case ListPrompter::Answer::Cancel:
            break;
        }
        return false;
    }
    return SaveCurrentList(prompter) ||
           askToDiscard(prompter, LanguageTexts::shared().text("Lists", "NotSaved"));
}

bool ListFiles::OpenStandardList(ListPrompter& prompter)
{
    if (!prepareToLeave(prompter))
        return false;
    ToDoList fresh;
    // A standard list that does not exist yet is an empty one (the first start).
    if (const IoResult r = LoadListFile(fresh, d.m_paths.standardList); !r) {
        prompter.inform(withDetail(listText("ProblemsReading"), IoMessage(r)));
        return false;
    }
    showList(std::move(fresh), ListMode::Standard, QString());
    return true;
}

bool ListFiles::LoadHistoryList(ListPrompter& prompter)
{
    if (!prepareToLeave(prompter))
        return false;
    ToDoList fresh;
    if (const IoResult r = LoadHistoryFile(fresh, d.m_paths.historyList); !r) {
        prompter.inform(withDetail(listText("HistoryUnread"), IoMessage(r)));
        return false;
    }
    showList(std::move(fresh), ListMode::History, QString());
    return true;
}

bool ListFiles::SaveHistoryList(ListPrompter& prompter)
{
    d.settle();
    if (d.m_mode != ListMode::History) {
        prompter.inform(listText("NotHistory"));
        return false;
    }
    if (const std::optional<bool> done = confirmReplacingChangedFile(prompter))
        return *done;
    if (const IoResult r = d.saveByMode(); !r) {
        prompter.inform(withDetail(listText("FailureSaving"), IoMessage(r)));
        return false;
    }
    d.leftSaved();
    return true;
}

bool ListFiles::OpenExternalList(ListPrompter& prompter)
{
    if (!prepareToLeave(prompter))
        return false;
    const QString path = prompter.chooseListToOpen(d.m_paths.dataFolder);
    if (path.isEmpty())
        return false;
    ToDoList fresh;
    if (const IoResult r = ReadListFile(path, true, fresh); !r) {
        prompter.inform(withDetail(listText("OpenFailed"), IoMessage(r)));
        return false;
    }
    showOpenedList(std::move(fresh), path);
    return true;
}

bool ListFiles::SaveExternalList(ListPrompter& prompter)
{
    d.settle();
    // An unchanged external list is already in its file: say so instead of doing nothing. Any other
    // list can always be saved as an external one.
    if (!d.m_modified && d.m_mode == ListMode::External && !d.m_externalFileName.isEmpty()) {
        prompter.inform(listText("NothingToSave").arg(native(d.m_externalFileName)));
        return true;
    }
    if (d.m_mode == ListMode::NoList)
        return SaveExternalListAs(prompter);
    if (d.m_mode != ListMode::External) {
        const QString text = LanguageTexts::shared().text("Lists", "SaveAsExternal");
        if (prompter.ask(ListPrompter::Question::SaveAsExternal, text, false) != ListPrompter::Answer::Yes)
            return false;
        return SaveExternalListAs(prompter);
    }
    // "Save external" is the user's own word: no question whether to save.
    if (!d.m_externalFileName.isEmpty())
        return saveExternalUnderItsName(prompter, false, false);
    return SaveExternalListAs(prompter);
}

bool ListFiles::SaveExternalListAs(ListPrompter& prompter)
{
    d.settle();
    // Rows that were never read (the standard list could not be) are no list to save anywhere.
    if (d.m_mode == ListMode::NoList) {
        prompter.inform(listText("NoListToSave"));
        return false;
    }
    const QString folder = d.m_saveDialogFolder.isEmpty() ? d.m_paths.dataFolder : d.m_saveDialogFolder;
    const QString path = prompter.chooseListToSave(folder);
    if (path.isEmpty())
        return false;
    if (const IoResult r = checkSaveTarget(path); !r) {
        prompter.inform(withDetail(listText("FailureSaving"), IoMessage(r)));
        return false;
    }
    // The standard list's own items would be gone: the file dialog's "replace it?" named only a file.
    if (d.m_mode != ListMode::Standard && d.isStandardListFile(path)) {
        const QString text = listText("ReplaceStandard").arg(native(path));
        if (prompter.ask(ListPrompter::Question::ReplaceStandardList, text, false) !=
            ListPrompter::Answer::Yes)
            return false;
    }
    if (const IoResult r = SaveListFile(d.list(), path, nullptr, d.beforeReplacing(path, d.list())); !r) {
        prompter.inform(withDetail(listText("FailureSaving"), IoMessage(r)));
        return false;
    }
    const bool standard = d.isStandardListFile(path);
    if (d.m_mode == ListMode::Standard && !standard)
        keepStandardRows(std::nullopt);
    d.m_mode = standard ? ListMode::Standard : ListMode::External;
    d.m_externalFileName = standard ? QString() : path;
    holdShownFile();
    d.stampFile();
    d.m_saveDialogFolder = d.m_paths.dataFolder;
    d.leftSaved();
    Q_EMIT d.listSwitched();
    return true;
}

void ListFiles::showOpenedList(ToDoList fresh, const QString& path)
{
    // A recovery copy opened by hand is a new list: saving it back there would have the copy removed as
    // soon as it is saved.
    if (d.m_guard.roleOf(path) == WriteGuard::Role::RecoveryCopy) {
        showList(std::move(fresh), ListMode::External, QString(), true);
        return;
    }
    showList(std::move(fresh), d.isStandardListFile(path) ? ListMode::Standard : ListMode::External, path);
}

IoResult ListFiles::checkSaveTarget(const QString& path) const
{
    if (IoResult r = d.m_guard.checkListTarget(path); !r)
        return r;
    // A list that another window shows is that window's to save.
    if (d.m_paths.holdFiles && !WriteGuard::sameFile(path, d.shownFile()) && !d.isStandardListFile(path)) {
        ListFileHold hold(path, ListFileHold::Role::Window);
        if (!hold.tryHold() && hold.error().kind == IoError::Busy)
            return IoResult::failure(
                LanguageTexts::shared().text("ListErrors", "HeldElsewhere").arg(IoMessage(hold.error())),
                IoError::Busy);
    }
    return IoResult::success();
}

bool ListFiles::NewEmptyList(ListPrompter& prompter)
{
    // Leaving the standard list saves it; leaving another list saves that one, and the question says so.
    const QString text = LanguageTexts::shared().text(
        "Lists", d.mode() == ListMode::Standard ? "CreateEmpty" : "CreateEmptyFromOther");
    if (prompter.ask(ListPrompter::Question::CreateEmptyList, text, false) != ListPrompter::Answer::Yes)
        return false;
    if (!prepareToLeave(prompter))
        return false;
    // The owner and project names stay.
    showList(ToDoList(), ListMode::External, QString());
    return true;
}

bool ListFiles::openListFile(const QString& path, ListPrompter& prompter)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("tdo") && suffix != QLatin1String("tdx")) {
        prompter.inform(withDetail(listText("ProblemsReading"), listText("NotAList").arg(native(path))));
        return false;
    }
    if (d.isStandardListFile(path))
        return OpenStandardList(prompter);
    // A file that is not there changes nothing: not even the question whether to save the shown list.
    if (const QFileInfo info(path); !info.isFile()) {
        // A folder or a device by that name is there, and is called what it is.
        IoResult there = IoResult::failed(IoStep::Open, path, IoError::NotRegular);
        there.folder = info.isDir();
        prompter.inform(
            withDetail(listText("ProblemsReading"),
                       info.exists() ? IoMessage(there) : listText("NoSuchFile").arg(native(path))));
        return false;
    }
    if (!prepareToLeave(prompter))
        return false;
    ToDoList fresh;
    if (const IoResult r = ReadListFile(path, true, fresh); !r) {
        prompter.inform(withDetail(listText("ProblemsReading"), IoMessage(r)));
        return false;
    }
    showOpenedList(std::move(fresh), QFileInfo(path).absoluteFilePath());
    return true;
}

void ListFiles::startUp(const QString& commandLineFile, ListPrompter& prompter)
{
    d.settle();
    // A move to history that the last run was cut short in is taken back: its rows are still in the list.
    // Cuts of moves taken back that it saved a list for but did not make are made. Then the history is
    // checked whole beside the window, before the first move to it needs that.
    if (HistoryTail::settle(d.m_paths.historyList)) {
        if (const IoResult cut = d.m_ledger.completeInterruptedCuts(); !cut)
            prompter.inform(listText("HistoryKept").arg(IoMessage(cut)));
        HistoryTail::checkInBackground(d.m_paths.historyList,
                                       [](const QString& path) { return CheckListFile(path, false); });
    }
    if (commandLineFile.isEmpty() || !openListFile(commandLineFile, prompter))
        OpenStandardList(prompter);
    else if (d.m_mode != ListMode::Standard)
        keepStandardRows(std::nullopt);
    if (d.m_mode == ListMode::Standard)
        completeInterruptedMoves(prompter);
    offerRecovery(prompter);
}

void ListFiles::completeInterruptedMoves(ListPrompter& prompter)
{
    const QList<int> rows = d.m_ledger.interruptedRows(d.m_model->list());
    if (rows.isEmpty())
        return;
    // The journal stays until the list is saved without the rows.
    d.m_model->removeRows(rows);
    d.m_ledger.moveMade(d.m_generation);
    prompter.inform(rows.size() == 1 ? listText("MoveCompletedOne")
                                     : listText("MoveCompleted").arg(rows.size()));
}

void ListFiles::offerRecovery(ListPrompter& prompter)
{
    // Each copy an earlier run left is offered in turn until one is restored; the others wait for the next
    // start.
    for (const QString& copyPath : RecoveryFile::copiesIn(d.m_paths.dataFolder)) {
        if (offerCopy(copyPath, prompter))
            return;
    }
}

bool ListFiles::offerCopy(const QString& copyPath, ListPrompter& prompter)
{
    ToDoList copy;
    RecoveryFile::Origin origin;
    if (const IoResult r = d.m_recovery.read(copy, origin, copyPath); !r) {
        prompter.inform(withDetail(listText("CopyUnread").arg(native(copyPath)), IoMessage(r)));
        return false;
    }
    QString which;
    QString file;
    if (origin.mode == ListMode::Standard) {
        which = listText("StandardList");
        file = d.m_paths.standardList;
    } else if (origin.mode == ListMode::History) {
        which = listText("HistoryList");
        file = d.m_paths.historyList;
    } else if (origin.fileName.isEmpty()) {
        which = listText("NewList");
    } else {
        which = native(origin.fileName);
        file = origin.fileName;
    }
    const QString when = origin.written.isValid()
                             ? origin.written.toString(QStringLiteral("yyyy-MM-dd HH:mm"))
                             : listText("UnknownTime");
    const QString items = copy.size() == 1 ? listText("OneItem") : listText("Items").arg(copy.size());
    // A copy that does not say what its file was counts as made from another state of it.
    const bool changedSince = !file.isEmpty() && (!origin.stampKnown || FileStamp::of(file) != origin.stamp);
    QString text = listText("Unsaved").arg(which, items, when);
    if (changedSince)
        text += QStringLiteral("\r\n") + listText("ChangedSince").arg(native(file));
    text += QStringLiteral("\r\n") + listText("Restore");
    // Only the user's No throws the copy away; Cancel, Escape, closing the box or nobody there keeps it.
    const ListPrompter::Answer answer = prompter.ask(ListPrompter::Question::RestoreRecovery, text, true);
    if (answer == ListPrompter::Answer::No)
        d.m_recovery.remove(copyPath);
    if (answer != ListPrompter::Answer::Yes)
        return false;
    if (!prepareToLeave(prompter))
        return false;
    // Restored, the list is modified until it reaches its own file; the copy stays until then. Its file is
    // taken as the copy found it, so a save notices what another program wrote since.
    std::optional<FileStamp> stamp;
    if (!file.isEmpty())
        stamp = origin.stampKnown ? origin.stamp : FileStamp{true, 0, 0, -1, -1};
    d.m_recovery.remove();
    d.m_recovery.adopt(copyPath);
    showList(std::move(copy), origin.mode, origin.fileName, true, stamp);
    return true;
}

void ListFiles::keepStandardRows(std::optional<ToDoList> rows)
{
    if (!rows) {
        // Changes the user let go of are not the standard list's: read what its file holds.
        ToDoList fromFile;
        if (LoadListFile(fromFile, d.m_paths.standardList))
            rows = std::move(fromFile);
    }
    d.m_standardRows = std::move(rows);
}

void ListFiles::showList(ToDoList list, ListMode mode, const QString& externalFile, bool modified,
                         const std::optional<FileStamp>& stamp)
{
    d.settle();
    ++d.m_generation;
    d.m_ledger.dropDeferredCuts();
    // The names a file brings are added to those the editor already offers.
    list.putNamesBehind(d.m_model->list());
    const bool leavingStandard = d.m_mode == ListMode::Standard && mode != ListMode::Standard;
    const bool unsaved = d.m_modified;
    d.m_replacing = true;
    ToDoList previous = d.m_model->replaceList(std::move(list));
    d.m_replacing = false;
    if (mode == ListMode::Standard)
        d.m_standardRows.reset();
    else if (leavingStandard)
        keepStandardRows(unsaved ? std::nullopt : std::optional<ToDoList>(std::move(previous)));
    d.m_mode = mode;
    d.m_externalFileName = mode == ListMode::External ? externalFile : QString();
    holdShownFile();
    if (stamp)
        d.m_stamp = *stamp;
    else
        d.stampFile();
    d.m_autosaveTimer.stop();
    d.setModified(modified);
    if (modified && d.m_autosaveTimer.interval() > 0)
        d.m_autosaveTimer.start();
    Q_EMIT d.rowsReplaced();
    Q_EMIT d.listSwitched();
}

void ListFiles::holdShownFile()
{
    if (!d.m_paths.holdFiles)
        return;
    if (d.m_mode != ListMode::External || d.m_externalFileName.isEmpty()) {
        d.m_externalHold.reset();
        return;
    }
    if (d.m_externalHold && WriteGuard::sameFile(d.m_externalHold->listPath(), d.m_externalFileName))
        return;
    d.m_externalHold = std::make_unique<ListFileHold>(d.m_externalFileName, ListFileHold::Role::Window);
    // Another window showing the same list keeps it; the stamps still stop either from replacing the
    // other's changes unasked. Holding it, no save of another run is under way beside it: what crashed
    // saves left there goes.
    if (d.m_externalHold->tryHold())
        RemoveCrashLeftovers(QFileInfo(d.m_externalFileName).absolutePath());
}

IoResult ListFiles::takeBackMove(const RowChange& change)
{
    // The items leave the history file only once the list that takes them back is in its own file: at no
    // moment are they in neither, and a copy the user may still let go of (the recovery copy of an external
    // list, or of a standard list another program changed) never holds them alone. Rows that still end the
    // history stay there until the next save of the list (an autosave, a few seconds later), so that the
    // undo need not wait for one; without autosaves the standard list is saved here first. Until that save
    // the journal of moves keeps the move: a crash before it completes the move at the next start (the
    // undo, in no file yet, is lost as any change not yet saved). The journal of cuts notes the list's new
    // file just before it replaces the old one: a crash between that save and the cut makes the cut at the
    // next start, while the file is still the one the save wrote.
    const bool savedNow = d.m_mode == ListMode::Standard && !d.changedOnDisk();
    if (!savedNow || (d.m_autosaveTimer.interval() > 0 && d.m_ledger.canDeferCut(change)))
        return d.m_ledger.deferCut(change, d.m_generation);
    ToDoListModel back;
    back.replaceList(d.m_model->list());
    change.undoRows(back);
    d.settle();
    if (IoResult r = d.m_ledger.deferCut(change, d.m_generation); !r)
        return r;
    const QString& file = d.m_paths.standardList;
    if (IoResult r = SaveListFile(back.list(), file, nullptr, d.beforeReplacing(file, back.list())); !r) {
        d.m_ledger.takeBackDeferredCut();
        return r;
    }
    d.m_ledger.standardListSaved(d.m_generation);
    d.stampFile();
    // The file holds the rows of every move taken back so far: all of them leave the history now, the rows
    // nearest its end first. A cut that fails leaves its rows in the history too, and says so; when this
    // move's fails, the undo is refused, and the list's file, which holds its rows, is written again.
    const IoResult cut = d.cutUndoneMoves(d.m_generation + 1, change.id());
    if (!cut) {
        d.setModified(true);
        if (d.m_autosaveTimer.interval() > 0)
            d.m_autosaveTimer.start();
    }
    return cut;
}
