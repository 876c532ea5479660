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
#include <malloc.h>

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

// The load floor: the file in pieces of a megabyte, every length prefix walked, one block per record.
qint64 readAndWalk(const QString& path, std::vector<QByteArray>& rows)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    QByteArray buffer(qsizetype(1) << 20, Qt::Uninitialized);
    qsizetype have = f.read(buffer.data(), buffer.size());
    qsizetype pos = 4; // where the record being read starts
    const qint32 count = at(buffer.constData());
    rows.reserve(size_t(count));
    // The first n bytes of the record, read when they are not yet in the buffer (the record then moves to
    // its front).
    const auto need = [&](qsizetype n) {
        if (pos + n > have) {
            std::memmove(buffer.data(), buffer.constData() + pos, size_t(have - pos));
            have -= pos;
            pos = 0;
            if (n > buffer.size())
                buffer.resize(n);
            while (have < n) {
                const qint64 got = f.read(buffer.data() + have, buffer.size() - have);
                if (got <= 0)
                    break;
                have += got;
            }
        }
        return buffer.constData() + pos;
    };
    qint64 texts = 0;
    for (qint32 i = 0; i < count; ++i) {
        // The flag's length and the flag, the action, the last column index, the values.
        qsizetype n = 5;
        n += 4 + at(need(n + 4) + n);
        const qint32 last = at(need(n + 4) + n);
        n += 4;
        for (qint32 k = 0; k <= last; ++k, ++texts)
            n += 4 + at(need(n + 4) + n);
        rows.emplace_back(need(n) + 5, n - 5);
        pos += n;
    }
    return texts;
}

void BM_Load(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const QString path = listPath(count);
    double op = 0, floor = 0;
    for (auto _ : state) {
        // Floor and operation alternate, so both see the same cache state.
        // Each starts on the same heap: what the other made is gone before it runs.
        std::vector<QByteArray> rows;
        const auto t0 = SteadyClock::now();
        benchmark::DoNotOptimize(readAndWalk(path, rows));
        const auto t1 = SteadyClock::now();
        if (rows.size() != size_t(count))
            state.SkipWithError("floor read no rows");
        std::vector<QByteArray>().swap(rows);
        ToDoList list;
        const IoResult r = LoadListFile(list, path);
        const auto t2 = SteadyClock::now();
        if (!r.ok || list.size() != count)
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(list.items.data());
        floor += seconds(t0, t1);
        op += seconds(t1, t2);
        state.SetIterationTime(seconds(t1, t2));
    }
    reportRatio(state, "load " + std::to_string(count) + " items (target < 2x floor)", op, floor);
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
