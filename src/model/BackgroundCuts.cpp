#include "model/BackgroundCuts.h"

#include <QMetaObject>

BackgroundCuts::~BackgroundCuts()
{
    if (m_result.valid())
        m_result.wait();
}

void BackgroundCuts::start(HistoryLedger::DueCuts cuts)
{
    Q_ASSERT(!busy());
    m_result = std::async(std::launch::async, [this, cuts = std::move(cuts)] {
        // A simulated crash leaves the thread here and comes out of wait() through the future.
        HistoryLedger::DueCuts::Failures failed = cuts.make();
        QMetaObject::invokeMethod(
            this, [this] { Q_EMIT finished(); }, Qt::QueuedConnection);
        return failed;
    });
}

HistoryLedger::DueCuts::Failures BackgroundCuts::wait()
{
    if (!m_result.valid())
        return {};
    return m_result.get();
}
