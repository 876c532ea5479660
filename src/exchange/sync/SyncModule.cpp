#include "exchange/sync/SyncModule.h"

#include "config/LanguageTexts.h"
#include "platform/ProgramModules.h"

#include <QFileInfo>
#include <QLibrary>
#include <QMutex>

namespace {
QMutex g_lock;
CreateSyncTransport g_create = nullptr;
} // namespace

QStringList SyncModule::candidates()
{
    return ModuleCandidates(QStringLiteral("quillmar-sync.so"));
}

std::unique_ptr<SyncTransport> SyncModule::createTransport(QString* error)
{
    QMutexLocker locker(&g_lock);
    QString reasons;
    for (const QString& candidate : candidates()) {
        if (g_create)
            break;
        if (!QFileInfo(candidate).isFile())
            continue;
        // Never unloaded: Qt Network keeps threads and objects of its own until the program ends.
        QLibrary module(candidate);
        module.setLoadHints(QLibrary::PreventUnloadHint);
        g_create = reinterpret_cast<CreateSyncTransport>(module.resolve(kCreateSyncTransport));
        if (!g_create)
            reasons = module.errorString();
    }
    if (!g_create) {
        if (error)
            *error = reasons.isEmpty()
                         ? LanguageTexts::shared().text("SyncErrors", "NoModule")
                         : LanguageTexts::shared().text("SyncErrors", "ModuleFailed").arg(reasons);
        return nullptr;
    }
    return std::unique_ptr<SyncTransport>(g_create());
}
