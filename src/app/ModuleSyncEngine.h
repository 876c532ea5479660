#pragma once

#include "app/SyncEngine.h"

#include <QThread>

#include <atomic>
#include <memory>
#include <vector>

// Runs the blocking ListSync on a worker thread, with a transport of the network module made there (the
// module, and with it Qt Network, is loaded by the first run or search). Answers come back on the thread
// that asked. Each job has a thread and a transport of its own: a search from the settings page does not
// wait for a run that is out (the controller never starts two runs).
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
    // Runs work(transport) on a new thread and then, on this thread, answer; a failed module load gives
    // answer the error instead.
    void start(std::function<void(SyncTransport&)> work,
               std::function<void(const QString& moduleError)> answer);

    std::vector<std::unique_ptr<QThread>> m_threads;
    std::shared_ptr<std::atomic<bool>> m_alive;
};
