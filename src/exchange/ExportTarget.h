#pragma once

#include "platform/IoResult.h"

#include <QString>

// Every export asks before it writes: an export never replaces a to-do list (the one it reads, any file
// that reads as a list or history) nor a file of the data folder. Success, or a message that says why not.
IoResult CheckExportTarget(const QString& path);
// What an export that the user stopped says (IoError::Cancelled): the file was not written.
IoResult ExportCancelled(const QString& path);
