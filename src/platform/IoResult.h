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

// Outcome of a file operation: success, or a message for the user that names the file and what went wrong,
// with its kind and, where the system gave one, its reason in words.
struct IoResult
{
    bool ok = true;
    QString error;
    IoError kind = IoError::None;
    QString reason;

    static IoResult success() { return {}; }
    static IoResult failure(const QString& message, IoError kind = IoError::Other, const QString& reason = {})
    {
        return {false, message, kind, reason};
    }
    explicit operator bool() const { return ok; }
};
