#pragma once

#include "model/HistoryTail.h"
#include "model/ToDoList.h"
#include "platform/FileStamp.h"
#include "platform/IoResult.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <vector>

// A move to history from the standard list reaches two files: its rows are appended to the history at
// once, and they leave the list file with the list's next save, a few seconds later. A crash in between
// would leave them in both lists. The journal beside the history ("<history>.moving") names the moves
// made since the list file was last saved: the list file as it was (its stamp), and for each move where
// its records were to go in the history and the records themselves. It is written before the records
// are appended and removed once the list is saved without them.
//
// At the next start, when the list file is still the one the journal names and the history holds a
// move's records where they were appended, the move was complete in the history only: its rows are
// taken out of the list (completeInterrupted). A move whose records never reached the history, or a list
// saved since, leaves everything as it is.
class MoveJournal
{
public:
    struct Move
    {
        HistoryTail::Point point;
        qint32 count = 0;
        QByteArray records;
        // Where the records are once a cut of records before them, under way, is made.
        std::optional<HistoryTail::Point> shifted;
    };

    explicit MoveJournal(const QString& historyPath);

    QString path() const { return m_path; }
    // Before count records are appended to the history at point: adds them to the journal, with the list
    // file as it is now. Moves noted earlier at or behind point never reached the history and are dropped;
    // a list file changed since they were noted starts the journal afresh.
    IoResult note(const QString& listPath, HistoryTail::Point point, QByteArrayView records, qint32 count);
    // The list was saved without the moved rows, or a move was taken back: the journal is no longer true.
    void clear();
    // The items of the moves complete in the history that are still in listPath's file, as the journal
    // names them. None when the journal is missing, damaged, or about another state of the list file.
    std::vector<ToDoItem> interruptedMoves(const QString& listPath) const;
    // count records (bytes of them) are about to be cut out of the history at point: the moves noted
    // behind them will start that much earlier. Until cutEnded(), either place is taken as theirs.
    void cutComing(HistoryTail::Point point, qint64 bytes, qint32 count);
    void cutEnded(bool made);

private:
    struct Contents
    {
        QString listPath;
        FileStamp listStamp;
        std::vector<Move> moves;
    };
    bool read(Contents& out) const;
    IoResult write(const Contents& c) const;

    QString m_historyPath;
    QString m_path;
};
