#pragma once

#include "model/HistoryTail.h"
#include "model/RecordDigest.h"
#include "platform/FileStamp.h"
#include "platform/IoResult.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// A move to history taken back reaches two files as well: its rows return to the list's file with the
// list's next save, and they are cut off the history after that save. A crash in between would leave them
// in both. The journal beside the history ("<history>.undone") names the cuts still to make: for each,
// where the move put its records in the history and their digest, and once a save writes the rows back,
// the file it wrote and the stamp that file has in its place. The save writes the journal when its new
// file is whole, just before the file replaces the old one; the journal is written again as the cuts are
// made or let go.
//
// At the next start, before anything else writes the history (completeInterrupted()), a cut is made when
// its file is still exactly the one the save wrote, and the history still holds its records where the
// move put them (nowhere else is looked at). The run notes the history's stamp just before it makes a cut
// itself: a history changed since is one the cut was made on (equal records of a later move may now lie
// where the cut's were). Any other cut is let go: its rows stay in the history, and in
// the file too when another program wrote it since (never in neither); an undo in no file yet is lost as
// any change not yet saved.
class CutJournal
{
public:
    struct Cut
    {
        // Where the move's records start; size -1 when the move wrote the history anew (count holds).
        HistoryTail::Point point;
        qint32 count = 0;
        RecordDigest records;
        // The file a save wrote the rows back to, as it left it; empty while no save has.
        QString written;
        FileStamp writtenStamp;
        // The history as it was just before the run began to make this cut; not existing until then.
        FileStamp historyBefore;
    };

    explicit CutJournal(const QString& historyPath);

    QString path() const { return m_path; }
    // The cuts that wait; with none, the journal goes.
    IoResult write(const std::vector<Cut>& cuts);
    // Makes the cuts that a crash left unmade, the rows nearest the history's end first; rowsCut tells how
    // many rows left the history. The journal goes unless the history could not be written.
    IoResult completeInterrupted(int* rowsCut = nullptr);

private:
    bool read(std::vector<Cut>& out) const;
    IoResult cutInPlace(const Cut& cut) const;

    QString m_historyPath;
    QString m_path;
};
