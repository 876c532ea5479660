#include "model/BackgroundSave.h"

#include "model/ListFile.h"

BackgroundSave::BackgroundSave(QObject* parent) : QObject(parent) {}

BackgroundSave::~BackgroundSave()
{
    if (m_thread.joinable())
        m_thread.join();
}

void BackgroundSave::start(Job job)
{
    Q_ASSERT(!busy());
    m_crash = nullptr;
    m_thread = std::thread([this, job = std::move(job)]() mutable {
        Outcome out;
        out.kind = job.kind;
        out.generation = job.generation;
        try {
            switch (job.kind) {
            case Kind::List:
                out.result = SaveListFile(job.rows, job.path);
                break;
            case Kind::History:
                out.result = SaveHistoryFile(job.rows, job.path);
                break;
            case Kind::Recovery:
                out.result = job.recovery.write(job.rows, job.origin);
                out.recovery = job.recovery;
                break;
            }
            if (job.kind != Kind::Recovery)
                out.stamp = FileStamp::of(job.path);
        } catch (...) {
            m_crash = std::current_exception();
        }
        // The rows are let go of here, not on the window's thread.
        job.rows = ToDoList();
        m_outcome = std::move(out);
        QMetaObject::invokeMethod(
            this, [this] { Q_EMIT finished(); }, Qt::QueuedConnection);
    });
}

std::optional<BackgroundSave::Outcome> BackgroundSave::wait()
{
    if (!m_thread.joinable())
        return std::nullopt;
    m_thread.join();
    if (std::exception_ptr crash = std::exchange(m_crash, nullptr))
        std::rethrow_exception(crash);
    return std::move(m_outcome);
}
