#pragma once

#include "app/SyncEngine.h"

#include <QThread>

#include <atomic>
#include <memory>

// Runs the blocking ListSync on a worker thread, with a transport of the network module made there (the
// module, and with it Qt Network, is loaded by the first run or search). Answers come back on the thread
// that asked. One job at a time: the controller never starts two runs, and a search during a run waits
// for it.
class ModuleSyncEngine : public SyncEngine
{
public:
    ModuleSyncEngine();
    // Waits a little for a job still running; see the .cpp.
    ~ModuleSyncEngine() override;

    void findCollections(const SyncAccount& account,
                         std::function<void(const SyncReport&, const QList<SyncCollection>&)> done) override;
    void synchronize(const SyncAccount& account, const QUrl& collection, const ToDoList& rows,
                     const SyncState& state, const SyncJournal& journal,
                     std::function<void(const SyncOutcome&)> done) override;

    // How long a request may go without progress.
    static constexpr int kTimeoutMs = 30 * 1000;
    static constexpr int kExitWaitMs = 3 * 1000;

private:
    // Runs work(transport) on a new thread (after the one before has ended) and then, on this thread,
    // answer; a failed module load gives answer the error instead.
    void start(std::function<void(SyncTransport&)> work,
               std::function<void(const QString& moduleError)> answer);

    std::unique_ptr<QThread> m_thread;
    std::shared_ptr<std::atomic<bool>> m_alive;
};
