// The hand-over socket between a later start and the running window: a flood of idle connections cannot
// lock the window out, and a start hands nothing to a socket in a folder it cannot trust.
#include "platform/desktop/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <cstring>
#include <future>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
int openDescriptors()
{
    return int(
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}

// The sending side waits on its socket, so it runs beside the event loop that serves the window's side.
bool handOver(const QString& dataFolder, const QString& file)
{
    const SingleInstance start(dataFolder);
    auto sent = std::async(std::launch::async, [&] { return start.sendToRunning(file, 3000); });
    while (sent.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return sent.get();
}

// A connection that sends nothing; -1 when the window's queue was full.
int idleConnection(const QString& socketPath)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(socketPath);
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}
} // namespace

class HandOverTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // The socket folder lives below the temporary folder: one of the test's own.
        QVERIFY(m_temp.isValid());
        qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
        rlimit limit{};
        ::getrlimit(RLIMIT_NOFILE, &limit);
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }

    void aFloodOfIdleConnectionsLeavesRoomForARealHandOver()
    {
        QTemporaryDir data;
        SingleInstance window(data.path());
        QVERIFY(window.listen());
        QSignalSpy requests(&window, &SingleInstance::activationRequested);
        const int before = openDescriptors();

        rlimit limit{};
        ::getrlimit(RLIMIT_NOFILE, &limit);
        const int flood = int(std::min<rlim_t>(1000, limit.rlim_cur - rlim_t(before) - 64));
        QVERIFY2(flood > 100, "too few descriptors allowed for the flood");
        std::vector<int> idle;
        for (int i = 0; i < flood; ++i) {
            if (const int fd = idleConnection(SingleInstance::socketPath(data.path())); fd >= 0)
                idle.push_back(fd);
            if (i % 8 == 0)
                QCoreApplication::processEvents();
        }
        QCoreApplication::processEvents();
        QVERIFY(idle.size() > 100);
        // The window's side holds a bounded number of them, not one per connection.
        QVERIFY2(openDescriptors() - before - int(idle.size()) <= 16 + 2,
                 qPrintable(QString::number(openDescriptors() - before - int(idle.size()))));

        // Connections that never bring a request are dropped in time; then a real start gets through
        // while the flood is still open.
        QTest::qWait(5500);
        QVERIFY(openDescriptors() - before - int(idle.size()) <= 2);
        QVERIFY(handOver(data.path(), QStringLiteral("/lists/Real.tdx")));
        QTRY_COMPARE(requests.count(), 1);
        QCOMPARE(requests.at(0).at(0).toString(), QStringLiteral("/lists/Real.tdx"));
        for (const int fd : idle)
            ::close(fd);
    }

    void aStartHandsNothingToAFolderItCannotTrust()
    {
        QTemporaryDir data;
        SingleInstance window(data.path());
        QVERIFY(window.listen());
        QSignalSpy requests(&window, &SingleInstance::activationRequested);
        const QString folder = QFileInfo(SingleInstance::socketPath(data.path())).path();
        const QByteArray name = QFile::encodeName(folder);

        QVERIFY(::chmod(name.constData(), 0755) == 0);
        QVERIFY(!handOver(data.path(), QStringLiteral("/lists/A.tdx")));
        // The same folder reached through a link.
        QVERIFY(::chmod(name.constData(), 0700) == 0);
        QVERIFY(QFile::rename(folder, folder + QStringLiteral(".real")));
        QVERIFY(QFile::link(folder + QStringLiteral(".real"), folder));
        QVERIFY(!handOver(data.path(), QStringLiteral("/lists/B.tdx")));
        QCoreApplication::processEvents();
        QCOMPARE(requests.count(), 0);

        // Put right again, the hand-over goes through: the refusals above were the folder's.
        QVERIFY(QFile::remove(folder));
        QVERIFY(QFile::rename(folder + QStringLiteral(".real"), folder));
        QVERIFY(handOver(data.path(), QStringLiteral("/lists/C.tdx")));
        QTRY_COMPARE(requests.count(), 1);
    }

private:
    QTemporaryDir m_temp;
};

QTEST_GUILESS_MAIN(HandOverTest)
#include "handover_test.moc"
