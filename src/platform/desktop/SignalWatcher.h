#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (a closed terminal) into a Qt signal delivered by the event loop, where it
// is safe to save files.
class SignalWatcher : public QObject
{
    Q_OBJECT

public:
    explicit SignalWatcher(QObject* parent = nullptr);
    ~SignalWatcher() override;

Q_SIGNALS:
    void terminationRequested(int signalNumber);

private:
    static void handler(int signalNumber);

    QSocketNotifier* m_notifier = nullptr;
    bool m_hangUpWatched = false;
};
