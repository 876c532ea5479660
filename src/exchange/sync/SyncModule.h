#pragma once

#include "exchange/sync/SyncTransport.h"

#include <QString>
#include <QStringList>

#include <memory>

// Loads the module quillmar-sync (Qt Network) and makes transports of it: beside the program, in the
// installation's library folder, or where the build put it. The module stays loaded once it was loaded.
namespace SyncModule {
QStringList candidates();
// A new transport; null, with the reason in error, when the module cannot be loaded.
std::unique_ptr<SyncTransport> createTransport(QString* error = nullptr);
} // namespace SyncModule
