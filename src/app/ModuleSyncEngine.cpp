#include "app/ModuleSyncEngine.h"

#include "config/LanguageTexts.h"
#include "exchange/sync/SyncModule.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

ModuleSyncEngine::ModuleSyncEngine() : m_alive(std::make_shared<std::atomic<bool>>(true)) {}

ModuleSyncEngine::~ModuleSyncEngine()
{
    *m_alive = false;
    // A run still out has a few seconds to end. One that hangs on a silent server is left to the end of
    // the program rather than holding up its exit: the list is saved by then, and the run's state is
    // written (atomically) before each write to the server.
    const QDeadlineTimer deadline(kExitWaitMs);
    for (std::unique_ptr<QThread>& thread : m_threads) {
        if (!thread->wait(deadline))
            (void)thread.release();
    }
}

void ModuleSyncEngine::start(std::function<void(SyncTransport&)> work,
                             std::function<void(const QString& moduleError)> answer)
{
    std::erase_if(m_threads, [](const std::unique_ptr<QThread>& t) { return t->isFinished(); });
    auto alive = m_alive;
    auto job = [work = std::move(work), answer = std::move(answer), alive] {
        QString error;
        // Made on the thread that uses it, as the transport requires.
        std::unique_ptr<SyncTransport> transport = SyncModule::createTransport(&error);
        if (transport) {
            transport->setTimeout(kTimeoutMs);
            work(*transport);
        }
        // The answer goes to the program's thread; an engine gone meanwhile takes none.
        if (!*alive)
            return;
        QMetaObject::invokeMethod(
            qApp,
            [answer, alive, error] {
                if (*alive)
                    answer(error);
            },
            Qt::QueuedConnection);
    };
    m_threads.emplace_back(QThread::create(std::move(job)));
    m_threads.back()->start();
}

void ModuleSyncEngine::findCollections(
    const SyncAccount& account, std::function<void(const SyncReport&, const QList<SyncCollection>&)> done)
{
    auto report = std::make_shared<SyncReport>();
    auto found = std::make_shared<QList<SyncCollection>>();
    start([account, report, found](
              SyncTransport& transport) { *report = ListSync(transport).findCollections(account, *found); },
          [report, found, done = std::move(done)](const QString& moduleError) {
              if (!moduleError.isEmpty())
                  report->error = moduleError;
              done(*report, *found);
          });
}

void ModuleSyncEngine::synchronize(const SyncAccount& account, const QUrl& collection, const ToDoList& rows,
                                   const SyncState& state, const SyncJournal& journal,
                                   std::function<void(const SyncOutcome&)> done)
{
    auto outcome = std::make_shared<SyncOutcome>();
    outcome->state = state;
    // How many task lists the URL led to when none was chosen and it was not exactly one; -1 otherwise.
    auto listsFound = std::make_shared<int>(-1);
    start(
        [account, collection, rows, state, journal, outcome, listsFound](SyncTransport& transport) {
            ListSync sync(transport);
            QUrl target = collection;
            if (target.isEmpty()) {
                // No list chosen in the settings: the URL must lead to exactly one.
                QList<SyncCollection> found;
                const SyncReport r = sync.findCollections(account, found);
                if (!r.ok || found.size() != 1) {
                    outcome->report = r;
                    if (r.ok) {
                        outcome->report.ok = false;
                        *listsFound = int(found.size());
                    }
                    return;
                }
                target = found.front().url;
            }
            *outcome = sync.run(account, target, rows, state, journal);
        },
        [outcome, listsFound, url = account.url, done = std::move(done)](const QString& moduleError) {
            if (!moduleError.isEmpty())
                outcome->report.error = moduleError;
            else if (*listsFound >= 0)
                outcome->report.error = LanguageTexts::shared()
                                            .text("Sync", "ListCount")
                                            .arg(url.toDisplayString(QUrl::RemoveUserInfo))
                                            .arg(*listsFound);
            done(*outcome);
        });
}
