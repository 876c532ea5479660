#include "app/CommandLine.h"
#include "app/TQuillmar.h"
#include "config/FolderChoices.h"
#include "config/IoMessage.h"
#include "config/LanguageTexts.h"
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

#include <cstdio>
#include <ctime>

#include <sys/resource.h>

namespace {
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

void reportFirstFrame()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto micros = [](const timeval& t) { return qint64(t.tv_sec) * 1000000 + t.tv_usec; };
    std::printf("first frame at %lld ns, cpu %lld us\n", qint64(now.tv_sec) * 1000000000LL + now.tv_nsec,
                micros(usage.ru_utime) + micros(usage.ru_stime));
    std::fflush(stdout);
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
    QApplication::setApplicationVersion(QStringLiteral(QUILLMAR_VERSION));
    // The desktop entry of the installation, by which the desktop shows the window with its icon and name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quillmar.Quillmar"));
    // Closing the window only puts it aside; the program ends through Exit.
    QApplication::setQuitOnLastWindowClosed(false);

    // Ending without Exit (kill, Ctrl+C, logout) is handled from the first moment on, also while a message
    // box of the start-up is open: what the window holds is saved without asking, and no box waits.
    TQuillmar* window = nullptr;
    bool ended = false;
    auto endNow = [&window, &ended] {
        if (ended)
            return;
        ended = true;
        MessageBox::setUnattended(true);
        if (window)
            window->endSession();
        QCoreApplication::exit(0);
    };
    SignalWatcher watcher;
    QObject::connect(&watcher, &SignalWatcher::terminationRequested, &app, endNow);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app, [&window](QSessionManager&) {
        // The session asks before it ends: save now; the end itself follows as a signal or an exit.
        if (window)
            window->endSession(false);
    });

    if (!options.dataDir.isEmpty())
        SetDataFolderOverride(options.dataDir);
    InitDataPaths();
    InitSettingsFilePath();
    Regional::useSystemLocale();
    // The refusals below are the window's: in its language, as far as the settings can be read yet.
    LanguageTexts::shared().load(SettingsFilePath(), LanguageTexts::Window::Main);
    const auto said = [](const char* key) { return LanguageTexts::shared().text("Startup", key); };
    // Said once, here and in a box: every message below would otherwise blame a running window.
    auto refuse = [&ended](const QString& message) {
        QTextStream(stderr) << "quillmar: " << message << '\n';
        if (hasScreenForDialogs() && !ended)
            MessageBox::information(nullptr, message);
        return 1;
    };
    if (!EnsureDataFolder())
        return refuse(said("NoDataFolder").arg(QDir::toNativeSeparators(DataFolder())));

    const QString listFile =
        options.listFile.isEmpty() ? QString() : QFileInfo(options.listFile).absoluteFilePath();

    // The data folder is ours when its lock is free; otherwise a window owns it: hand it our list file and
    // leave. The window listens only once it is on screen, so give one that is still starting a moment.
    SingleInstance instance(DataFolder());
    auto lock = std::make_unique<InstanceLock>(DataFolder());
    bool locked = lock->tryLock();
    if (!locked && lock->error().kind == IoError::Busy && instance.sendToRunning(listFile))
        return 0;
    for (int attempt = 0; !locked && lock->error().kind == IoError::Busy && attempt < 10 && !ended;
         ++attempt) {
        QThread::msleep(200);
        QCoreApplication::processEvents();
        if (instance.sendToRunning(listFile, 500))
            return 0;
        locked = lock->tryLock();
    }
    if (!locked) {
        // Not held by anyone: the lock itself failed (a full disk, a read-only folder), and says why.
        if (lock->error().kind != IoError::Busy)
            return refuse(IoMessage(lock->error()));
        const InstanceLock::Holder holder = InstanceLock::holder(DataFolder());
        const QString folder = QDir::toNativeSeparators(DataFolder());
        const bool commandLine = holder.roleKnown && holder.role == InstanceLock::Role::CommandLine;
        const char* key = commandLine ? (holder.pid > 0 ? "CommandLineRun" : "CommandLineRunNoPid")
                                      : (holder.pid > 0 ? "NotAnswering" : "NotAnsweringNoPid");
        return refuse(holder.pid > 0 ? said(key).arg(folder).arg(holder.pid) : said(key).arg(folder));
    }

    // The folder is ours now: no save of another run is under way there, so what a crashed one left goes.
    RemoveDataFolderLeftovers();
    // Before anything reads or writes its files: how they are encoded and how their dates read, fixed
    // for good at the folder's first start (the window reads the code page back from the settings file).
    const FolderChoices choices = FolderChoices::ofDataFolder();
    choices.apply();
    if (IoResult r = choices.fix(SettingsFilePath()); !r)
        QTextStream(stderr) << "quillmar: " << IoMessage(r) << '\n';

    TQuillmar mainWindow;
    window = &mainWindow;
    mainWindow.adoptInstanceLock(std::move(lock));
    QObject::connect(&instance, &SingleInstance::activationRequested, &mainWindow,
                     [&mainWindow](const QString& file) { mainWindow.handOver(file); });
    // What the first frame does not need comes after it: a later start is listened to from then on.
    QObject::connect(&mainWindow, &TQuillmar::firstFrameShown, &instance, [&instance] { instance.listen(); });
    // Start-up measurements: the moment of the first frame (monotonic clock, nanoseconds) and the processor
    // time spent until then, then the end.
    if (qEnvironmentVariableIsSet("QUILLMAR_QUIT_WHEN_SHOWN"))
        QObject::connect(&mainWindow, &TQuillmar::firstFrameShown, &app, [] {
            reportFirstFrame();
            QCoreApplication::exit(0);
        });
    if (!ended)
        mainWindow.show();
    if (!ended)
        mainWindow.startUp(listFile);
    if (ended)
        return 0;
    const int status = app.exec();
    window = nullptr;
    return status;
}
} // namespace

int main(int argc, char* argv[])
{
    QString unrepresentable;
    const QStringList args = CommandLine::decodeArguments(argc, argv, &unrepresentable);
    if (!unrepresentable.isEmpty()) {
        std::fprintf(stderr,
                     "quillmar: the argument \"%s\" cannot be represented in the character encoding of this "
                     "locale, so no file of that name can be used; nothing was done.\n",
                     unrepresentable.toUtf8().constData());
        return 1;
    }
    const CommandLineOptions options = CommandLine::parse(args);
    if (options.mode != CommandLineOptions::Mode::Gui)
        return runWithoutWindow(options, argc, argv);

    return runWindow(options, argc, argv);
}
