#include "model/ListDocument.h"

#include "config/IoMessage.h"
#include "config/LanguageTexts.h"
#include "model/HistoryTail.h"
#include "model/ListFile.h"
#include "platform/CrashPoint.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {
// The list texts of the language in effect.
QString listText(const char* key)
{
    return LanguageTexts::shared().text("Lists", key);
}

// The fixed message, and below it what went wrong, so the user knows which file and why.
QString withDetail(const QString& message, const QString& detail)
{
    return detail.isEmpty() ? message : message + QStringLiteral("\n\n") + detail;
}

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Rows of a list of size rows, ascending, each once.
QList<int> validRows(QList<int> rows, int size)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.removeIf([size](int r) { return r < 0 || r >= size; });
    return rows;
}

// The names a file brings are added to those the editor already offers.
void keepKnownNames(ToDoList& fresh, const ToDoList& shown)
{
    QByteArrayList owners = shown.OwnerNames;
    QByteArrayList projects = shown.ProjectNames;
    ToDoList::appendNewNames(owners, fresh.OwnerNames);
    ToDoList::appendNewNames(projects, fresh.ProjectNames);
    fresh.OwnerNames = std::move(owners);
    fresh.ProjectNames = std::move(projects);
}
} // namespace

ListDocument::ListDocument(const Paths& paths, QObject* parent)
    : QObject(parent), m_paths(paths), m_model(new ToDoListModel(this)), m_recovery(paths.dataFolder),
      m_guard({paths.dataFolder, paths.standardList, paths.historyList, paths.settingsFile}),
      m_saver(new BackgroundSave(this))
{
    connect(m_saver, &BackgroundSave::finished, this, &ListDocument::finishSaving);
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

void ListDocument::keepStandardRows(std::optional<ToDoList> rows)
{
    if (!rows) {
        // Changes the user let go of are not the standard list's: read what its file holds.
        ToDoList fromFile;
        if (LoadListFile(fromFile, m_paths.standardList))
            rows = std::move(fromFile);
    }
    m_standardRows = std::move(rows);
}

void ListDocument::showList(ToDoList list, ListMode mode, const QString& externalFile, bool modified,
                            const std::optional<FileStamp>& stamp)
{
    finishSaving();
    ++m_generation;
    // The rows of moves taken back stay in the history: the list that held them again is left (saved,
    // and cut then, or let go of by the user).
    m_pendingCuts.clear();
    keepKnownNames(list, m_model->list());
    const bool leavingStandard = m_mode == ListMode::Standard && mode != ListMode::Standard;
    const bool unsaved = m_modified;
    m_replacing = true;
    ToDoList previous = m_model->replaceList(std::move(list));
    m_replacing = false;
    if (mode == ListMode::Standard)
        m_standardRows.reset();
    else if (leavingStandard)
        keepStandardRows(unsaved ? std::nullopt : std::optional<ToDoList>(std::move(previous)));
    m_mode = mode;
    m_externalFileName = mode == ListMode::External ? externalFile : QString();
    holdShownFile();
    if (stamp)
        m_stamp = *stamp;
    else
        stampFile();
    m_autosaveTimer.stop();
    setModified(modified);
    if (modified && m_autosaveTimer.interval() > 0)
        m_autosaveTimer.start();
    Q_EMIT rowsReplaced();
    Q_EMIT listSwitched();
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
    if (m_mode == ListMode::Standard)
        r = SaveListFile(list(), m_paths.standardList);
    else if (m_mode == ListMode::History)
        r = SaveHistoryFile(list(), m_paths.historyList);
    if (r)
        stampFile();
    return r;
}

IoResult ListDocument::writeRecovery()
{
    IoResult r = writeRecovery(list());
    if (r)
        cutUndoneMoves(m_generation + 1);
    return r;
}

void ListDocument::cutUndoneMoves(quint64 savedGeneration)
{
    // Last taken back first: a later move's rows follow an earlier one's in the history.
    while (!m_pendingCuts.empty() && m_pendingCuts.back().generation < savedGeneration) {
        const RowChange change = std::move(m_pendingCuts.back().change);
        m_pendingCuts.pop_back();
        if (const IoResult r = change.undoFiles(m_paths.historyList); !r)
            Q_EMIT autosaveFailed(listText("HistoryKept").arg(IoMessage(r)));
    }
}

IoResult ListDocument::writeRecovery(const ToDoList& rows)
{
    finishSaving();
    RecoveryFile::Origin origin{m_mode, m_externalFileName, QDateTime::currentDateTime(), m_stamp, true};
    return m_recovery.write(rows, origin);
}

void ListDocument::leftSaved()
{
    finishSaving();
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

void ListDocument::holdShownFile()
{
    if (!m_paths.holdFiles)
        return;
    if (m_mode != ListMode::External || m_externalFileName.isEmpty()) {
        m_externalHold.reset();
        return;
    }
    if (m_externalHold && WriteGuard::sameFile(m_externalHold->listPath(), m_externalFileName))
        return;
    m_externalHold = std::make_unique<ListFileHold>(m_externalFileName, ListFileHold::Role::Window);
    // Another window showing the same list keeps it; the stamps still stop either from replacing the
    // other's changes unasked. Holding it, no save of another run is under way beside it: what crashed
    // saves left there goes.
    if (m_externalHold->tryHold())
        RemoveCrashLeftovers(QFileInfo(m_externalFileName).absolutePath());
}

std::optional<bool> ListDocument::confirmReplacingChangedFile(ListPrompter& prompter)
{
    // Someone else wrote the file since this list read it: replacing it would lose their rows unasked.
    if (!changedOnDisk())
        return std::nullopt;
    const QString question = listText("ReplaceChanged").arg(native(shownFile()));
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

bool ListDocument::askToDiscard(ListPrompter& prompter, const QString& why)
{
    finishSaving();
    const QString text = why + QStringLiteral("\r\n") + LanguageTexts::shared().text("Lists", "LoseChanges");
    if (prompter.ask(ListPrompter::Question::DiscardChanges, text, false) != ListPrompter::Answer::Yes)
        return false;
    m_recovery.remove();
    return true;
}

bool ListDocument::saveExternalUnderItsName(ListPrompter& prompter, bool leaving, bool asked)
{
    finishSaving();
    const QString text = LanguageTexts::shared().text("Lists", "SaveChanged").arg(native(m_externalFileName));
    const ListPrompter::Answer answer =
        asked ? prompter.ask(ListPrompter::Question::SaveChangedExternal, text, leaving)
              : ListPrompter::Answer::Yes;
    switch (answer) {
    case ListPrompter::Answer::Cancel:
        return false;
    case ListPrompter::Answer::No:
        // Leaving without saving is the user's explicit choice; otherwise the list simply stays modified.
        if (leaving)
            m_recovery.remove();
        return leaving;
    case ListPrompter::Answer::Yes:
        break;
    }
    if (const std::optional<bool> done = confirmReplacingChangedFile(prompter))
        return *done;
    if (const IoResult r = SaveListFile(list(), m_externalFileName); !r) {
        prompter.inform(withDetail(listText("FailureSavingTodo"), IoMessage(r)));
        return leaving && askToDiscard(prompter, LanguageTexts::shared().text("Lists", "NotSaved"));
    }
    stampFile();
    leftSaved();
    return true;
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

bool ListDocument::SaveCurrentList(ListPrompter& prompter)
{
    finishSaving();
    if (!m_modified || m_mode == ListMode::NoList)
        return true;
    if (m_mode == ListMode::External)
        return m_externalFileName.isEmpty() ? SaveExternalListAs(prompter)
                                            : saveExternalUnderItsName(prompter, false);
    if (const std::optional<bool> done = confirmReplacingChangedFile(prompter))
        return *done;
    if (const IoResult r = saveByMode(); !r) {
        prompter.inform(withDetail(listText("FailureSavingTodo"), IoMessage(r)));
        return false;
    }
    leftSaved();
    return true;
}

bool ListDocument::prepareToLeave(ListPrompter& prompter)
{
    finishSaving();
    if (!m_modified || m_mode == ListMode::NoList)
        return true;
    if (m_mode == ListMode::External) {
        if (!m_externalFileName.isEmpty())
            return saveExternalUnderItsName(prompter, true);
        // A list that never had a file: the user decides first, before any file dialog opens.
        const QString text = LanguageTexts::shared().text("Lists", "SaveNew");
        switch (prompter.ask(ListPrompter::Question::SaveNewList, text, true)) {
        case ListPrompter::Answer::Yes:
            return SaveExternalListAs(prompter);
        case ListPrompter::Answer::No:
            m_recovery.remove();
            return true;
        case ListPrompter::Answer::Cancel:
            break;
        }
        return false;
    }
    return SaveCurrentList(prompter) ||
           askToDiscard(prompter, LanguageTexts::shared().text("Lists", "NotSaved"));
}

bool ListDocument::OpenStandardList(ListPrompter& prompter)
{
    if (!prepareToLeave(prompter))
        return false;
    ToDoList fresh;
    // A standard list that does not exist yet is an empty one (the first start).
    if (const IoResult r = LoadListFile(fresh, m_paths.standardList); !r) {
        prompter.inform(withDetail(listText("ProblemsReading"), IoMessage(r)));
        return false;
    }
    showList(std::move(fresh), ListMode::Standard, QString());
    return true;
}

bool ListDocument::LoadHistoryList(ListPrompter& prompter)
{
    if (!prepareToLeave(prompter))
        return false;
    ToDoList fresh;
    if (const IoResult r = LoadHistoryFile(fresh, m_paths.historyList); !r) {
        prompter.inform(withDetail(listText("HistoryUnread"), IoMessage(r)));
        return false;
    }
    showList(std::move(fresh), ListMode::History, QString());
    return true;
}

bool ListDocument::SaveHistoryList(ListPrompter& prompter)
{
    finishSaving();
    if (m_mode != ListMode::History) {
        prompter.inform(listText("NotHistory"));
        return false;
    }
    if (const std::optional<bool> done = confirmReplacingChangedFile(prompter))
        return *done;
    if (const IoResult r = saveByMode(); !r) {
        prompter.inform(withDetail(listText("FailureSaving"), IoMessage(r)));
        return false;
    }
    leftSaved();
    return true;
}

bool ListDocument::OpenExternalList(ListPrompter& prompter)
{
    if (!prepareToLeave(prompter))
        return false;
    const QString path = prompter.chooseListToOpen(m_paths.dataFolder);
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

bool ListDocument::SaveExternalList(ListPrompter& prompter)
{
    finishSaving();
    // An unchanged external list is already in its file: say so instead of doing nothing. Any other
    // list can always be saved as an external one.
    if (!m_modified && m_mode == ListMode::External && !m_externalFileName.isEmpty()) {
        prompter.inform(listText("NothingToSave").arg(native(m_externalFileName)));
        return true;
    }
    if (m_mode == ListMode::NoList)
        return SaveExternalListAs(prompter);
    if (m_mode != ListMode::External) {
        const QString text = LanguageTexts::shared().text("Lists", "SaveAsExternal");
        if (prompter.ask(ListPrompter::Question::SaveAsExternal, text, false) != ListPrompter::Answer::Yes)
            return false;
        return SaveExternalListAs(prompter);
    }
    // "Save external" is the user's own word: no question whether to save.
    if (!m_externalFileName.isEmpty())
        return saveExternalUnderItsName(prompter, false, false);
    return SaveExternalListAs(prompter);
}

bool ListDocument::SaveExternalListAs(ListPrompter& prompter)
{
    finishSaving();
    // Rows that were never read (the standard list could not be) are no list to save anywhere.
    if (m_mode == ListMode::NoList) {
        prompter.inform(listText("NoListToSave"));
        return false;
    }
    const QString folder = m_saveDialogFolder.isEmpty() ? m_paths.dataFolder : m_saveDialogFolder;
    const QString path = prompter.chooseListToSave(folder);
    if (path.isEmpty())
        return false;
    if (const IoResult r = checkSaveTarget(path); !r) {
        prompter.inform(withDetail(listText("FailureSaving"), IoMessage(r)));
        return false;
    }
    // The standard list's own items would be gone: the file dialog's "replace it?" named only a file.
    if (m_mode != ListMode::Standard && isStandardListFile(path)) {
        const QString text = listText("ReplaceStandard").arg(native(path));
        if (prompter.ask(ListPrompter::Question::ReplaceStandardList, text, false) !=
            ListPrompter::Answer::Yes)
            return false;
    }
    if (const IoResult r = SaveListFile(list(), path); !r) {
        prompter.inform(withDetail(listText("FailureSaving"), IoMessage(r)));
        return false;
    }
    const bool standard = isStandardListFile(path);
    if (m_mode == ListMode::Standard && !standard)
        keepStandardRows(std::nullopt);
    m_mode = standard ? ListMode::Standard : ListMode::External;
    m_externalFileName = standard ? QString() : path;
    holdShownFile();
    stampFile();
    m_saveDialogFolder = m_paths.dataFolder;
    leftSaved();
    Q_EMIT listSwitched();
    return true;
}

void ListDocument::showOpenedList(ToDoList fresh, const QString& path)
{
    // A recovery copy opened by hand is a new list: saving it back there would have the copy removed as
    // soon as it is saved.
    if (m_guard.roleOf(path) == WriteGuard::Role::RecoveryCopy) {
        showList(std::move(fresh), ListMode::External, QString(), true);
        return;
    }
    showList(std::move(fresh), isStandardListFile(path) ? ListMode::Standard : ListMode::External, path);
}

IoResult ListDocument::checkSaveTarget(const QString& path) const
{
    if (IoResult r = m_guard.checkListTarget(path); !r)
        return r;
    // A list that another window shows is that window's to save.
    if (m_paths.holdFiles && !WriteGuard::sameFile(path, shownFile()) && !isStandardListFile(path)) {
        ListFileHold hold(path, ListFileHold::Role::Window);
        if (!hold.tryHold() && hold.error().kind == IoError::Busy)
            return IoResult::failure(
                LanguageTexts::shared().text("ListErrors", "HeldElsewhere").arg(IoMessage(hold.error())),
                IoError::Busy);
    }
    return IoResult::success();
}

bool ListDocument::NewEmptyList(ListPrompter& prompter)
{
    const QString text = LanguageTexts::shared().text("Lists", "CreateEmpty");
    if (prompter.ask(ListPrompter::Question::CreateEmptyList, text, false) != ListPrompter::Answer::Yes)
        return false;
    if (!prepareToLeave(prompter))
        return false;
    // The owner and project names stay.
    showList(ToDoList(), ListMode::External, QString());
    return true;
}

bool ListDocument::openListFile(const QString& path, ListPrompter& prompter)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("tdo") && suffix != QLatin1String("tdx")) {
        prompter.inform(withDetail(listText("ProblemsReading"), listText("NotAList").arg(native(path))));
        return false;
    }
    if (isStandardListFile(path))
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

void ListDocument::startUp(const QString& commandLineFile, ListPrompter& prompter)
{
    finishSaving();
    // A move to history that the last run was cut short in is taken back: its rows are still in the list.
    // Then the history is checked whole beside the window, before the first move to it needs that.
    if (HistoryTail::settle(m_paths.historyList))
        HistoryTail::checkInBackground(m_paths.historyList,
                                       [](const QString& path) { return CheckListFile(path, false); });
    if (commandLineFile.isEmpty() || !openListFile(commandLineFile, prompter))
        OpenStandardList(prompter);
    else if (m_mode != ListMode::Standard)
        keepStandardRows(std::nullopt);
    offerRecovery(prompter);
}

void ListDocument::offerRecovery(ListPrompter& prompter)
{
    // Each copy an earlier run left is offered in turn until one is restored; the others wait for the next
    // start.
    for (const QString& copyPath : RecoveryFile::copiesIn(m_paths.dataFolder)) {
        if (offerCopy(copyPath, prompter))
            return;
    }
}

bool ListDocument::offerCopy(const QString& copyPath, ListPrompter& prompter)
{
    ToDoList copy;
    RecoveryFile::Origin origin;
    if (const IoResult r = m_recovery.read(copy, origin, copyPath); !r) {
        prompter.inform(withDetail(listText("CopyUnread").arg(native(copyPath)), IoMessage(r)));
        return false;
    }
    QString which;
    QString file;
    if (origin.mode == ListMode::Standard) {
        which = listText("StandardList");
        file = m_paths.standardList;
    } else if (origin.mode == ListMode::History) {
        which = listText("HistoryList");
        file = m_paths.historyList;
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
        m_recovery.remove(copyPath);
    if (answer != ListPrompter::Answer::Yes)
        return false;
    if (!prepareToLeave(prompter))
        return false;
    // Restored, the list is modified until it reaches its own file; the copy stays until then. Its file is
    // taken as the copy found it, so a save notices what another program wrote since.
    std::optional<FileStamp> stamp;
    if (!file.isEmpty())
        stamp = origin.stampKnown ? origin.stamp : FileStamp{true, 0, 0, -1, -1};
    m_recovery.remove();
    m_recovery.adopt(copyPath);
    showList(std::move(copy), origin.mode, origin.fileName, true, stamp);
    return true;
}

void ListDocument::endSession(ListPrompter& unattended)
{
    finishSaving();
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
    finishSaving();
    autosave();
    finishSaving();
    return !m_modified;
}

void ListDocument::finishSaving()
{
    std::optional<BackgroundSave::Outcome> done = m_saver->wait();
    if (!done)
        return;
    if (done->kind == BackgroundSave::Kind::Recovery) {
        m_recovery = done->recovery;
        if (!done->result)
            Q_EMIT autosaveFailed(IoMessage(done->result));
        else
            cutUndoneMoves(done->generation);
    } else if (!done->result) {
        writeRecovery();
        Q_EMIT autosaveFailed(IoMessage(done->result));
    } else {
        m_stamp = done->stamp;
        cutUndoneMoves(done->generation);
        // Changes made while it was written wait for the next save.
        if (done->generation == m_generation)
            leftSaved();
    }
    if (m_modified && m_autosaveTimer.interval() > 0 && !m_autosaveTimer.isActive() &&
        done->generation != m_generation)
        m_autosaveTimer.start();
}

bool ListDocument::DeleteSelectedItems(const QList<int>& rows, bool withHistory, ListPrompter& prompter)
{
    // External lists are the user's own lists: only the history list itself (or no list) refuses.
    if (m_mode == ListMode::History || m_mode == ListMode::NoList) {
        prompter.inform(listText("IsHistory"));
        return false;
    }
    QList<int> valid = validRows(rows, m_model->size());
    if (valid.isEmpty())
        return false;
    std::vector<ToDoItem> items;
    items.reserve(static_cast<size_t>(valid.size()));
    for (int r : std::as_const(valid))
        items.push_back(m_model->item(r));
    RowChange change =
        RowChange::removed(withHistory ? RowChange::Kind::MoveToHistory : RowChange::Kind::Delete,
                           std::move(valid), std::move(items));
    if (const IoResult r = change.redoFiles(*m_model, m_paths.historyList); !r) {
        prompter.inform(withDetail(listText("FailureSaving"), IoMessage(r)));
        return false;
    }
    change.redoRows(*m_model);
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
    std::vector<ToDoItem> items;
    items.push_back(std::move(item));
    RowChange change = RowChange::inserted(RowChange::Kind::Add, {m_model->size()}, std::move(items));
    change.setNames(m_model->ownerNames(), m_model->projectNames(), owners, projects);
    return record(std::move(change));
}

bool ListDocument::editItem(int row, const ToDoItem& expected, ToDoItem item, const QByteArrayList& owners,
                            const QByteArrayList& projects)
{
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
    QList<int> valid = validRows(rows, m_model->size());
    if (valid.isEmpty())
        return false;
    std::vector<bool> before;
    std::vector<bool> after;
    for (int r : std::as_const(valid)) {
        before.push_back(m_model->item(r).checked());
        after.push_back(!before.back());
    }
    return record(RowChange::checked(std::move(valid), std::move(before), std::move(after)));
}

bool ListDocument::setChecked(int row, bool checked)
{
    if (row < 0 || row >= m_model->size() || m_model->item(row).checked() == checked)
        return false;
    return record(RowChange::checked({row}, {!checked}, {checked}));
}

bool ListDocument::importItems(std::vector<ToDoItem> items)
{
    if (!canChangeRows() || items.empty())
        return false;
    QList<int> rows;
    rows.reserve(static_cast<qsizetype>(items.size()));
    for (size_t i = 0; i < items.size(); ++i)
        rows.append(m_model->size() + static_cast<int>(i));
    return record(RowChange::inserted(RowChange::Kind::Import, std::move(rows), std::move(items)));
}

bool ListDocument::sortRows(std::vector<int> order)
{
    if (static_cast<int>(order.size()) != m_model->size())
        return false;
    // Rows already in that order (or only alike rows changing places): nothing to do, nor to take back.
    const auto& items = m_model->list().items;
    bool moves = false;
    for (size_t i = 0; i < order.size() && !moves; ++i)
        moves = order[i] != static_cast<int>(i) && !(items[static_cast<size_t>(order[i])] == items[i]);
    if (!moves)
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
    if (!change.canUndoRows(*m_model))
        return listChangedSince();
    if (change.kind() == RowChange::Kind::MoveToHistory) {
        // The items leave the history file only once the list that takes them back is in a file: its own
        // (the standard list) or the recovery copy. At no moment are they in neither. Rows that still end
        // the history stay there until the next save of the list (an autosave, a few seconds later), so
        // that the undo need not wait for one; without autosaves the list is saved here first.
        if (m_autosaveTimer.interval() > 0 && change.rowsEndHistory(m_paths.historyList)) {
            m_pendingCuts.push_back({change, m_generation});
            return IoResult::success();
        }
        ToDoListModel back;
        back.replaceList(m_model->list());
        change.undoRows(back);
        if (IoResult r = keepRowsSafe(back.list()); !r)
            return r;
    }
    return change.undoFiles(m_paths.historyList);
}

IoResult ListDocument::keepRowsSafe(const ToDoList& rows)
{
    finishSaving();
    if (m_mode == ListMode::Standard && !changedOnDisk()) {
        if (IoResult r = SaveListFile(rows, m_paths.standardList); !r)
            return r;
        stampFile();
        return IoResult::success();
    }
    return writeRecovery(rows);
}

IoResult ListDocument::prepareRedo(RowChange& change)
{
    if (!change.canRedoRows(*m_model))
        return listChangedSince();
    // Taken back but not yet cut off the history: the rows are still where the move put them.
    if (!m_pendingCuts.empty() && m_pendingCuts.back().change.id() == change.id()) {
        m_pendingCuts.pop_back();
        return IoResult::success();
    }
    return change.redoFiles(*m_model, m_paths.historyList);
}
