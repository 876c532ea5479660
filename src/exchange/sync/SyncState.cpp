#include "exchange/sync/SyncState.h"

#include <QFileInfo>

QString SyncState::pathFor(const QString& listPath)
{
    const QFileInfo info(listPath);
    return info.absolutePath() + QLatin1String("/.") + info.fileName() + QLatin1String(".sync");
}

IoResult SyncState::load(const QString&, SyncState& out)
{
    out = SyncState();
    return IoResult::success();
}

IoResult SyncState::save(const QString&) const
{
    return IoResult::success();
}
