#include "model/BackgroundSave.h"

#include "model/ListFile.h"

#include <QElapsedTimer>

namespace {
// Rows are copied a few milliseconds per turn of the event loop. A row's copy touches its record, which a
// long list holds scattered over the heap: out of the caches a row can cost 100 ns and more, so the turn
// is bounded by time, not by a count of rows.
constexpr qint64 kTurnNanosecs = 4'000'000;
constexpr size_t kChunkRows = 2048;
} // namespace

BackgroundSave::BackgroundSave(QObject* parent) : QObject(parent), m_slices(new QTimer(this))
{
    m_slices->setInterval(0);
    connect(m_slices, &QTimer::timeout, this, [this] { copySlice(false); });
}

BackgroundSave::~BackgroundSave()
{
    if (m_thread.joinable())
        m_thread.join();
}

void BackgroundSave::start(Job job, const ToDoList& source)
{
    Q_ASSERT(!busy());
    m_job = std::move(job);
    m_job.rows = ToDoList();
    m_job.rows.items.reserve(source.items.size());
    m_source = &source;
    copySlice(false);
}

void BackgroundSave::abandon()
{
    if (!m_source)
        return;
    m_slices->stop();
    m_source = nullptr;
    m_job = Job();
}

void BackgroundSave::copySlice(bool all)
{
    if (!m_source)
        return;
    auto& rows = m_job.rows.items;
    const auto& from = m_source->items;
    QElapsedTimer turn;
    turn.start();
    do {
        const size_t end = std::min(from.size(), rows.size() + kChunkRows);
        rows.insert(rows.end(), from.begin() + static_cast<std::ptrdiff_t>(rows.size()),
                    from.begin() + static_cast<std::ptrdiff_t>(end));
    } while (rows.size() < from.size() && (all || turn.nsecsElapsed() < kTurnNanosecs));
    if (rows.size() < from.size()) {
        m_slices->start();
        return;
    }
    m_slices->stop();
    m_job.rows.OwnerNames = m_source->OwnerNames;
    m_job.rows.ProjectNames = m_source->ProjectNames;
    m_source = nullptr;
    write(std::exchange(m_job, Job()));
}

void BackgroundSave::write(Job job)
{
    m_crash = nullptr;
    auto written = std::make_shared<std::promise<void>>();
    m_written = written->get_future().share();
    m_thread = std::thread([this, written, job = std::move(job)]() mutable {
        Outcome out;
        out.kind = job.kind;
        out.generation = job.generation;
        try {
            switch (job.kind) {
            case Kind::List:
                out.result = SaveListFile(job.rows, job.path, nullptr, job.beforeReplace);
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
        written->set_value();
        // The rows are let go of here, not on the window's thread.
        job.rows = ToDoList();
        m_outcome = std::move(out);
        QMetaObject::invokeMethod(
            this, [this] { Q_EMIT finished(); }, Qt::QueuedConnection);
    });
}

std::optional<BackgroundSave::Outcome> BackgroundSave::wait()
{
    copySlice(true);
    if (!m_thread.joinable())
        return std::nullopt;
    m_thread.join();
    if (std::exception_ptr crash = std::exchange(m_crash, nullptr))
        std::rethrow_exception(crash);
    return std::move(m_outcome);
}
