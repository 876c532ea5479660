#pragma once

#include "exchange/sync/ListSync.h"

#include <functional>
#include <memory>

// What one run or search does, without the window: ModuleSyncEngine runs ListSync on a worker thread
// through the network module; tests put in their own. The controller owns when runs happen and what
// comes of their outcome.
class SyncEngine
{
public:
    virtual ~SyncEngine() = default;
    virtual void
    findCollections(const SyncAccount& account,
                    std::function<void(const SyncReport&, const QList<SyncCollection>&)> done) = 0;
    // One two-way run of a snapshot of the rows with collection (empty: the one task list account.url
    // leads to); journal keeps the state before the server is written (called on any thread). done gets
    // the outcome once, also when the run failed.
    virtual void synchronize(const SyncAccount& account, const QUrl& collection, const ToDoList& rows,
                             const SyncState& state, const SyncJournal& journal,
                             std::function<void(const SyncOutcome&)> done) = 0;
};

using SyncEngineFactory = std::function<std::unique_ptr<SyncEngine>()>;
