#pragma once

#include "app/SyncEngine.h"
#include "config/SyncSettings.h"
#include "exchange/sync/SyncService.h"
#include "model/ListMode.h"

#include <QDateTime>
#include <QString>

#include <memory>
#include <optional>

class ListDocument;
class QTimer;
class SecretStore;

// When a list is synchronized, and what the window hears of it. The standard list, with the collection
// of the [Sync] settings, runs
// - once after the first frame (the network module is loaded only when sync is set up),
// - a while after the last change of the list (changeDelay, so that typing is not interrupted),
// - every intervalMinutes (none for 0),
// - and on demand.
// An external list runs on demand only, with the collection its own sync state names (the command line's
// --sync set it up); one never set up, a new list and the history list are refused with the reason.
// Never two at once: a request during a run leaves one more run to follow it. A run that fails changes
// nothing but the status line; the changes wait for the next run.
//
// The secret store is asked only for an account with a password saved: a server that wants none syncs
// on a desktop without a keyring.
//
// A run takes a snapshot of the rows. Its state (what the list is to get marked pending) is saved before
// anything else; then what the server changed comes into the rows (a row the user changed meanwhile is
// left for the next run), the list is saved, and only then is the state settled: a state that names rows
// the list file does not hold would read as deletions. A list switched during a run gets nothing now; the
// next run settles what is pending.
class SyncController : public SyncService
{
    Q_OBJECT

public:
    struct Timing
    {
        int changeDelayMs = 10 * 1000;
        // Tests shorten the minute of the interval.
        int minuteMs = 60 * 1000;
    };

    SyncController(ListDocument* document, std::shared_ptr<SecretStore> store, QObject* parent = nullptr);
    ~SyncController() override;

    // The engine is made on first use; tests put in their own.
    void setEngineFactory(SyncEngineFactory factory);
    void setSecretStore(std::shared_ptr<SecretStore> store);
    void setTiming(const Timing& timing);

    // Takes the [Sync] settings (at start and after the settings dialog) and sets the interval.
    void takeSettings(const SyncSettings& settings);
    const SyncSettings& settings() const { return m_settings; }
    bool isSetUp() const { return m_settings.isSetUp(); }
    bool isRunning() const { return m_running; }
    // The first frame is out: the first run goes now.
    void startAfterFirstFrame();
    // The "Synchronize" command.
    void syncNow();

    // ---- SyncService ----
    void findCollections(const SyncAccount& account,
                         std::function<void(const SyncReport&, const QList<SyncCollection>&)> done) override;
    void readPassword(const QUrl& url, const QString& user,
                      std::function<void(const QString& password, const QString& error)> done) override;
    void storePassword(const QUrl& url, const QString& user, const QString& password,
                       std::function<void(const QString& error)> done) override;

    // The status line of a finished run.
    static QString statusText(const SyncReport& report, const QTime& at);

Q_SIGNALS:
    void setUpChanged(bool setUp);
    // A run did something the user should know of (both versions of an item kept, an item kept although
    // deleted elsewhere); text says so in a line.
    void needsAttention(const QString& text);

private:
    // The list a run synchronizes, and with what.
    struct Target
    {
        ListMode mode = ListMode::Standard;
        QString listPath;
        SyncAccount account;
        QUrl collection;
        // The secret store's key of the password; empty: the account has none.
        QString passwordKey;
        SyncState state;
    };

    void listChanged();
    // onDemand: the Synchronize command (an external list is synchronized only then).
    void run(bool onDemand = false);
    // The shown list's target; none with *why set (empty: nothing to say).
    std::optional<Target> target(bool onDemand, QString* why) const;
    void start(const QString& password);
    bool stillShown() const;
    // What a run brought: the state kept, the changes into the rows, the list saved, the state settled.
    void take(SyncOutcome outcome);
    void finish(SyncReport report, const QStringList& notes = {});
    SyncEngine& engine();
    void setStatus(const QString& text);

    ListDocument* m_document;
    std::shared_ptr<SecretStore> m_store;
    SyncEngineFactory m_engineFactory;
    std::unique_ptr<SyncEngine> m_engine;
    SyncSettings m_settings;
    Timing m_timing;
    QTimer* m_changeTimer;
    QTimer* m_intervalTimer;
    bool m_running = false;
    bool m_queued = false;
    bool m_queuedOnDemand = false;
    // The running (or last) run's list.
    Target m_target;
    bool m_started = false;
    // Set when another list was shown while a run was out.
    bool m_switched = false;
    bool m_applying = false;
};
