#pragma once

#include "exchange/sync/SyncService.h"

#include <functional>
#include <memory>

class ListDocument;

// The part of the sync that talks to the server: the network module behind it is loaded only when the
// first run or search needs it. The controller owns when runs happen; the engine owns what one run does.
class SyncEngine
{
public:
    virtual ~SyncEngine() = default;
    virtual void
    findCollections(const SyncAccount& account,
                    std::function<void(const SyncReport&, const QList<SyncCollection>&)> done) = 0;
    // One two-way run of the document's rows with the collection: the rows as they are now go out, what
    // the server changed comes into the rows through the document (so the autosave writes it). done gets
    // the report, once, also when the run fails.
    virtual void synchronize(const SyncAccount& account, const QUrl& collection, ListDocument& document,
                             std::function<void(const SyncReport&)> done) = 0;
};

using SyncEngineFactory = std::function<std::unique_ptr<SyncEngine>()>;
