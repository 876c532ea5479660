#pragma once

#include "model/ToDoItem.h"
#include "platform/IoResult.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <vector>

// What the last sync of a list left, kept in a hidden file beside the list ("<dir>/.<name>.sync"): the
// collection, its sync token, and per item its UID, its place on the server, its ETag, the row as it was
// synced and the calendar text the server holds (which later changes edit). The list file itself stays as
// it is.
struct SyncItemState
{
    QByteArray uid;
    // The item's path on the server.
    QByteArray href;
    QByteArray etag;
    ToDoItem base;
    QByteArray calendar;
};

struct SyncState
{
    QUrl collection;
    QByteArray syncToken;
    std::vector<SyncItemState> items;

    // The state file of the list file listPath.
    static QString pathFor(const QString& listPath);
    // A missing file is an empty state.
    static IoResult load(const QString& path, SyncState& out);
    IoResult save(const QString& path) const;
};
