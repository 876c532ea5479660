#pragma once

#include "platform/IoResult.h"

#include <QString>

// Says which run writes a list file, across data folders: a window holds the lists it shows (the standard
// list, the history list and an external list) for as long as it shows them, and a command-line run that
// writes a list holds it for its run. A run that finds the list held waits or is refused, so two runs never
// replace the same list from what each read before the other wrote.
//
// A hold is an advisory lock (flock) on a file named after the list's real path (links resolved) in a
// folder of the user's own below the runtime folder; the system lets go of it when its holder ends in any
// way. The file names the holder's process and role, for messages.
class ListFileHold
{
public:
    enum class Role
    {
        Window,
        CommandLine
    };

    ListFileHold() = default;
    ListFileHold(const QString& listPath, Role role);
    ~ListFileHold();
    ListFileHold(const ListFileHold&) = delete;
    ListFileHold& operator=(const ListFileHold&) = delete;

    // Takes the hold, waiting up to waitMs for a command-line holder to let go; a window's hold is not
    // waited for. On failure error() says who holds it (kind Busy) or why the hold could not be taken.
    bool tryHold(int waitMs = 0);
    void release();
    bool isHeld() const { return m_fd >= 0; }
    const QString& listPath() const { return m_listPath; }
    const IoResult& error() const { return m_error; }
    // The last tryHold failed because a window holds the list.
    bool heldByWindow() const { return m_byWindow; }

    // The folder of the holds (made private to the user when missing); empty when none can be had.
    static QString holdFolder(IoResult* error = nullptr);

private:
    // 1 taken, 0 held by another run (m_error says who), -1 failed.
    int attempt();

    QString m_listPath;
    Role m_role = Role::Window;
    int m_fd = -1;
    bool m_byWindow = false;
    IoResult m_error;
};
