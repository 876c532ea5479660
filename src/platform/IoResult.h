#pragma once

#include <QString>

// What kind of failure a file operation met, for callers that react to some of them.
enum class IoError
{
    None,
    NotFound,   // the file or its folder does not exist
    NotRegular, // a folder, device, pipe or socket where a file was expected
    TooLarge,   // larger than the reader accepts
    Permission, // permission denied
    NoSpace,    // no space left on the device, or over the quota
    ReadOnly,   // read-only file system
    Busy,       // held by another run of the program
    BadData,    // the bytes are not what the format allows
    BadName,    // a file name that cannot be represented
    Cancelled,  // the user stopped it; nothing was written
    Other,
};

// What the operation was doing when it failed. With the kind and the path it is all a message needs; the
// words are the language table's (IoMessage in config/), never the platform layer's.
enum class IoStep
{
    None, // the failure carries its own message
    Open,
    Read,
    Create,
    Write,
    Replace,
    Remove,
    CreateFolder,
    Lock,          // the data folder's lock
    Hold,          // the hold of one list
    PrivateFolder, // a folder that must be the user's alone is not
    Output,        // a stream such as standard output, named by path
    NameProgram,   // the program's path in a desktop entry
    Associate,     // a file extension to open with the program
    RefreshTypes,  // the desktop's tool that rereads file types (path names it)
};

// Who holds what a Busy failure wanted.
enum class IoHolder
{
    Unknown,
    Window,
    CommandLine,
};

// Outcome of a file operation: success, or what failed, where and why. Platform code fills in the step,
// the path and the facts; layers above turn them into words (IoMessage) or write a message of their own.
struct IoResult
{
    bool ok = true;
    QString message; // the whole message, from layers that word their failures themselves
    IoError kind = IoError::None;
    QString reason; // the system's words, where it gave some
    IoStep step = IoStep::None;
    QString path;
    qint64 size = -1;                    // TooLarge: the size found or wanted, -1 when not known
    qint64 limit = 0;                    // TooLarge: the most the program takes
    bool folder = false;                 // NotRegular: a folder rather than a device, pipe or socket
    IoHolder holder = IoHolder::Unknown; // Busy
    qint64 holderPid = 0;                // Busy, 0 when not known

    static IoResult success() { return {}; }
    static IoResult failure(const QString& message, IoError kind = IoError::Other, const QString& reason = {})
    {
        IoResult r;
        r.ok = false;
        r.message = message;
        r.kind = kind;
        r.reason = reason;
        return r;
    }
    static IoResult failed(IoStep step, const QString& path, IoError kind, const QString& reason = {})
    {
        IoResult r = failure(QString(), kind, reason);
        r.step = step;
        r.path = path;
        return r;
    }
    static IoResult tooLarge(IoStep step, const QString& path, qint64 size, qint64 limit)
    {
        IoResult r = failed(step, path, IoError::TooLarge);
        r.size = size;
        r.limit = limit;
        return r;
    }
    explicit operator bool() const { return ok; }
};
