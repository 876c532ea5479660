#include "exchange/ExchangeCommands.h"

#include "config/IoMessage.h"
#include "config/Paths.h"
#include "exchange/CSVExchange.h"
#include "exchange/ICalendarExport.h"
#include "exchange/ICalendarImport.h"
#include "exchange/ToDo2HTML.h"
#include "model/ListFile.h"
#include "platform/AtomicFile.h"
#include "platform/BufferedWriter.h"
#include "platform/Clock.h"
#include "platform/FileStamp.h"
#include "platform/FileSystem.h"
#include "platform/InstanceLock.h"
#include "platform/ListFileHold.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <QThread>

#include <functional>

#include <unistd.h>

namespace {
QString listPathOf(const QString& listFile)
{
    return listFile.isEmpty() ? StandardListPath() : listFile;
}

bool isHistoryFile(const QString& path)
{
    return path.endsWith(QLatin1String(".tdh"), Qt::CaseInsensitive);
}

bool isStandardOutput(const QString& outFile)
{
    return outFile == QLatin1String("-");
}

// Loads the list without creating anything. A missing standard list is an empty list; a list the user
// named must exist unless mayBeMissing.
IoResult loadList(const QString& path, bool named, bool mayBeMissing, ToDoList& list)
{
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) {
        if (named && !mayBeMissing)
            return IoResult::failure(
                QStringLiteral("Cannot open file %1: there is no such file").arg(ShownPath(path)),
                IoError::NotFound);
        return IoResult::success();
    }
    return ReadListFile(path, !isHistoryFile(path), list);
}

// A folder, or a name ending in "/" for one to be made: a vdir of one file per to-do.
bool isFolderTarget(const QString& outFile)
{
    return outFile.endsWith(QLatin1Char('/')) || QFileInfo(outFile).isDir();
}

int report(QTextStream& err, const QString& message)
{
    err << "quillmar: " << message << '\n';
    err.flush();
    return 1;
}
} // namespace

int ExportCSVCommand(const QString& outFile, const QString& listFile, QTextStream& err)
{
    ToDoList list;
    if (const IoResult r = loadList(listPathOf(listFile), !listFile.isEmpty(), false, list); !r)
        return report(err, IoMessage(r));
    const IoResult written = isStandardOutput(outFile) ? WriteStandardOutput(RowsToCSV(list.items))
                                                       : WriteCSVFile(outFile, list.items);
    if (!written)
        return report(err, IoMessage(written));
    return 0;
}

int ExportHtmlCommand(const QString& outFile, const QString& listFile, QTextStream& err)
{
    ToDoList list;
    if (const IoResult r = loadList(listPathOf(listFile), !listFile.isEmpty(), false, list); !r)
        return report(err, IoMessage(r));
    TToDo2HTML html(SettingsFilePath());
    html.Title = TToDo2HTML::ListTitle(listFile);
    if (isStandardOutput(outFile)) {
        QByteArray page;
        if (const IoResult r = html.WriteHTML(list, TToDo2HTML::DefaultColumnCaptions(), QString(), &page);
            !r)
            return report(err, IoMessage(r));
        if (const IoResult r = WriteStandardOutput(page); !r)
            return report(err, IoMessage(r));
        return 0;
    }
    if (const IoResult r = html.WriteHTML(list, TToDo2HTML::DefaultColumnCaptions(), outFile); !r)
        return report(err, IoMessage(r));
    return 0;
}

int ExportICalendarCommand(const QString& outFile, const QString& listFile, QTextStream& err)
{
    ToDoList list;
    if (const IoResult r = loadList(listPathOf(listFile), !listFile.isEmpty(), false, list); !r)
        return report(err, IoMessage(r));
    IoResult written;
    if (isStandardOutput(outFile)) {
        BufferedWriter out(STDOUT_FILENO, QStringLiteral("standard output"));
        written = WriteICalendar(out, list, Clock::now());
    } else if (isFolderTarget(outFile)) {
        written = WriteICalendarFolder(outFile, list, Clock::now());
    } else {
        written = WriteICalendarFile(outFile, list, Clock::now());
    }
    if (!written)
        return report(err, IoMessage(written));
    return 0;
}

int WithListHeld(const QString& listFile, QTextStream& err, const QString& nothingDone,
                 const std::function<int(const QString& path)>& work)
{
    const QString folder = DataFolder();
    // Made private to the user when missing.
    if (const IoResult r = EnsureDataFolder(); !r)
        return report(err,
                      QStringLiteral("Cannot create the data folder %1: %2; %3.")
                          .arg(ShownPath(folder), r.reason.isEmpty() ? IoMessage(r) : r.reason, nothingDone));
    InstanceLock lock(folder, InstanceLock::Role::CommandLine);
    // Another command-line run ends soon: wait for it. A window holds the folder until it is closed.
    const QDeadlineTimer deadline(kImportLockWaitMs);
    while (!lock.tryLock()) {
        const IoResult& r = lock.error();
        if (r.kind != IoError::Busy)
            return report(err, IoMessage(r) + QStringLiteral("; ") + nothingDone + QLatin1Char('.'));
        const InstanceLock::Holder h = InstanceLock::holder(folder);
        const bool window = h.roleKnown && h.role == InstanceLock::Role::Window;
        if (window || deadline.hasExpired()) {
            const QString advice = window ? QStringLiteral("Close it and try again")
                                          : QStringLiteral("Try again when it has finished");
            return report(err, IoMessage(r) + QStringLiteral("; ") + nothingDone + QStringLiteral(". ") +
                                   advice + QLatin1Char('.'));
        }
        QThread::msleep(50);
    }
    // Holding the folder, no save of another run is under way in it: what crashed saves left goes.
    RemoveDataFolderLeftovers();
    const QString path = listPathOf(listFile);
    // The list may be another data folder's, or shown in a window: whoever holds it writes it.
    ListFileHold hold(path, ListFileHold::Role::CommandLine);
    if (!hold.tryHold(int(qMax<qint64>(0, deadline.remainingTime())))) {
        return report(err,
                      IoMessage(hold.error()) + QStringLiteral("; ") + nothingDone + QLatin1Char('.') +
                          (hold.heldByWindow() ? QStringLiteral(" Close it and try again.") : QString()));
    }
    // Holding the list, this run is its only writer: what crashed saves left beside it goes.
    RemoveCrashLeftovers(QFileInfo(path).absolutePath());
    return work(path);
}

namespace {
// What an import reads from its file into the list: the number of items added and what to tell the user.
using ListImport = std::function<IoResult(ToDoList& list, int& added, QString& summary)>;

// Adds what import reads to the list.
int importIntoList(const QString& listFile, QTextStream& out, QTextStream& err, const ListImport& import)
{
    return WithListHeld(listFile, err, QStringLiteral("nothing was imported"), [&](const QString& path) {
        const FileStamp read = FileStamp::of(path);
        ToDoList list;
        if (const IoResult r = loadList(path, !listFile.isEmpty(), true, list); !r)
            return report(err, IoMessage(r) + QStringLiteral("; nothing was imported."));
        // All items or none: the whole file is read and checked before the first item is appended.
        int added = 0;
        QString summary;
        if (const IoResult r = import(list, added, summary); !r)
            return report(err, IoMessage(r));
        if (added > 0) {
            // A writer that takes no holds (another program) was there since the list was read.
            if (FileStamp::of(path) != read)
                return report(err,
                              QStringLiteral("%1 was changed by another program during the import; nothing "
                                             "was imported. Try again.")
                                  .arg(ShownPath(path)));
            const IoResult saved =
                isHistoryFile(path) ? SaveHistoryFile(list, path) : SaveListFile(list, path);
            if (!saved)
                return report(err, IoMessage(saved) + QStringLiteral("; nothing was imported."));
        }
        out << summary << '\n';
        out.flush();
        return 0;
    });
}
} // namespace

int ImportCSVCommand(const QString& inFile, const QString& listFile, QTextStream& out, QTextStream& err)
{
    return importIntoList(listFile, out, err, [&inFile](ToDoList& list, int& added, QString& summary) {
        CSVImportNotes notes;
        const IoResult r = ImportCSVFile(inFile, list, &added, &notes);
        summary = ImportSummary(inFile, added, notes);
        return r;
    });
}

int ImportICalendarCommand(const QString& inPath, const QString& listFile, QTextStream& out, QTextStream& err)
{
    return importIntoList(listFile, out, err, [&inPath](ToDoList& list, int& added, QString& summary) {
        ICalendarImport import;
        const IoResult r = ReadICalendar(inPath, import);
        if (!r)
            return r;
        summary = ICalendarImportSummary(inPath, import);
        added = int(import.items.size());
        list.items.reserve(list.items.size() + import.items.size());
        for (ToDoItem& item : import.items)
            list.items.push_back(std::move(item));
        return r;
    });
}
