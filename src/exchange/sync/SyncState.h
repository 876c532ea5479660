#pragma once

#include "model/ToDoItem.h"
#include "platform/IoResult.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

#include <vector>

// What the last sync of a list left, kept in a hidden file beside the list ("<dir>/.<name>.sync"): the
// collection and its user, its sync token, and per item its UID, its place on the server, its ETag, the row
// as it was synced and the calendar text the server holds (which later changes edit). The list file itself
// stays as it is.
struct SyncItemState
{
    // What is not yet known to have reached the list file or the server. The state is saved before the
    // list and before the server writes, so that a run that dies in between is finished by the next one.
    enum class Pending
    {
        None,
        // Sent as a new item without an answer yet: still missing on the server, it is sent again.
        Sent,
        // Received: base is the row the list gets (previous the row it replaces, if any). A list without
        // the row gets it; a row still equal to previous becomes base.
        Received,
        // Deleted on the server: a row still equal to previous goes.
        Removed,
        // Both Sent and Received: a conflict copy, which the list gets and the server too.
        SentReceived
    };

    QByteArray uid;
    // The item's path on the server.
    QByteArray href;
    QByteArray etag;
    ToDoItem base;
    QByteArray calendar;
    Pending pending = Pending::None;
    std::optional<ToDoItem> previous;
};

struct SyncState
{
    QUrl collection;
    // The user the collection was synchronized as (empty: none).
    QString user;
    QByteArray syncToken;
    std::vector<SyncItemState> items;

    // The state file of the list file listPath.
    static QString pathFor(const QString& listPath);
    // A missing file is an empty state.
    static IoResult load(const QString& path, SyncState& out);
    IoResult save(const QString& path) const;
    // Once the list holding the run's changes is saved: nothing received is pending any more.
    void settleReceived();
};
