#pragma once

#include "model/CutJournal.h"
#include "platform/FileStamp.h"
#include "platform/IoResult.h"

#include <mutex>
#include <vector>

// The cuts the journal names while they wait, shared by the window and a save of the list beside it.
//
// A cut is noted when a move is taken back, before its rows are in any file again. The save that writes
// them back to the list's file notes that file, as its new file will be in place, just before it replaces
// the old one (on its own thread for a save beside the window). Every change writes the journal anew from
// all the cuts, one writer at a time.
class WaitingCuts
{
public:
    explicit WaitingCuts(const QString& historyPath);

    // Fails, with nothing added, when the journal cannot be written. Rows of a later generation than
    // generation hold the cut's rows again.
    IoResult add(quint64 key, quint64 generation, CutJournal::Cut cut);
    static constexpr quint64 kNever = ~quint64(0);
    // Saves of rows of later generations than generation hold the rows of key's cut, but for those of
    // leftAt or later (kNever: all).
    void setGenerations(quint64 key, quint64 generation, quint64 leftAt);
    // The journal is written without them; a failure only leaves cuts the next start finds made.
    void remove(const std::vector<quint64>& keys);
    // Rows of generation are about to replace path, whose new file has the stamp written: the cuts whose
    // rows they hold learn it. Any thread; the file must not replace the old one when this fails.
    IoResult replacing(const QString& path, const FileStamp& written, quint64 generation);
    // The cut of key is about to be made on the history as history says it is: once made, the next start
    // takes a changed history for one it was made on. The cut must not be made when this fails.
    IoResult cutting(quint64 key, const FileStamp& history);
    // At start, before anything else writes the history.
    IoResult completeInterrupted() { return m_journal.completeInterrupted(); }

private:
    IoResult write();

    struct Entry
    {
        quint64 key;
        quint64 generation;
        CutJournal::Cut cut;
        quint64 leftAt = kNever;
    };
    std::mutex m_mutex;
    CutJournal m_journal;
    std::vector<Entry> m_entries;
};
