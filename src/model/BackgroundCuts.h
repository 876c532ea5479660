#pragma once

#include "model/HistoryLedger.h"

#include <QObject>

#include <chrono>
#include <future>

// The cuts an autosave makes due, made on a thread of their own: taking back a move of a whole list reads
// hundreds of megabytes back off the end of the history before it cuts them, and the file system then
// frees their blocks, none of which the window should wait for.
//
// The owner takes the outcome in (wait()) before anything else reads or writes the history or its
// journals: the cuts and a move's append never write the end of the history beside each other. A crash
// simulated inside a cut (CrashPoint) comes out of wait(), as if the program had died there.
class BackgroundCuts : public QObject
{
    Q_OBJECT

public:
    explicit BackgroundCuts(QObject* parent = nullptr) : QObject(parent) {}
    // Waits for cuts under way; their outcome is dropped (the journal of cuts holds what a failure left).
    ~BackgroundCuts() override;

    bool busy() const { return m_result.valid(); }
    // Whether the cuts are still being made (wait() would block).
    bool writing() const
    {
        return m_result.valid() && m_result.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
    }
    // Only when not busy.
    void start(HistoryLedger::DueCuts cuts);
    // Waits for the cuts under way and gives those that failed (none when there were none).
    HistoryLedger::DueCuts::Failures wait();

Q_SIGNALS:
    // The cuts are made; wait() then returns at once.
    void finished();

private:
    std::future<HistoryLedger::DueCuts::Failures> m_result;
};
