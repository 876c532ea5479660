#include "app/CommandLine.h"
#include "app/TQuillmar.h"
#include "config/Paths.h"
#include "dialogs/MessageBox.h"
#include "platform/InstanceLock.h"
#include "platform/Regional.h"
#include "platform/desktop/SignalWatcher.h"
#include "platform/desktop/SingleInstance.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSessionManager>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <cstdio>

namespace
{
QStringList rawArguments(int argc, char* argv[])
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

int runWithoutWindow(const CommandLineOptions& options, int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quillmar"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLMAR_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    const int status = CommandLine::run(options, out, err);
    out.flush();
    err.flush();
    return status;
}

bool hasScreenForDialogs()
{
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

int runWindow(const CommandLineOptions& options, int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmar"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quillmar"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLMAR_VERSION));
    // Closing the window only puts it aside; the program ends through Exit.
    QApplication::setQuitOnLastWindowClosed(false);

    if (!options.dataDir.isEmpty())
        SetDataFolderOverride(options.dataDir);
    InitDataPaths();
    InitSettingsFilePath();
    Regional::useSystemLocale();
    QDir().mkpath(DataFolder());

    const QString listFile = options.listFile.isEmpty() ? QString() : QFileInfo(options.listFile).absoluteFilePath();

    // A window already owns this data folder: hand it our list file and leave.
    SingleInstance instance(DataFolder());
    if (instance.sendToRunning(listFile))
        return 0;
    auto lock = std::make_unique<InstanceLock>(DataFolder());
    bool locked = lock->tryLock();
    // The other window may still be starting up; give it a moment to answer.
    for (int attempt = 0; !locked && attempt < 10; ++attempt) {
        QThread::msleep(200);
        if (instance.sendToRunning(listFile, 500))
            return 0;
        locked = lock->tryLock();
    }
    if (!locked) {
        const qint64 pid = InstanceLock::holderPid(DataFolder());
        const QString message =
            QStringLiteral("Quillmar is already running for the data folder %1%2, but does not answer. Close it "
                           "first; its lists are not changed by this start.")
                .arg(QDir::toNativeSeparators(DataFolder()),
                     pid > 0 ? QStringLiteral(" (process %1)").arg(pid) : QString());
        QTextStream(stderr) << "quillmar: " << message << '\n';
        if (hasScreenForDialogs())
            MessageBox::information(nullptr, message);
        return 1;
    }
    instance.listen();

    TQuillmar window(listFile);
    window.adoptInstanceLock(std::move(lock));
    QObject::connect(&instance, &SingleInstance::activationRequested, &window,
                     [&window](const QString& file) { window.activateFromOtherInstance(file); });

    // Ending without Exit (kill, Ctrl+C, logout) saves exactly what Exit saves.
    SignalWatcher watcher;
    QObject::connect(&watcher, &SignalWatcher::terminationRequested, &window, [&window] {
        window.saveEverything();
        window.ExitMenuClick();
    });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, [&window](QSessionManager&) {
        window.saveEverything();
        QTimer::singleShot(0, &window, [&window] { window.ExitMenuClick(); });
    });

    window.show();
    // Start-up measurements: end as soon as the window is on screen.
    if (qEnvironmentVariableIsSet("QUILLMAR_QUIT_WHEN_SHOWN"))
        QTimer::singleShot(0, &app, [] { QCoreApplication::exit(0); });
    return app.exec();
}
} // namespace

int main(int argc, char* argv[])
{
    const CommandLineOptions options = CommandLine::parse(rawArguments(argc, argv));
    if (options.mode != CommandLineOptions::Mode::Gui)
        return runWithoutWindow(options, argc, argv);

    return runWindow(options, argc, argv);
}
