#pragma once

#include <QString>

// Outcome of a file operation: success, or a message for the user that names the file and what went wrong.
struct IoResult
{
    bool ok = true;
    QString error;

    static IoResult success() { return {}; }
    static IoResult failure(const QString& message) { return {false, message}; }
    explicit operator bool() const { return ok; }
};
