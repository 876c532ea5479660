#pragma once

#include "model/HistoryTail.h"
#include "model/ToDoItem.h"
#include "platform/FileStamp.h"
#include "platform/IoResult.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// A move to history taken back reaches two files as well: its rows return to a list file (the list's own,
// or the recovery copy) with the list's next save, and they are cut off the history after that save. A
// crash in between would leave them in both. The journal beside the history ("<history>.undone") names the
// cuts still to make: for each, the files that may take the rows back, as they were when the cut was
// noted (their stamps), where the move put its records in the history, and the records. It is written
// before any of those files, and again as the cuts are made or let go.
//
// At the next start, before anything else writes the history (completeInterrupted()), a cut is made when
// one of its files was written since and holds as many rows equal to its items as the save that wrote them
// back counted there, and the history still holds its records where the move put them (and nowhere else
// is looked at).
// Any other cut is let go: its rows stay in the history alone (the undo, in no file yet, is lost as any
// change not yet saved).
class CutJournal
{
public:
    static constexpr qint32 kNotCounted = -1;

    struct Cut
    {
        // Where the move's records start; size -1 when the move wrote the history anew (count holds).
        HistoryTail::Point point;
        qint32 count = 0;
        QByteArray records;
        QStringList files;
        std::vector<FileStamp> stamps;
        // The rows equal to one of the items that the save that wrote them back to a file wrote there (at
        // least count); kNotCounted until such a save is under way.
        qint32 rowsExpected = kNotCounted;
    };

    explicit CutJournal(const QString& historyPath);

    QString path() const { return m_path; }
    // The cuts that wait; with none, the journal goes.
    IoResult write(const std::vector<Cut>& cuts);
    // Makes the cuts that a crash left unmade, the rows nearest the history's end first; rowsCut tells how
    // many rows left the history. The journal goes unless the history could not be written.
    IoResult completeInterrupted(int* rowsCut = nullptr);
    // The rows the cut's records hold; none when they are damaged.
    static std::vector<ToDoItem> itemsOf(const Cut& cut);

private:
    bool read(std::vector<Cut>& out) const;
    IoResult cutInPlace(const Cut& cut, const std::vector<ToDoItem>& items) const;

    QString m_historyPath;
    QString m_path;
};
