#include "exchange/ExchangeCommands.h"

#include "config/Paths.h"
#include "exchange/CsvExchange.h"
#include "exchange/ToDo2HTML.h"
#include "model/ListFile.h"
#include "platform/InstanceLock.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {
QString listPathOf(const QString& listFile)
{
    return listFile.isEmpty() ? StandardListPath() : listFile;
}

bool isHistoryFile(const QString& path)
{
    return path.endsWith(QLatin1String(".tdh"), Qt::CaseInsensitive);
}

// Loads the list without creating anything. A missing standard list is an empty list; a list the user
// named must exist unless mayBeMissing.
IoResult loadList(const QString& path, bool named, bool mayBeMissing, ToDoList& list)
{
    if (!QFileInfo::exists(path)) {
        if (named && !mayBeMissing)
            return IoResult::failure(QStringLiteral("Cannot open file %1: there is no such file")
                                         .arg(QDir::toNativeSeparators(path)));
        return IoResult::success();
    }
    return ReadListFile(path, !isHistoryFile(path), list);
}

int report(QTextStream& err, const QString& message)
{
    err << "quillmar: " << message << '\n';
    err.flush();
    return 1;
}
} // namespace

int ExportCsvCommand(const QString& outFile, const QString& listFile, QTextStream& err)
{
    ToDoList list;
    if (const IoResult r = loadList(listPathOf(listFile), !listFile.isEmpty(), false, list); !r)
        return report(err, r.error);
    if (const IoResult r = WriteCSVFile(outFile, list.items); !r)
        return report(err, r.error);
    return 0;
}

int ExportHtmlCommand(const QString& outFile, const QString& listFile, QTextStream& err)
{
    ToDoList list;
    if (const IoResult r = loadList(listPathOf(listFile), !listFile.isEmpty(), false, list); !r)
        return report(err, r.error);
    TToDo2HTML html(SettingsFilePath());
    if (const IoResult r = html.WriteHTML(list, TToDo2HTML::DefaultColumnCaptions(), outFile); !r)
        return report(err, r.error);
    return 0;
}

int ImportCsvCommand(const QString& inFile, const QString& listFile, QTextStream& err)
{
    const QString folder = DataFolder();
    if (!QDir().mkpath(folder))
        return report(err, QStringLiteral("Could not create %1").arg(QDir::toNativeSeparators(folder)));
    InstanceLock lock(folder);
    if (!lock.tryLock()) {
        const qint64 pid = InstanceLock::holderPid(folder);
        if (pid == 0)
            return report(err, QStringLiteral("Cannot take the lock %1 of the lists; nothing was imported.")
                                   .arg(QDir::toNativeSeparators(InstanceLock::lockFilePath(folder))));
        return report(err,
                      QStringLiteral("The lists of %1 are in use by a running Quillmar window (process %2). "
                                     "Close it and try again; nothing was imported.")
                          .arg(QDir::toNativeSeparators(folder))
                          .arg(pid));
    }
    const QString path = listPathOf(listFile);
    ToDoList list;
    if (const IoResult r = loadList(path, !listFile.isEmpty(), true, list); !r)
        return report(err, r.error);
    // All rows or none: the whole CSV file is read and checked before the first row is appended.
    if (const IoResult r = ImportCSVFile(inFile, list); !r)
        return report(err, r.error);
    const IoResult saved = isHistoryFile(path) ? SaveHistoryFile(list, path) : SaveListFile(list, path);
    if (!saved)
        return report(err, saved.error);
    return 0;
}
