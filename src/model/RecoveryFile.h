#pragma once

#include "model/ListMode.h"
#include "model/ToDoList.h"
#include "platform/FileStamp.h"
#include "platform/IoResult.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// A copy of a list whose changes have not reached its own file yet: written a few seconds after a change
// to an external or new list (which is saved only when the user says so), when a save would replace a file
// another program changed, and when the program has to end with a list it could not save. The next start
// offers to restore it.
//
// A copy is two files in the data folder: "Recovery.tdx", an ordinary list file, and "Recovery.ini", which
// says which list it was and what that list's file was when the list was read (its stamp), so that
// restoring never replaces another writer's changes unasked. A copy that an earlier run left and nobody
// has answered for yet is never written over nor removed by this run: this run then keeps its own copy
// under the next free name ("Recovery 2.tdx", ...). Both files belong to the program and are never written
// through a link.
class RecoveryFile
{
public:
    struct Origin
    {
        ListMode mode = ListMode::External;
        // The list's own file; empty for a new list that was never saved.
        QString fileName;
        QDateTime written;
        // The list's file as the list was read from it; unknown for copies that did not record it.
        FileStamp stamp;
        bool stampKnown = false;
    };

    explicit RecoveryFile(const QString& dataFolder);

    // The copies that runs left in the data folder, oldest name first ("Recovery.tdx" before
    // "Recovery 2.tdx").
    static QStringList copiesIn(const QString& dataFolder);
    // True for the list file of a copy in dataFolder.
    static bool isCopy(const QString& dataFolder, const QString& path);

    // This run's copy; before the first write, the name it would take.
    QString listPath() const;
    // This run has a copy of its own in the data folder.
    bool exists() const;
    IoResult write(const ToDoList& list, const Origin& origin);
    // Reads a copy (by default this run's) and where it came from.
    IoResult read(ToDoList& list, Origin& origin, const QString& listPath = {}) const;
    // Makes an earlier run's copy this run's own (it was restored: it goes once the list is saved).
    void adopt(const QString& listPath);
    // Removes this run's copy, or the one named.
    void remove(const QString& listPath = {});

private:
    static QString infoPathOf(const QString& listPath);
    QString freeName() const;

    QString m_folder;
    // This run's copy, once it has written or adopted one.
    QString m_own;
};
