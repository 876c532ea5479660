// Load and save of large list files, each timed next to a floor measured in the same run:
//   load floor: what any load into rows must do: read the file in pieces of a megabyte (as the load does,
//   so neither pays for a buffer of the file's size), walk every length prefix, and copy each record into
//   a block of its own;
//   save floor: write the same bytes to a temporary file, fsync it and rename it over the target.
// Targets: load and save within 2x their floors; 100,000 rows held in memory in under 3x the file size.
#include "BenchUtil.h"
#include "model/ListFile.h"

#include <QFile>
#include <QtEndian>

#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

namespace {
using namespace benchutil;

QString listPath(int count)
{
    const QString path = workDir().filePath(QStringLiteral("list%1.tdx").arg(count));
    if (!QFile::exists(path))
        SaveListFile(makeList(count), path);
    return path;
}

qint32 at(const char* p)
{
    return qFromLittleEndian<qint32>(p);
}

// The length of the record at d (flag length, flag, action, last column index, values) when all of it is
// among the avail bytes; -1 otherwise.
qsizetype recordEnd(const char* d, qsizetype avail)
{
    qsizetype n = 5;
    if (n + 4 > avail)
        return -1;
    n += 4 + at(d + n);
    if (n + 4 > avail)
        return -1;
    const qint32 last = at(d + n);
    n += 4;
    for (qint32 k = 0; k <= last; ++k) {
        if (n + 4 > avail)
            return -1;
        n += 4 + at(d + n);
    }
    return n <= avail ? n : -1;
}

// The load floor: the file in pieces of a megabyte, every length prefix walked, one block per record.
qint64 readAndWalk(const QString& path, std::vector<QByteArray>& rows)
{
    // The system's calls, no more: the file opened and read as plainly as it can be.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    QByteArray buffer(qsizetype(1) << 20, Qt::Uninitialized);
    qsizetype have = std::max<ssize_t>(0, ::read(fd, buffer.data(), size_t(buffer.size())));
    qsizetype pos = 4; // where the next record starts
    const qint32 count = at(buffer.constData());
    rows.reserve(size_t(count));
    for (qint32 i = 0; i < count;) {
        const qsizetype n = recordEnd(buffer.constData() + pos, have - pos);
        if (n >= 0) {
            rows.emplace_back(buffer.constData() + pos + 5, n - 5);
            pos += n;
            ++i;
            continue;
        }
        // The record runs past the bytes read: it moves to the front, and more are read behind it.
        std::memmove(buffer.data(), buffer.constData() + pos, size_t(have - pos));
        have -= pos;
        pos = 0;
        if (have == buffer.size())
            buffer.resize(2 * buffer.size());
        const ssize_t got = ::read(fd, buffer.data() + have, size_t(buffer.size() - have));
        if (got <= 0)
            break;
        have += got;
    }
    ::close(fd);
    return qint64(rows.size());
}

void BM_Load(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const QString path = listPath(count);
    // The best of the runs of each: the ones the machine's other load disturbed least.
    double op = 1e300, floor = 1e300;
    bool floorFirst = true;
    for (auto _ : state) {
        // Each frees what it made after its clock stopped; which one goes first alternates, so that
        // neither always finds the heap and the caches as the other left them.
        const auto runFloor = [&] {
            std::vector<QByteArray> rows;
            const auto t0 = SteadyClock::now();
            benchmark::DoNotOptimize(readAndWalk(path, rows));
            floor = std::min(floor, seconds(t0, SteadyClock::now()));
            if (rows.size() != size_t(count))
                state.SkipWithError("floor read no rows");
        };
        const auto runLoad = [&] {
            ToDoList list;
            const auto t0 = SteadyClock::now();
            const IoResult r = LoadListFile(list, path);
            const auto t1 = SteadyClock::now();
            op = std::min(op, seconds(t0, t1));
            state.SetIterationTime(seconds(t0, t1));
            if (!r.ok || list.size() != count)
                state.SkipWithError("load failed");
            benchmark::DoNotOptimize(list.items.data());
        };
        if (floorFirst) {
            runFloor();
            runLoad();
        } else {
            runLoad();
            runFloor();
        }
        floorFirst = !floorFirst;
    }
    const double runs = double(state.iterations());
    reportRatio(state, "load " + std::to_string(count) + " items (target < 2x floor)", op * runs,
                floor * runs);
}

void BM_Save(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const ToDoList list = makeList(count);
    const QByteArray bytes = SerializeList(list, true);
    const QString target = workDir().filePath(QStringLiteral("save%1.tdx").arg(count));
    const std::string floorTarget =
        workDir().filePath(QStringLiteral("floor%1.tdx").arg(count)).toStdString();
    double op = 0, floor = 0;
    for (auto _ : state) {
        const auto t0 = SteadyClock::now();
        writeSyncRename(bytes, floorTarget);
        const auto t1 = SteadyClock::now();
        const IoResult r = SaveListFile(list, target);
        const auto t2 = SteadyClock::now();
        if (!r.ok)
            state.SkipWithError("save failed");
        floor += seconds(t0, t1);
        op += seconds(t1, t2);
        state.SetIterationTime(seconds(t1, t2));
    }
    reportRatio(state, "save " + std::to_string(count) + " items (target < 2x floor)", op, floor);
}

size_t heapInUse()
{
    const struct mallinfo2 mi = mallinfo2();
    return mi.uordblks + mi.hblkhd;
}

void BM_Memory(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const QString path = listPath(count);
    const double fileSize = double(QFile(path).size());
    double ratio = 0;
    for (auto _ : state) {
        auto* list = new ToDoList;
        const size_t before = heapInUse();
        LoadListFile(*list, path);
        // The file image is freed when the load returns: what is left is the rows themselves.
        ratio = double(heapInUse() - before) / fileSize;
        delete list;
    }
    state.counters["file_MB"] = fileSize / 1e6;
    state.counters["x_file"] = ratio;
    ratios()["memory of " + std::to_string(count) + " items (target < 3x file size)"] = ratio;
}
} // namespace

BENCHMARK(BM_Load)->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memory)->Arg(100000)->Iterations(3)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runAndPrintRatios(argc, argv);
}
