// Load and save of large list files, each timed next to a floor measured in the same run:
//   load floor: read the same bytes from the file and walk their length prefixes, building no rows;
//   save floor: write the same bytes to a temporary file, fsync it and rename it over the target.
// Targets: load and save within 2x their floors; 100,000 rows held in memory in under 3x the file size.
#include "BenchUtil.h"
#include "model/ListFile.h"

#include <QFile>
#include <QtEndian>

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

// The load floor: read the bytes and walk every length prefix, building nothing.
qint64 readAndWalk(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QByteArray bytes = f.readAll();
    const char* p = bytes.constData();
    qint64 pos = 4, texts = 0;
    const qint32 count = at(p);
    for (qint32 i = 0; i < count; ++i) {
        pos += 5;
        pos += 4 + at(p + pos);
        const qint32 last = at(p + pos);
        pos += 4;
        for (qint32 k = 0; k <= last; ++k, ++texts)
            pos += 4 + at(p + pos);
    }
    for (int list = 0; list < 2; ++list) {
        const qint32 last = at(p + pos);
        pos += 4;
        for (qint32 k = 0; k <= last; ++k, ++texts)
            pos += 4 + at(p + pos);
    }
    return pos + texts;
}

void BM_Load(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const QString path = listPath(count);
    double op = 0, floor = 0;
    for (auto _ : state) {
        // Floor and operation alternate, so both see the same cache state.
        const auto t0 = SteadyClock::now();
        benchmark::DoNotOptimize(readAndWalk(path));
        const auto t1 = SteadyClock::now();
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
