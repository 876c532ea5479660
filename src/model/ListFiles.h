#pragma once

#include "model/ListMode.h"
#include "model/ListPrompter.h"
#include "model/ToDoList.h"
#include "platform/FileStamp.h"
#include "platform/IoResult.h"

#include <QString>
#include <QStringList>

#include <optional>

class ListDocument;
class RowChange;

// The list document's commands on whole lists: opening the standard, history and external lists, a new
// empty one or a file named on the command line, saving them under their names or another, leaving one
// for another, and the start with its offer of what the last run could not save. They ask through the
// prompter and keep the rules ListDocument's header states; the rows, whether they are modified and the
// saves in the background stay ListDocument's, whose insides these commands work on.
class ListFiles
{
public:
    explicit ListFiles(ListDocument& document) : d(document) {}

    bool SaveCurrentList(ListPrompter& prompter);
    bool OpenStandardList(ListPrompter& prompter);
    bool LoadHistoryList(ListPrompter& prompter);
    bool SaveHistoryList(ListPrompter& prompter);
    bool OpenExternalList(ListPrompter& prompter);
    bool SaveExternalList(ListPrompter& prompter);
    bool SaveExternalListAs(ListPrompter& prompter);
    bool NewEmptyList(ListPrompter& prompter);
    bool openListFile(const QString& path, ListPrompter& prompter);
    void startUp(const QString& commandLineFile, ListPrompter& prompter);
    bool prepareToLeave(ListPrompter& prompter);
    // The file part of taking back a move to history: its rows leave the history once the list that takes
    // them back is in a file. Fails, with nothing changed, when that cannot be done.
    IoResult takeBackMove(const RowChange& change);

private:
    // Shows a list read from a file: replaces rows and names (the names read are added to the known ones).
    // stamp: the file as the rows were read from it (by default, as it is now).
    void showList(ToDoList list, ListMode mode, const QString& externalFile, bool modified = false,
                  const std::optional<FileStamp>& stamp = std::nullopt);
    // The standard list is no longer shown: keep its rows as its file holds them.
    void keepStandardRows(std::optional<ToDoList> rows);
    // An external list shown is held against other runs while it is shown.
    void holdShownFile();
    void showOpenedList(ToDoList fresh, const QString& path);
    IoResult checkSaveTarget(const QString& path) const;
    // Before replacing the shown list's file: nothing when it is as read (or the user says replace it);
    // otherwise what the save ends with (saved elsewhere, or not saved).
    std::optional<bool> confirmReplacingChangedFile(ListPrompter& prompter);
    bool offerCopy(const QString& copyPath, ListPrompter& prompter);
    void offerRecovery(ListPrompter& prompter);
    // At start, on the standard list: the rows of moves the last run completed in the history only leave
    // the list, and the user is told.
    void completeInterruptedMoves(ListPrompter& prompter);
    // asked: whether to ask first (not when the user just asked to save).
    bool saveExternalUnderItsName(ListPrompter& prompter, bool leaving, bool asked = true);
    bool askToDiscard(ListPrompter& prompter, const QString& why);

    ListDocument& d;
};
