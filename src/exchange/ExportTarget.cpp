#include "exchange/ExportTarget.h"

#include "config/Paths.h"
#include "model/WriteGuard.h"

IoResult CheckExportTarget(const QString& path)
{
    const WriteGuard guard({DataFolder(), StandardListPath(), HistoryListPath(), SettingsFilePath()});
    return guard.checkExportTarget(path);
}
