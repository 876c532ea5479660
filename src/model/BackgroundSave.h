#pragma once

#include "model/RecoveryFile.h"
#include "model/ToDoList.h"
#include "platform/AtomicFile.h"
#include "platform/FileStamp.h"
#include "platform/IoResult.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <exception>
#include <future>
#include <optional>
#include <thread>

// Writes one list file at a time on a thread of its own, so that the window never waits for the disk. The
// rows are a copy taken when the save starts (the items share their bytes with the shown rows, so the copy
// costs no texts); later changes are the next save's. A long list is copied in slices, one per turn of
// the event loop; a change of the rows meanwhile abandons the copy (abandon()), and the next save starts
// afresh.
//
// The owner settles a save (wait()) before it does anything else with the same files: a save under way
// and one made on the window's thread never write beside each other. A crash simulated inside the save
// (CrashPoint) comes out of wait(), as if the program had died there.
class BackgroundSave : public QObject
{
    Q_OBJECT

public:
    enum class Kind
    {
        List,    // a full list file
        History, // the history file (items only)
        Recovery // the recovery copy
    };
    struct Job
    {
        Kind kind = Kind::List;
        ToDoList rows;
        QString path;
        // Kind::Recovery: the copy to write (this run's, taken over again when the save is settled).
        RecoveryFile recovery{QString()};
        RecoveryFile::Origin origin;
        // Which change of the rows the copy shows, for the owner to tell whether later ones came.
        quint64 generation = 0;
        // Kind::List: runs on the save's thread once the new file is whole, before it replaces the old one
        // (AtomicFile::BeforeReplace).
        AtomicFile::BeforeReplace beforeReplace;
    };
    struct Outcome
    {
        Kind kind = Kind::List;
        IoResult result;
        // The file as the save left it.
        FileStamp stamp;
        RecoveryFile recovery{QString()};
        quint64 generation = 0;
    };

    explicit BackgroundSave(QObject* parent = nullptr);
    // Waits for a save under way; its outcome is dropped.
    ~BackgroundSave() override;

    bool busy() const { return m_source || m_thread.joinable(); }
    // Only when not busy. Copies the rows of source (which must stay until the copy is done or
    // abandoned), then writes them as job says.
    void start(Job job, const ToDoList& source);
    // The rows changed while they were being copied: that copy is dropped; a save already writing goes on.
    void abandon();
    // Waits for the save under way (copying what is left of its rows first) and hands over its outcome;
    // nullopt when there is none.
    std::optional<Outcome> wait();
    // Ready once the save under way has written its file (or failed to); not valid when none writes.
    // Another thread may wait on it.
    std::shared_future<void> written() const
    {
        return m_thread.joinable() ? m_written : std::shared_future<void>();
    }

Q_SIGNALS:
    // A save has ended; wait() then returns at once.
    void finished();

private:
    // Copies the next rows, for a few milliseconds or (all) to the end; then starts the write.
    void copySlice(bool all);
    void write(Job job);

    const ToDoList* m_source = nullptr;
    Job m_job;
    QTimer* m_slices;
    std::thread m_thread;
    Outcome m_outcome;
    std::exception_ptr m_crash;
    std::shared_future<void> m_written;
};
