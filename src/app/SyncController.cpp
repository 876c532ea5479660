#include "app/SyncController.h"

#include "app/ModuleSyncEngine.h"
#include "config/IoMessage.h"
#include "config/LanguageTexts.h"
#include "model/ListDocument.h"
#include "platform/Clock.h"
#include "platform/desktop/SecretStore.h"

#include <QPointer>
#include <QTimer>

namespace {
QString text(const char* key)
{
    return LanguageTexts::shared().text("Sync", key);
}

QString storeFailure(const QString& reason)
{
    return reason.isEmpty() ? reason : text("StoreFailed").arg(reason);
}
} // namespace

SyncController::SyncController(ListDocument* document, std::shared_ptr<SecretStore> store, QObject* parent)
    : SyncService(parent), m_document(document), m_store(std::move(store)),
      m_engineFactory([] { return std::make_unique<ModuleSyncEngine>(); }), m_changeTimer(new QTimer(this)),
      m_intervalTimer(new QTimer(this))
{
    m_changeTimer->setSingleShot(true);
    m_changeTimer->setInterval(m_timing.changeDelayMs);
    connect(m_changeTimer, &QTimer::timeout, this, &SyncController::run);
    connect(m_intervalTimer, &QTimer::timeout, this, &SyncController::run);
    // Every change made through the document, and the first one after each save (undo and redo too).
    connect(m_document, &ListDocument::changeMade, this, &SyncController::listChanged);
    connect(m_document, &ListDocument::modifiedChanged, this, [this](bool modified) {
        if (modified)
            listChanged();
    });
    connect(m_document, &ListDocument::listSwitched, this, [this] { m_switched = m_running; });
}

SyncController::~SyncController() = default;

void SyncController::setEngineFactory(SyncEngineFactory factory)
{
    m_engineFactory = std::move(factory);
    m_engine.reset();
}

void SyncController::setSecretStore(std::shared_ptr<SecretStore> store)
{
    m_store = std::move(store);
}

void SyncController::setTiming(const Timing& timing)
{
    m_timing = timing;
    m_changeTimer->setInterval(timing.changeDelayMs);
    takeSettings(m_settings);
}

void SyncController::takeSettings(const SyncSettings& settings)
{
    const bool wasSetUp = isSetUp();
    m_settings = settings;
    m_intervalTimer->stop();
    if (isSetUp() && m_started && settings.intervalMinutes > 0) {
        m_intervalTimer->setInterval(settings.intervalMinutes * m_timing.minuteMs);
        m_intervalTimer->start();
    }
    if (!isSetUp())
        m_changeTimer->stop();
    if (wasSetUp != isSetUp())
        Q_EMIT setUpChanged(isSetUp());
}

void SyncController::startAfterFirstFrame()
{
    if (m_started)
        return;
    m_started = true;
    takeSettings(m_settings);
    if (isSetUp())
        run();
}

void SyncController::syncNow()
{
    if (!isSetUp()) {
        setStatus(text("NotSetUp"));
        return;
    }
    run();
}

void SyncController::listChanged()
{
    // Before the first run the start-up run takes the changes along; changes of another list than the
    // standard one are none of the sync's business.
    if (isSetUp() && m_started && !m_applying && m_document->mode() == ListMode::Standard)
        m_changeTimer->start();
}

void SyncController::run()
{
    if (m_running) {
        m_queued = true;
        return;
    }
    m_changeTimer->stop();
    if (!isSetUp())
        return;
    // The changes come into the rows through the document, which saves them: only the standard list's
    // rows belong to the collection.
    if (m_document->mode() != ListMode::Standard) {
        SyncReport waiting;
        waiting.error = text("NotStandard");
        finish(waiting);
        return;
    }
    SyncState state;
    if (const IoResult r = SyncState::load(SyncState::pathFor(m_document->paths().standardList), state); !r) {
        SyncReport failed;
        failed.error = IoMessage(r);
        finish(failed);
        return;
    }
    m_running = true;
    m_switched = false;
    Q_EMIT runningChanged(true);
    setStatus(text("Running"));
    const SyncSettings settings = m_settings;
    QPointer<SyncController> self(this);
    m_store->read(
        SecretStore::syncKey(settings.url, settings.user),
        [self, settings, state](const QString& password, const QString& error) {
            if (!self)
                return;
            if (!error.isEmpty()) {
                SyncReport failed;
                failed.error = storeFailure(error);
                self->finish(failed);
                return;
            }
            const SyncAccount account{settings.url, settings.user, password, settings.trustedCertificate};
            const QString statePath = SyncState::pathFor(self->m_document->paths().standardList);
            self->engine().synchronize(
                account, settings.collection, self->m_document->list(), state,
                [statePath](const SyncState& s) { return s.save(statePath); },
                [self](const SyncOutcome& outcome) {
                    if (self)
                        self->take(outcome);
                });
        });
}

void SyncController::take(SyncOutcome outcome)
{
    const QString statePath = SyncState::pathFor(m_document->paths().standardList);
    // The state first, with what the list is to get marked pending: should the list not be saved, the
    // next run brings it again instead of reading its rows as deleted.
    if (const IoResult r = outcome.state.save(statePath); !r) {
        outcome.report.ok = false;
        outcome.report.error = IoMessage(r);
        finish(outcome.report);
        return;
    }
    if (m_switched || m_document->mode() != ListMode::Standard) {
        // Not the rows the run started from: they get nothing now, the next run settles what is pending.
        outcome.report.ok = false;
        outcome.report.error = text("NotStandard");
        finish(outcome.report);
        return;
    }
    ToDoListModel* rows = m_document->model();
    int missed = 0;
    // These changes are the server's: they are no reason for another run.
    m_applying = true;
    for (const SyncRowChange& change : outcome.changes) {
        if (change.kind == SyncRowChange::Kind::Add) {
            rows->appendItem(change.after);
            continue;
        }
        // Only a row still as the run saw it; one the user changed meanwhile meets the server again in
        // the next run.
        const auto& items = rows->list().items;
        const auto it = std::find(items.begin(), items.end(), change.before);
        if (it == items.end())
            ++missed;
        else if (change.kind == SyncRowChange::Kind::Update)
            rows->replaceItem(int(it - items.begin()), change.after);
        else
            rows->removeRows({int(it - items.begin())});
    }
    // Waits for the save: the state may call the changes settled only once the file holds them.
    const bool saved = !m_document->isModified() || m_document->autosaveAndWait();
    m_applying = false;
    if (!saved) {
        outcome.report.ok = false;
        outcome.report.error = text("NotSaved");
    } else if (!outcome.changes.empty()) {
        outcome.state.settleReceived();
        if (const IoResult r = outcome.state.save(statePath); !r) {
            outcome.report.ok = false;
            outcome.report.error = IoMessage(r);
        }
    }
    if (missed > 0)
        m_changeTimer->start();
    finish(outcome.report, outcome.notes);
}

void SyncController::finish(SyncReport report, const QStringList& notes)
{
    const bool wasRunning = m_running;
    m_running = false;
    if (wasRunning)
        Q_EMIT runningChanged(false);
    setStatus(statusText(report, Clock::now().time()));
    if (report.conflicts > 0 || !notes.isEmpty())
        Q_EMIT needsAttention(notes.isEmpty() ? text("Conflicts").arg(report.conflicts)
                                              : notes.join(QLatin1Char(' ')));
    if (m_queued) {
        m_queued = false;
        run();
    }
}

QString SyncController::statusText(const SyncReport& report, const QTime& at)
{
    const QString time = at.toString(QStringLiteral("HH:mm"));
    if (!report.ok && !report.untrustedCertificate.isEmpty())
        return text("Failed").arg(time, report.error + QStringLiteral(". ") + text("Untrusted"));
    if (!report.ok)
        return text("Failed").arg(time, report.error);
    return text("Done")
        .arg(time)
        .arg(report.sent)
        .arg(report.received)
        .arg(report.deleted)
        .arg(report.conflicts);
}

SyncEngine& SyncController::engine()
{
    if (!m_engine)
        m_engine = m_engineFactory();
    return *m_engine;
}

void SyncController::setStatus(const QString& line)
{
    Q_EMIT statusChanged(line);
}

void SyncController::findCollections(
    const SyncAccount& account, std::function<void(const SyncReport&, const QList<SyncCollection>&)> done)
{
    engine().findCollections(account, std::move(done));
}

void SyncController::readPassword(const QUrl& url, const QString& user,
                                  std::function<void(const QString& password, const QString& error)> done)
{
    m_store->read(SecretStore::syncKey(url, user),
                  [done = std::move(done)](const QString& password, const QString& error) {
                      done(password, storeFailure(error));
                  });
}

void SyncController::storePassword(const QUrl& url, const QString& user, const QString& password,
                                   std::function<void(const QString& error)> done)
{
    // The dialog that asked may be closed by the time the store answers: a failure shows in the status
    // line as well.
    QPointer<SyncController> self(this);
    m_store->write(SecretStore::syncKey(url, user), password, [self, done](const QString& reason) {
        const QString error = storeFailure(reason);
        if (self && !error.isEmpty())
            self->setStatus(error);
        if (done)
            done(error);
    });
}
