#pragma once

#include <QtGlobal>

#include <atomic>

// What a long file job running beside the window shares with it: how far it got (in steps the job
// chooses: rows, bytes) and whether the user asked it to stop. The job writes done and reads cancelled;
// the window reads done and sets cancelled. A job that sees cancelled stops at its next step and leaves
// nothing behind.
class JobProgress
{
public:
    void setTotal(qint64 total) { m_total.store(total, std::memory_order_relaxed); }
    void setDone(qint64 done) { m_done.store(done, std::memory_order_relaxed); }
    qint64 total() const { return m_total.load(std::memory_order_relaxed); }
    qint64 done() const { return m_done.load(std::memory_order_relaxed); }

    void cancel() { m_cancelled.store(true, std::memory_order_relaxed); }
    bool cancelled() const { return m_cancelled.load(std::memory_order_relaxed); }

    // A job without anyone watching passes nullptr: these helpers take that.
    static void step(JobProgress* progress, qint64 done)
    {
        if (progress)
            progress->setDone(done);
    }
    static bool stopped(const JobProgress* progress) { return progress && progress->cancelled(); }

private:
    std::atomic<qint64> m_total{0};
    std::atomic<qint64> m_done{0};
    std::atomic<bool> m_cancelled{false};
};
