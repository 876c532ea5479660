// Sync with a local Radicale (started here on a free port, storage in a temporary folder), each timed next to
// a floor measured in the same run: the same requests sent directly through the same transport, with the
// calendar texts made beforehand and no matching or merging.
//   first sync of 10,000 items: the changes report, every item PUT, the report after the writes;
//   sync with nothing to do: the changes report since the token.
// Target: both within 2x their floor. The server is the installed Radicale with the storage module
// radicale_bench_storage.py (its UID check from a set, see there), its storage in a temporary folder in
// memory where there is one (for the floor as for the sync).
#include "BenchUtil.h"
#include "LocalServer.h"
#include "exchange/ICalendarUpdate.h"
#include "exchange/sync/ListSync.h"
#include "exchange/sync/SyncModule.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUuid>

#include <csignal>
#include <sys/prctl.h>

namespace {
using namespace benchutil;

class Radicale
{
public:
    Radicale() : m_port(testutil::freePort())
    {
        // An interrupted run takes its server with it.
        m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        // The storage in memory (tmpfs) where there is one: Radicale's filesystem storage syncs every file it
        // writes, which makes a first sync of thousands of items a matter of the disk, not of the sync.
        // Radicale 3.1 takes its own switch for that (_filesystem_fsync) from no configuration file.
        // Its storage also reads every item of a collection for each new one (the UID check of a PUT):
        // radicale_bench_storage.py, beside this file, answers that from a set instead, or 10,000 items
        // would measure nothing but that scan. The floor goes to the same server, so the ratio is not
        // flattered by either.
        const QString storage = m_memory.isValid() ? m_memory.filePath(QStringLiteral("radicale"))
                                                   : workDir().filePath(QStringLiteral("radicale"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PYTHONPATH"), QStringLiteral(QUILLMAR_BENCH_SOURCE_DIR));
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStandardPaths::findExecutable(QStringLiteral("radicale")),
                        {"--config", "", "--storage-filesystem-folder=" + storage,
                         "--storage-type=radicale_bench_storage",
                         "--server-hosts=127.0.0.1:" + QString::number(m_port), "--auth-type=none"});
        if (!m_process.waitForStarted())
            qFatal("radicale cannot be started: install it");
        if (!testutil::listening(m_port))
            qFatal("radicale does not answer");
    }
    ~Radicale()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    // A new, empty task collection.
    QUrl collection(SyncTransport& http)
    {
        const QUrl url(QStringLiteral("http://127.0.0.1:%1/bench/%2/").arg(m_port).arg(++m_made));
        http.send({"MKCALENDAR", url, {{"Authorization", "Basic YmVuY2g6eA=="}}, {}});
        return url;
    }

private:
    QTemporaryDir m_memory{QStringLiteral("/dev/shm/quillmar-bench-XXXXXX")};
    QProcess m_process;
    int m_port = 0;
    int m_made = 0;
};

Radicale& server()
{
    static Radicale r;
    return r;
}

const SyncAccount kAccount{{}, QStringLiteral("bench"), QStringLiteral("x"), {}};

SyncRequest syncReport(const QUrl& collection, const QByteArray& token)
{
    return {
        "REPORT",
        collection,
        {{"Authorization", "Basic YmVuY2g6eA=="}, {"Content-Type", "application/xml"}},
        "<?xml version=\"1.0\"?><D:sync-collection xmlns:D=\"DAV:\"><D:sync-token>" + token +
            "</D:sync-token><D:sync-level>1</D:sync-level><D:prop><D:getetag/></D:prop></D:sync-collection>"};
}

void BM_FirstSync(benchmark::State& state)
{
    std::unique_ptr<SyncTransport> http = SyncModule::createTransport();
    const ToDoList list = makeList(int(state.range(0)));
    double op = 0, floor = 0;
    for (auto _ : state) {
        // The floor's requests, made before its clock starts.
        const QUrl floorCollection = server().collection(*http);
        std::vector<SyncRequest> puts;
        for (const ToDoItem& item : list.items) {
            const QByteArray uid = QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
            QUrl url = floorCollection.resolved(QUrl(QString::fromLatin1(uid) + ".ics"));
            puts.push_back({"PUT",
                            url,
                            {{"Authorization", "Basic YmVuY2g6eA=="},
                             {"Content-Type", "text/calendar"},
                             {"If-None-Match", "*"}},
                            ItemToICalendar(item, uid, QDateTime::currentDateTimeUtc())});
        }
        const auto t0 = SteadyClock::now();
        http->send(syncReport(floorCollection, {}));
        http->exchange(puts);
        http->send(syncReport(floorCollection, {}));
        const auto t1 = SteadyClock::now();
        const QUrl collection = server().collection(*http);
        const auto t2 = SteadyClock::now();
        ListSync sync(*http);
        const SyncOutcome outcome = sync.run(kAccount, collection, list, SyncState());
        const auto t3 = SteadyClock::now();
        if (!outcome.report.ok || outcome.report.sent != list.size())
            state.SkipWithError(qPrintable(outcome.report.error));
        floor += seconds(t0, t1);
        op += seconds(t2, t3);
        state.SetIterationTime(seconds(t2, t3));
    }
    reportRatio(state, "first sync of " + std::to_string(state.range(0)) + " items (target < 2x floor)", op,
                floor);
}

void BM_NothingToDo(benchmark::State& state)
{
    std::unique_ptr<SyncTransport> http = SyncModule::createTransport();
    const ToDoList list = makeList(int(state.range(0)));
    ListSync sync(*http);
    const QUrl collection = server().collection(*http);
    const SyncOutcome first = sync.run(kAccount, collection, list, SyncState());
    double op = 0, floor = 0;
    for (auto _ : state) {
        const auto t0 = SteadyClock::now();
        http->send(syncReport(collection, first.state.syncToken));
        const auto t1 = SteadyClock::now();
        const SyncOutcome outcome = sync.run(kAccount, collection, list, first.state);
        const auto t2 = SteadyClock::now();
        if (!outcome.report.ok || outcome.report.sent + outcome.report.received > 0)
            state.SkipWithError("the sync had something to do");
        floor += seconds(t0, t1);
        op += seconds(t1, t2);
        state.SetIterationTime(seconds(t1, t2));
    }
    reportRatio(state,
                "sync of " + std::to_string(state.range(0)) + " items, nothing to do (target < 2x floor)", op,
                floor);
}

// QUILLMAR_SYNC_BENCH_ITEMS chooses another count for a quick look.
int itemCount()
{
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("QUILLMAR_SYNC_BENCH_ITEMS", &ok);
    return ok && n > 0 ? n : 10000;
}

BENCHMARK(BM_FirstSync)->Apply([](auto* b) {
                           b->Arg(itemCount());
                       }) -> Iterations(1) -> UseManualTime() -> Unit(benchmark::kMillisecond);
BENCHMARK(BM_NothingToDo)->Apply([](auto* b) {
                             b->Arg(itemCount());
                         }) -> Iterations(5) -> UseManualTime() -> Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    // The network module's transport runs an event loop.
    QCoreApplication app(argc, argv);
    return runAndPrintRatios(argc, argv);
}
