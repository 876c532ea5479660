#include "exchange/ExportTarget.h"

#include "config/Paths.h"
#include "model/WriteGuard.h"
#include "platform/FileSystem.h"

IoResult CheckExportTarget(const QString& path)
{
    const WriteGuard guard({DataFolder(), StandardListPath(), HistoryListPath(), SettingsFilePath()});
    return guard.checkExportTarget(path);
}

IoResult ExportCancelled(const QString& path)
{
    return IoResult::failure(
        QStringLiteral("The export to %1 was cancelled; nothing was written").arg(ShownPath(path)),
        IoError::Cancelled);
}
