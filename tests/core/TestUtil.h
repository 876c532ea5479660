#pragma once

#include "config/Paths.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

// Small helpers shared by the window-free tests.
namespace testutil {
// An application object, for the events that work beside the window posts to it. Its loop turns only where
// a test turns it (the autosave timers of these tests are off or a minute long). Made once, it stays for the
// other tests of the program.
inline void makeEventQueue()
{
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    (void)app;
}

// Turns the event loop as the window's would until a save beside the window has ended and been taken in.
// Timers run too: a long list's rows are copied for the save a few milliseconds per turn, each turn started
// by a timer.
template <class Document> void takeInSaveEnd(Document& doc)
{
    while (doc.isSaving()) {
        QThread::usleep(100);
        QCoreApplication::processEvents();
    }
}

inline QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline QByteArray le32(qint32 v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<char>((static_cast<quint32>(v) >> (8 * i)) & 0xFF);
    return b;
}

inline QByteArray textField(const QByteArray& text)
{
    return le32(static_cast<qint32>(text.size())) + text;
}

// A temporary folder that is the data folder while this object lives.
struct TempDataFolder
{
    QTemporaryDir dir;

    explicit TempDataFolder(const QString& sub = QString())
    {
        const QString folder = sub.isEmpty() ? dir.path() : dir.filePath(sub);
        QDir().mkpath(folder);
        ResetDataPaths();
        SetDataFolderOverride(folder);
        InitDataPaths();
        InitSettingsFilePath();
    }
    ~TempDataFolder()
    {
        SetDataFolderOverride({});
        ResetDataPaths();
    }
};

// The quillmar program the tests run ($QUILLMAR_BIN), or empty when there is none.
inline QString quillmarBin()
{
    const QString bin = qEnvironmentVariable("QUILLMAR_BIN");
    return QFileInfo(bin).isExecutable() ? bin : QString();
}

struct Outcome
{
    int status = -1; // -1 when the program did not end normally
    QByteArray out;
    QByteArray err;
};

// Runs the program to its end, in a UTF-8 locale and without a display.
inline Outcome runQuillmar(const QStringList& args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(quillmarBin(), args);
    if (!p.waitForFinished(60000))
        p.kill();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}
} // namespace testutil
