#include "exchange/sync/SyncCommand.h"

#include "config/IoMessage.h"
#include "config/Paths.h"
#include "exchange/ExchangeCommands.h"
#include "exchange/sync/ListSync.h"
#include "exchange/sync/SyncModule.h"
#include "model/ListFile.h"
#include "platform/FileStamp.h"
#include "platform/FileSystem.h"

#include <QFileInfo>
#include <QTextStream>

namespace {
int report(QTextStream& err, const QString& message)
{
    err << "quillmar: " << message << '\n';
    err.flush();
    return 1;
}

QString shown(const QUrl& url)
{
    return url.toDisplayString(QUrl::RemoveUserInfo);
}

QUrl withSlash(QUrl url)
{
    if (!url.path().endsWith(QLatin1Char('/')))
        url.setPath(url.path() + QLatin1Char('/'));
    return url;
}
} // namespace

int SyncListCommand(const SyncCommandOptions& options, QTextStream& out, QTextStream& err)
{
    if (!options.url.isValid() ||
        (options.url.scheme() != QLatin1String("http") && options.url.scheme() != QLatin1String("https")))
        return report(err, QStringLiteral("%1 is no http:// or https:// URL").arg(options.url.toString()));
    if (SyncUrlIsInsecure(options.url))
        err << "quillmar: warning: " << shown(options.url)
            << " is plain HTTP to another machine: the password and the items travel readable.\n";
    const QString listPath = options.listFile.isEmpty() ? StandardListPath() : options.listFile;
    if (listPath.endsWith(QLatin1String(".tdh"), Qt::CaseInsensitive))
        return report(
            err, QStringLiteral("%1 is a history list, which is not synchronized").arg(ShownPath(listPath)));
    if (!options.listFile.isEmpty() && !QFileInfo::exists(listPath))
        return report(err,
                      QStringLiteral("Cannot open file %1: there is no such file").arg(ShownPath(listPath)));

    QString moduleError;
    std::unique_ptr<SyncTransport> transport = SyncModule::createTransport(&moduleError);
    if (!transport)
        return report(err, moduleError);
    transport->setTimeout(options.timeoutMs);
    ListSync sync(*transport);
    SyncAccount account{options.url, options.user, options.password, options.trustedCertificate};

    QList<SyncCollection> collections;
    if (const SyncReport r = sync.findCollections(account, collections); !r.ok)
        return report(err, r.error);
    QUrl collection = collections.front().url;
    if (collections.size() > 1) {
        collection = QUrl();
        for (const SyncCollection& c : std::as_const(collections)) {
            if (withSlash(c.url) == withSlash(options.savedCollection))
                collection = c.url;
        }
        if (collection.isEmpty()) {
            QStringList names;
            for (const SyncCollection& c : std::as_const(collections))
                names << QStringLiteral("  %1  %2").arg(c.name, shown(c.url));
            return report(err, QStringLiteral("%1 has several task collections; give the URL of one:\n%2")
                                   .arg(shown(options.url), names.join(QLatin1Char('\n'))));
        }
    }

    return WithListHeld(
        options.listFile, err, QStringLiteral("nothing was synchronized"), [&](const QString& path) {
            const FileStamp read = FileStamp::of(path);
            ToDoList list;
            if (QFileInfo::exists(path)) {
                if (const IoResult r = ReadListFile(path, true, list); !r)
                    return report(err, IoMessage(r) + QStringLiteral("; nothing was synchronized."));
            }
            const QString statePath = SyncState::pathFor(path);
            SyncState state;
            if (const IoResult r = SyncState::loadFor(path, state); !r)
                return report(err, IoMessage(r));
            // A list synchronized with one collection is not merged into another that the server happens
            // to offer (its own may have been deleted): another one is taken only when named.
            if (!state.collection.isEmpty() && withSlash(state.collection) != withSlash(collection) &&
                withSlash(options.url) != withSlash(collection))
                return report(err, QStringLiteral("%1 was synchronized with %2, which is not among the task "
                                                  "collections %3 leads to; nothing was synchronized. Give "
                                                  "the URL of the collection to synchronize with.")
                                       .arg(ShownPath(path), shown(state.collection), shown(options.url)));
            SyncOutcome outcome = sync.run(account, collection, list, state,
                                           [&statePath](const SyncState& s) { return s.save(statePath); });
            // The state first, with what the list is to get marked pending: a list that is not saved then
            // gets it from the next run, instead of its rows being read as deleted.
            if (outcome.changes.empty())
                outcome.state.noteList(path);
            if (const IoResult r = outcome.state.save(statePath); !r)
                return report(err, IoMessage(r));
            if (!outcome.changes.empty()) {
                ApplySyncChanges(list, outcome.changes);
                if (FileStamp::of(path) != read)
                    return report(err,
                                  QStringLiteral("%1 was changed by another program during the sync; the "
                                                 "server's changes come with the next sync.")
                                      .arg(ShownPath(path)));
                if (const IoResult r = SaveListFile(list, path); !r)
                    return report(err, IoMessage(r) +
                                           QStringLiteral("; the server's changes come with the next sync."));
                outcome.state.settleReceived();
                outcome.state.noteList(path);
                if (const IoResult r = outcome.state.save(statePath); !r)
                    return report(err, IoMessage(r));
            }
            for (const QString& note : std::as_const(outcome.notes))
                out << note << '\n';
            const SyncReport& done = outcome.report;
            out << QStringLiteral("sent %1, received %2, deleted %3, conflicts %4\n")
                       .arg(done.sent)
                       .arg(done.received)
                       .arg(done.deleted)
                       .arg(done.conflicts);
            out.flush();
            if (!done.ok)
                return report(err, done.error);
            return 0;
        });
}
