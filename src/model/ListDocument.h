#pragma once

#include "model/BackgroundCuts.h"
#include "model/BackgroundSave.h"
#include "model/HistoryLedger.h"
#include "model/HistoryMove.h"
#include "model/ListMode.h"
#include "model/ListPrompter.h"
#include "model/RecoveryFile.h"
#include "model/RowChange.h"
#include "model/SlicedImport.h"
#include "model/ToDoListModel.h"
#include "model/WriteGuard.h"
#include "platform/FileStamp.h"
#include "platform/IoResult.h"
#include "platform/ListFileHold.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>
#include <vector>

// The shown list and every rule about where it is kept. It owns the rows (the model), which list they
// are (ListMode), the file they belong to, and whether they need saving. "Modified" is driven by the
// model's own change signals, so no command can forget it; it is cleared only when the rows were read
// from or written to the list's own file.
//
// Every change reaches a file or leaves the list visibly modified with the user told:
// - a switch to another list (and Exit) first saves the shown list by its mode, and goes on without
//   saving only on an explicit answer to lose the changes;
// - every list is stamped when read and written: no save replaces a file that another program changed
//   since without asking, and in the background (nobody to ask) the changes go to the recovery copy;
// - a list is saved under another name only where the write guard allows it (never onto the history
//   list, a recovery copy or the program's own files);
// - a step that writes two files (a move to history and its undo) writes the file that gains the items
//   before the one that loses them. A move's rows leave the list at once and its history part runs
//   beside the window (HistoryMove); every step that writes or reads the list's files, changes the rows
//   or takes a change back first completes it, and a move whose history part failed puts its rows back
//   where they were and is reported (moveFailed). The cut of an undone move's rows off the history, which
//   the autosave that holds them again makes due, runs beside the window too (BackgroundCuts), and is
//   completed in the same way;
// - a failed or cancelled save leaves the list modified, its mode and file unchanged;
// - a few seconds after the last change the standard and history lists are saved (they are always saved
//   without asking), and any other list is copied to the recovery file, which the next start offers.
//   These saves run in the background from a copy of the rows; the list stays modified until one that
//   shows its last change is in the file, and a failed one is reported like any failed autosave. Every
//   other step that writes or reads the list's files first waits for a save under way;
// - a long import joins the rows a slice per turn of the event loop; every step that changes, switches or
//   writes the list first puts in the rest, so that nothing lands among its rows and its undo takes it
//   back whole;
// - at the end of a session nobody answers: what can be saved is saved, the rest goes to the recovery file.
//
// Questions go through a ListPrompter that each operation is given.
class ListDocument : public QObject
{
    Q_OBJECT

public:
    struct Paths
    {
        QString standardList;
        QString historyList;
        // Where the recovery file lives, and where the list dialogs start.
        QString dataFolder;
        // The settings file, which no list is ever saved onto.
        QString settingsFile = {};
        // Holds the lists it shows against other runs (the window does; tests of the rules need not).
        bool holdFiles = false;
    };

    explicit ListDocument(const Paths& paths, QObject* parent = nullptr);

    ToDoListModel* model() const { return m_model; }
    const ToDoList& list() const { return m_model->list(); }
    ListMode mode() const { return m_mode; }
    // The file of the shown external list; empty for a new list and in the other modes (ExternalFileName).
    QString externalFileName() const { return m_externalFileName; }
    bool isModified() const { return m_modified; }
    // A save of the shown list (or its recovery copy) is under way in the background.
    bool isSaving() const { return m_saver->busy(); }
    // The standard list's rows whatever list is shown, for the alarms: the shown rows while it is shown,
    // otherwise the rows it had when another list was shown (or as its file holds them). Null when the
    // standard list could not be read.
    const ToDoList* standardRows() const
    {
        return m_mode == ListMode::Standard ? &list() : (m_standardRows ? &*m_standardRows : nullptr);
    }
    // Rows can be added only to a list that has a place to be saved.
    bool canChangeRows() const { return m_mode != ListMode::NoList; }
    // The window caption of the shown list.
    QString caption() const;
    static QString standardCaption();
    const Paths& paths() const { return m_paths; }

    // Start folder of the save dialog: the data folder once a save through it succeeded, empty before.
    QString saveDialogFolder() const { return m_saveDialogFolder; }
    void setSaveDialogFolder(const QString& folder) { m_saveDialogFolder = folder; }

    // ---- Switching and saving lists; each returns true when it did what was asked ----
    // Saves the shown list by its mode unless it needs no saving; true when nothing is left unsaved.
    bool SaveCurrentList(ListPrompter& prompter);
    bool OpenStandardList(ListPrompter& prompter);
    bool LoadHistoryList(ListPrompter& prompter);
    // "Save history Todo": only while the history list is shown.
    bool SaveHistoryList(ListPrompter& prompter);
    bool OpenExternalList(ListPrompter& prompter);
    bool SaveExternalList(ListPrompter& prompter);
    bool SaveExternalListAs(ListPrompter& prompter);
    bool NewEmptyList(ListPrompter& prompter);
    // A list file named on the command line or handed over by a second start: the standard list file
    // itself opens as the standard list, any other ".tdo" or ".tdx" file as a list of its own, saved back
    // to its own file. A file that is missing, unreadable or of another kind is reported and changes nothing.
    bool openListFile(const QString& path, ListPrompter& prompter);
    // Start: the command-line file (or the standard list when there is none, or when it cannot be read),
    // then the offer to restore what the last run could not save.
    void startUp(const QString& commandLineFile, ListPrompter& prompter);
    // Before the program ends (Exit): true when the list is saved or the user chose to lose its changes.
    bool prepareToLeave(ListPrompter& prompter);
    // The session ends and nobody answers: saves what can be saved, copies the rest to the recovery file.
    void endSession(ListPrompter& unattended);

    // ---- Row commands that the mode decides on ----
    // Removes the rows; withHistory appends them to the history file beside the window, and the move is
    // announced once they are in it (when that fails, they come back and moveFailed says why). Refused
    // with "This is the history file!" on the history list and when no list is shown.
    bool DeleteSelectedItems(const QList<int>& rows, bool withHistory, ListPrompter& prompter);
    // A move to history whose rows are on their way into the history file.
    bool isMovingToHistory() const { return m_move->busy(); }
    // The rows of undone moves are being cut off the history beside the window, after an autosave.
    bool isCuttingHistory() const { return m_cuts->busy(); }

    // ---- Changes of the rows that can be taken back ----
    // Each one that changed something is announced by changeMade, once done. Rows are rows of the model.
    // An item from the editor, appended, with the editor's name lists.
    bool addItem(ToDoItem item, const QByteArrayList& owners, const QByteArrayList& projects);
    // The row must still hold expected (what the editor was given).
    bool editItem(int row, const ToDoItem& expected, ToDoItem item, const QByteArrayList& owners,
                  const QByteArrayList& projects);
    // Inverts the checked flag of each row; setChecked sets one row's.
    bool invertChecked(const QList<int>& rows);
    bool setChecked(int row, bool checked);
    // A long import joins the rows in slices, beside the window (SlicedImport); it is announced once its
    // last row is in. Every step of this document that changes or writes the rows first puts in the rest.
    bool importItems(std::vector<ToDoItem> items);
    bool isImporting() const { return m_import->busy(); }
    // Puts the rest of an import under way in at once and completes a move to history under way (each is
    // then announced): before a change the document does not make (the sync's), before an undo or redo,
    // which must find the change whole on the stack, and before the rows are copied for an export. False
    // when a move failed and its rows came back: rows numbered before then may be other rows now.
    bool finishPendingChanges()
    {
        m_import->finish();
        return completeMove();
    }
    // order[i] is the row that becomes row i.
    bool sortRows(std::vector<int> order);

    // Taking a change back and doing it again. prepare… checks that the rows are as the change needs them
    // and does the file part of an undo (the history file of a move to history); …Rows then changes the
    // rows and cannot fail. On failure nothing has changed; IoError::BadData says that it never can be done.
    IoResult prepareUndo(const RowChange& change);
    void undoRows(const RowChange& change);
    // A move to history done again appends its rows to the history beside the window, as a new move does,
    // once redoRows() has taken them out of the list: moveRedone (or redoTakenBack and moveFailed) follows.
    IoResult prepareRedo(RowChange& change);
    void redoRows(const RowChange& change);

    // ---- Saving in the background ----
    // How long after the last change the list is saved (or copied to the recovery file); 0 switches it off.
    void setAutosaveDelay(int milliseconds);
    // How much of a turn of the event loop a long import's slices may take (SlicedImport).
    void setImportTurnBudget(int milliseconds) { m_import->setTurnBudget(milliseconds); }
    // What the timer does; also called by tests. It starts the save and returns.
    void autosave();
    // Waits for a save in the background and takes in its outcome, and for the cuts it makes due.
    void finishSaving() { takeInSave(false); }
    // Saves now what the timer would save, and waits for it: a save under way is settled first (it may
    // hold older rows), then the rows as they are now are written. For callers outside the user's
    // commands that change rows and must know they reached the file: true when the list is left saved.
    bool autosaveAndWait();
    RecoveryFile& recovery()
    {
        finishSaving();
        return m_recovery;
    }

Q_SIGNALS:
    void modifiedChanged(bool modified);
    // Another list is shown, or the shown one got another mode or file: the caption may change.
    void listSwitched();
    // A save in the background failed; the list stays modified.
    void autosaveFailed(const QString& error);
    // A change of the rows was made through the document (not when taken back or done again).
    void changeMade(const RowChange& change);
    // A move to history has taken its rows out of the list; changeMade or moveFailed follows.
    void moveStarted();
    // A move to history could not write the history file: its rows are back where they were. message
    // is for the user.
    void moveFailed(const QString& message);
    // A move to history done again (redo) is complete: its rows are in the history.
    void moveRedone();
    // A move to history done again could not write the history file: its rows came back, and the change
    // (changeId) is undone again; moveFailed follows.
    void redoTakenBack(quint64 changeId);
    // Another list's rows are shown: changes made before can no longer be taken back.
    void rowsReplaced();

private:
    // The commands on whole lists, which work on the document's insides.
    friend class ListFiles;

    void onModelChanged();
    // Takes in the outcome of the move to history under way, waiting for it if need be; false when it
    // failed and put its rows back.
    bool completeMove();
    // Takes in the outcome of cuts made beside the window, waiting for them if need be; failures are told.
    void completeCuts();
    // A save has ended: cutsBeside lets the cuts it makes due run beside the window.
    void takeInSave(bool cutsBeside);
    // Starts the history's part of a move whose rows have just left the list: again for a redo;
    // listWasSaved when the list was in its file before they left.
    void startMove(RowChange change, bool again, bool listWasSaved);
    // Before a step that changes, switches or writes the list: the import and the save under way end.
    void settle();
    void setModified(bool modified);
    // Saves the standard or history list to its file; nothing for the other modes.
    IoResult saveByMode();
    // For a save on the window's thread of the rows, with every move taken back so far, to path: the cuts
    // that wait note the new file before it replaces the old one.
    AtomicFile::BeforeReplace beforeReplacing(const QString& path, const ToDoList& rows);
    IoResult writeRecovery();
    IoResult writeRecovery(const ToDoList& rows);
    // The file the shown list is saved to; empty for a new list and when no list is shown.
    QString shownFile() const;
    // The list is in its own file: settles what is under way first (leftSaved()) or not.
    void leftSaved();
    void markSaved();
    bool record(RowChange change);
    // Cuts the rows of the undone moves (of generations before savedGeneration) off the history file.
    // Gives how the cut of the move own went (success when it was not due); the others' failures are told.
    // beside: the cuts are made beside the window (isCuttingHistory()).
    IoResult cutUndoneMoves(quint64 savedGeneration, std::optional<quint64> own = std::nullopt,
                            bool beside = false);
    // The shown list's file as it was when this list last read or wrote it, to notice another writer.
    void stampFile();
    bool changedOnDisk() const;
    bool isStandardListFile(const QString& path) const;

    Paths m_paths;
    ToDoListModel* m_model;
    ListMode m_mode = ListMode::NoList;
    QString m_externalFileName;
    bool m_modified = false;
    // Set while the document itself replaces the rows: that is loading, not changing.
    bool m_replacing = false;
    // Set while the rows of a move taken back return: nothing leaves the list then.
    bool m_rowsComingBack = false;
    QString m_saveDialogFolder;
    std::optional<ToDoList> m_standardRows;
    FileStamp m_stamp;
    RecoveryFile m_recovery;
    WriteGuard m_guard;
    std::unique_ptr<ListFileHold> m_standardHold;
    std::unique_ptr<ListFileHold> m_historyHold;
    std::unique_ptr<ListFileHold> m_externalHold;
    QTimer m_autosaveTimer;
    BackgroundSave* m_saver;
    SlicedImport* m_import;
    HistoryMove* m_move;
    BackgroundCuts* m_cuts;
    struct MoveUnderWay
    {
        bool again = false;
        bool listWasSaved = false;
    };
    MoveUnderWay m_moveUnderWay;
    // The move that prepareRedo() found cut off the history: redoRows() appends its rows again.
    std::optional<quint64> m_appendOnRedo;
    HistoryLedger m_ledger;
    // Counts the changes of the rows, so that a save in the background knows whether it saved the last.
    quint64 m_generation = 0;
};
