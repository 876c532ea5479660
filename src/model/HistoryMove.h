#pragma once

#include "model/RowChange.h"
#include "platform/IoResult.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <future>
#include <optional>

// The history file's part of one move to history, on a thread of its own, so that the rows leave the
// list at once and the window never waits for the records to be built or the file to be synced. The
// thread builds the records from the change's own items, which no one changes, and touches nothing but
// them and the history file.
//
// The owner completes the move (wait()) before anything else writes the list's files, reads the
// history or changes the rows: the file that lacks the rows is never written before the history holds
// them. A crash simulated inside the append (CrashPoint) comes out of wait(), as if the program had died
// there.
class HistoryMove : public QObject
{
    Q_OBJECT

public:
    struct Outcome
    {
        // The move, with its history point set when the append succeeded.
        RowChange change;
        IoResult result;
    };

    explicit HistoryMove(QObject* parent = nullptr);
    // Waits for a move under way; its outcome is dropped.
    ~HistoryMove() override;

    bool busy() const { return m_result.valid(); }
    // Whether the append is still writing (wait() would block).
    bool writing() const
    {
        return m_result.valid() && m_result.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
    }
    // Only when not busy: appends the rows of change (a move to history) to the history file;
    // beforeAppend is called on the move's thread.
    void start(RowChange change, const QString& historyPath, HistoryTail::BeforeAppend beforeAppend = {});
    // Waits for the move under way and hands over its outcome; nullopt when there is none.
    std::optional<Outcome> wait();

Q_SIGNALS:
    // The append has ended; wait() then returns at once.
    void finished();

private:
    struct Appended
    {
        IoResult result;
        RowChange::HistoryPoint point;
    };

    std::optional<RowChange> m_change;
    std::future<Appended> m_result;
};
