#pragma once

#include "model/CutJournal.h"
#include "model/ToDoList.h"
#include "platform/IoResult.h"

#include <mutex>
#include <vector>

// The cuts the journal names while they wait, shared by the window and a save of the list beside it.
//
// A cut is noted when a move is taken back, before its rows are in any file again; the save that first
// writes them to the list's file counts there how many rows equal to the items it writes, and the journal
// learns the count before that file is replaced. The count is made on the rows the save writes, off the
// window's thread (a pass over every row at a million of them). A cut no save has counted yet is let go at
// the next start. Every change writes the journal anew from all the cuts, one writer at a time.
class WaitingCuts
{
public:
    explicit WaitingCuts(const QString& historyPath);

    // Fails, with nothing added, when the journal cannot be written. Rows of a later generation than
    // generation hold the cut's rows again.
    IoResult add(quint64 key, quint64 generation, CutJournal::Cut cut);
    // The journal is written without them; a failure only leaves cuts the next start finds made.
    void remove(const std::vector<quint64>& keys);
    // Before rows of generation replace the list's file: the cuts whose rows they hold learn how many rows
    // equal to their items the file will hold. Any thread; fails when the journal cannot be written (the
    // file must then not be written either).
    IoResult countIn(const ToDoList& rows, quint64 generation);
    // At start, before anything else writes the history.
    IoResult completeInterrupted() { return m_journal.completeInterrupted(); }

private:
    IoResult write();

    struct Entry
    {
        quint64 key;
        quint64 generation;
        CutJournal::Cut cut;
        std::vector<ToDoItem> items;
    };
    std::mutex m_mutex;
    CutJournal m_journal;
    std::vector<Entry> m_entries;
};
