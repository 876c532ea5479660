#pragma once

#include "model/ListMode.h"
#include "model/ToDoList.h"
#include "platform/IoResult.h"

#include <QDateTime>
#include <QString>

// A copy of a list whose changes have not reached its own file yet: written a few seconds after a change
// to an external or new list (which is saved only when the user says so), and when the program has to end
// with a list it could not save. The next start offers to restore it. Two files in the data folder:
// "Recovery.tdx", an ordinary list file (it can be opened as an external list by hand), and
// "Recovery.ini", which says which list it was.
class RecoveryFile
{
public:
    struct Origin
    {
        ListMode mode = ListMode::External;
        // The list's own file; empty for a new list that was never saved.
        QString fileName;
        QDateTime written;
    };

    explicit RecoveryFile(const QString& dataFolder);

    QString listPath() const { return m_listPath; }
    bool exists() const;
    IoResult write(const ToDoList& list, const Origin& origin);
    // Reads the copy and where it came from; an error when either cannot be read.
    IoResult read(ToDoList& list, Origin& origin) const;
    void remove();

private:
    QString m_listPath;
    QString m_infoPath;
};
