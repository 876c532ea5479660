#include "app/SyncController.h"

#include "app/ModuleSyncEngine.h"
#include "config/IoMessage.h"
#include "config/LanguageTexts.h"
#include "model/ListDocument.h"
#include "model/ListPrompter.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/desktop/SecretStore.h"

#include <QPointer>
#include <QTimer>

namespace {
QString text(const char* key)
{
    return LanguageTexts::shared().text("Sync", key);
}

// The store's failure in the user's words.
QString storeReason(const SecretStoreError& error)
{
    switch (error.kind) {
    case SecretStoreError::Kind::None:
        return {};
    case SecretStoreError::Kind::NoBackend:
        return text("KeyringNoBackend");
    case SecretStoreError::Kind::AccessDenied:
        return text("KeyringDenied");
    case SecretStoreError::Kind::Other:
        break;
    }
    return text("KeyringOther").arg(error.code);
}

QString storeFailure(const SecretStoreError& error)
{
    return error.failed() ? text("StoreFailed").arg(storeReason(error)) : QString();
}

// Saves an external list after a run without a window to ask in: a file another program changed is left
// alone (the list stays modified), and what would be said goes to the status line.
class QuietPrompter : public ListPrompter
{
public:
    QString said;
    Answer ask(Question, const QString&, bool) override { return Answer::Cancel; }
    QString chooseListToOpen(const QString&) override { return {}; }
    QString chooseListToSave(const QString&) override { return {}; }
    void inform(const QString& text) override { said = text; }
};

bool sameServer(const QUrl& a, const QUrl& b)
{
    return a.scheme() == b.scheme() && a.host().compare(b.host(), Qt::CaseInsensitive) == 0 &&
           a.port(a.scheme() == QLatin1String("https") ? 443 : 80) ==
               b.port(b.scheme() == QLatin1String("https") ? 443 : 80);
}
} // namespace

SyncController::SyncController(ListDocument* document, std::shared_ptr<SecretStore> store, QObject* parent)
    : SyncService(parent), m_document(document), m_store(std::move(store)),
      m_engineFactory([] { return std::make_unique<ModuleSyncEngine>(); }), m_changeTimer(new QTimer(this)),
      m_intervalTimer(new QTimer(this))
{
    m_changeTimer->setSingleShot(true);
    m_changeTimer->setInterval(m_timing.changeDelayMs);
    connect(m_changeTimer, &QTimer::timeout, this, [this] { run(); });
    connect(m_intervalTimer, &QTimer::timeout, this, [this] { run(); });
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
    if (m_document->mode() == ListMode::Standard && !isSetUp()) {
        setStatus(text("NotSetUp"));
        return;
    }
    run(true);
}

void SyncController::listChanged()
{
    // Before the first run the start-up run takes the changes along; changes of another list than the
    // standard one are none of the sync's business.
    if (isSetUp() && m_started && !m_applying && m_document->mode() == ListMode::Standard)
        m_changeTimer->start();
}

std::optional<SyncController::Target> SyncController::target(bool onDemand, QString* why) const
{
    Target t;
    t.mode = m_document->mode();
    if (t.mode == ListMode::Standard) {
        if (!isSetUp())
            return std::nullopt;
        t.listPath = m_document->paths().standardList;
        t.account = {m_settings.url, m_settings.user, {}, m_settings.trustedCertificate};
        t.collection = m_settings.collection;
        if (m_settings.passwordInKeyring)
            t.passwordKey = SecretStore::syncKey(m_settings.url, m_settings.user);
    } else if (!onDemand) {
        // Runs of their own are the standard list's.
        *why = text("NotStandard");
        return std::nullopt;
    } else if (t.mode == ListMode::External && !m_document->externalFileName().isEmpty()) {
        t.listPath = m_document->externalFileName();
    } else {
        *why = text(t.mode == ListMode::External  ? "NewList"
                    : t.mode == ListMode::History ? "History"
                                                  : "NotStandard");
        return std::nullopt;
    }
    if (const IoResult r = SyncState::loadFor(t.listPath, t.state); !r) {
        *why = IoMessage(r);
        return std::nullopt;
    }
    if (t.mode == ListMode::External) {
        if (t.state.collection.isEmpty()) {
            *why = text("ExternalNotSetUp").arg(ShownPath(t.listPath));
            return std::nullopt;
        }
        t.collection = t.state.collection;
        t.account = {t.collection, t.state.user, {}, {}};
        // The settings' password and certificate serve the same user on the same server.
        if (isSetUp() && t.state.user == m_settings.user && sameServer(t.collection, m_settings.url)) {
            t.account.trustedCertificate = m_settings.trustedCertificate;
            if (m_settings.passwordInKeyring)
                t.passwordKey = SecretStore::syncKey(m_settings.url, m_settings.user);
        }
    }
    return t;
}

void SyncController::run(bool onDemand)
{
    if (m_running) {
        m_queued = true;
        m_queuedOnDemand = m_queuedOnDemand || onDemand;
        return;
    }
    m_changeTimer->stop();
    QString why;
    std::optional<Target> t = target(onDemand, &why);
    if (!t) {
        if (!why.isEmpty()) {
            SyncReport refused;
            refused.error = why;
            finish(refused);
        }
        return;
    }
    m_target = std::move(*t);
    m_running = true;
    m_switched = false;
    Q_EMIT runningChanged(true);
    setStatus(text("Running"));
    if (m_target.passwordKey.isEmpty()) {
        start(QString());
        return;
    }
    QPointer<SyncController> self(this);
    m_store->read(m_target.passwordKey, [self](const QString& password, const SecretStoreError& error) {
        if (!self)
            return;
        if (error.failed()) {
            // Only an account with a saved password gets here: without the store there is no sync.
            SyncReport failed;
            failed.error =
                text("KeyringNeeded").arg(self->m_target.account.url.toDisplayString(), storeReason(error));
            self->finish(failed);
            return;
        }
        self->start(password);
    });
}

void SyncController::start(const QString& password)
{
    SyncAccount account = m_target.account;
    account.password = password;
    const QString statePath = SyncState::pathFor(m_target.listPath);
    QPointer<SyncController> self(this);
    // The server sees an import whole, never a part of it.
    m_document->finishPendingChanges();
    engine().synchronize(
        account, m_target.collection, m_document->list(), m_target.state,
        [statePath](const SyncState& s) { return s.save(statePath); },
        [self](const SyncOutcome& outcome) {
            if (self)
                self->take(outcome);
        });
}

bool SyncController::stillShown() const
{
    return !m_switched && m_document->mode() == m_target.mode &&
           (m_target.mode != ListMode::External || m_document->externalFileName() == m_target.listPath);
}

void SyncController::take(SyncOutcome outcome)
{
    const QString statePath = SyncState::pathFor(m_target.listPath);
    // The state first, with what the list is to get marked pending: should the list not be saved, the
    // next run brings it again instead of reading its rows as deleted.
    if (const IoResult r = outcome.state.save(statePath); !r) {
        outcome.report.ok = false;
        outcome.report.error = IoMessage(r);
        finish(outcome.report);
        return;
    }
    if (!stillShown()) {
        // Not the rows the run started from: they get nothing now, the next run settles what is pending.
        outcome.report.ok = false;
        outcome.report.error = text("Switched");
        finish(outcome.report);
        return;
    }
    // The server's new rows go behind a whole import, not among its rows.
    m_document->finishPendingChanges();
    ToDoListModel* rows = m_document->model();
    std::vector<SyncRowChange> missed;
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
            missed.push_back(change);
        else if (change.kind == SyncRowChange::Kind::Update)
            rows->replaceItem(int(it - items.begin()), change.after);
        else
            rows->removeRows({int(it - items.begin())});
    }
    // Waits for the save: the state may call the changes settled only once the file holds them. An
    // external list goes to its own file as the command line's sync does: Synchronize was the user's word.
    QuietPrompter quiet;
    const bool saved = !m_document->isModified() ||
                       (m_target.mode == ListMode::Standard ? m_document->autosaveAndWait()
                                                            : m_document->SaveExternalList(quiet));
    m_applying = false;
    if (!saved || m_document->isModified()) {
        outcome.report.ok = false;
        outcome.report.error =
            quiet.said.isEmpty() ? text("NotSaved") : quiet.said + QStringLiteral("; ") + text("NotSaved");
    } else {
        // A row the user changed meanwhile keeps its entry pending: the next run then merges the two
        // versions instead of reading the server's as the one the list already has.
        outcome.state.settleReceived(missed);
        const qint64 noted = outcome.state.listModifiedNs;
        outcome.state.noteList(m_target.listPath);
        if (!outcome.changes.empty() || outcome.state.listModifiedNs != noted) {
            if (const IoResult r = outcome.state.save(statePath); !r) {
                outcome.report.ok = false;
                outcome.report.error = IoMessage(r);
            }
        }
    }
    if (!missed.empty() && m_target.mode == ListMode::Standard)
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
        const bool onDemand = m_queuedOnDemand;
        m_queued = m_queuedOnDemand = false;
        run(onDemand);
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
                  [done = std::move(done)](const QString& password, const SecretStoreError& error) {
                      done(password, storeFailure(error));
                  });
}

void SyncController::storePassword(const QUrl& url, const QString& user, const QString& password,
                                   std::function<void(const QString& error)> done)
{
    // The dialog that asked may be closed by the time the store answers: a failure shows in the status
    // line as well.
    QPointer<SyncController> self(this);
    m_store->write(SecretStore::syncKey(url, user), password, [self, done](const SecretStoreError& reason) {
        const QString error = storeFailure(reason);
        if (self && !error.isEmpty())
            self->setStatus(error);
        if (done)
            done(error);
    });
}
