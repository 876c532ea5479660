// Peak memory (the largest resident set) of a window start with a 1,000,000-item standard list, against the
// size of the list file: the program on the offscreen platform, ending once its first frame is out. For
// information also a start with no items and the command line's listing of the same list.
// Target: the start within 2x the file size.
#include "BenchUtil.h"
#include "platform/BufferedWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>

#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {
constexpr int kItems = 1000000;

QByteArray le32(qint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian<qint32>(v, b.data());
    return b;
}

// The list file written row by row, without the list in memory.
bool writeList(const QString& path, int count)
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    BufferedWriter out(fd, path);
    out.append(le32(count));
    for (int i = 0; i < count; ++i) {
        const ToDoItem item = benchutil::makeItem(i);
        out.append(le32(1));
        out.append(item.checked() ? '\1' : '\0');
        out.append(item.record());
    }
    const ToDoList names = benchutil::makeList(0);
    for (const QByteArrayList* list : {&names.OwnerNames, &names.ProjectNames}) {
        out.append(le32(qint32(list->size()) - 1));
        for (const QByteArray& name : *list) {
            out.append(le32(qint32(name.size())));
            out.append(name);
        }
    }
    const bool ok = out.finish().ok;
    ::close(fd);
    return ok;
}

// Runs program with args (output to /dev/null) and gives its peak resident set in bytes; -1 on failure.
qint64 peakOf(const QString& program, const QStringList& args)
{
    std::vector<QByteArray> storage{QFile::encodeName(program)};
    for (const QString& a : args)
        storage.push_back(QFile::encodeName(a));
    std::vector<char*> argv;
    for (QByteArray& a : storage)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1;
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return qint64(usage.ru_maxrss) * 1024;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString quillmar = benchutil::quillmarProgram();
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("QUILLMAR_QUIT_WHEN_SHOWN", "1", 1);

    QTemporaryDir dir;
    const QString full = dir.path() + QStringLiteral("/full/");
    const QString empty = dir.path() + QStringLiteral("/empty/");
    QDir().mkpath(full);
    QDir().mkpath(empty);
    const QString listFile = full + QStringLiteral("ToDoX.tdo");
    if (!writeList(listFile, kItems)) {
        std::fprintf(stderr, "could not write the list\n");
        return 1;
    }
    const double fileMB = QFileInfo(listFile).size() / 1e6;
    // A first start of each folder makes its settings file.
    peakOf(quillmar, {QStringLiteral("--data-dir"), empty});
    const qint64 none = peakOf(quillmar, {QStringLiteral("--data-dir"), empty});
    const qint64 start = peakOf(quillmar, {QStringLiteral("--data-dir"), full});
    const qint64 print = peakOf(quillmar, {QStringLiteral("--data-dir"), full, QStringLiteral("--print")});
    if (none < 0 || start < 0 || print < 0) {
        std::fprintf(stderr, "quillmar did not end cleanly\n");
        return 1;
    }
    std::printf("list file with %d items: %.1f MB\n", kItems, fileMB);
    std::printf("window start, peak resident set: %.1f MB = %.2fx the file (target within 2x)\n", start / 1e6,
                start / 1e6 / fileMB);
    std::printf(
        "  for information: a start with no items %.1f MB; --print of the list %.1f MB = %.2fx the file\n",
        none / 1e6, print / 1e6, print / 1e6 / fileMB);
    return 0;
}
