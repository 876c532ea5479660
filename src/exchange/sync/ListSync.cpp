#include "exchange/sync/ListSync.h"

ListSync::ListSync(SyncTransport& transport) : m_transport(transport) {}

SyncReport ListSync::findCollections(const SyncAccount&, QList<SyncCollection>&)
{
    SyncReport report;
    report.error = QStringLiteral("Not available yet");
    return report;
}

SyncOutcome ListSync::run(const SyncAccount&, const QUrl&, const ToDoList&, const SyncState& state)
{
    SyncOutcome outcome;
    outcome.state = state;
    outcome.report.error = QStringLiteral("Not available yet");
    return outcome;
}

int ApplySyncChanges(ToDoList&, const std::vector<SyncRowChange>& changes)
{
    return int(changes.size());
}

bool SyncUrlIsInsecure(const QUrl& url)
{
    return url.scheme() == QLatin1String("http");
}
