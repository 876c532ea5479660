// Load and save of large list files, each timed next to a floor measured in the same run:
//   load floor: read the same bytes from the file and walk their length prefixes, building no rows;
//   save floor: write the same bytes to a temporary file, fsync it and rename it over the target.
// Targets: load and save within 2x their floors; 100,000 rows held in memory in under 3x the file size.
#include "model/ListFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <malloc.h>
#include <map>
#include <string>
#include <unistd.h>

namespace {
using Clock = std::chrono::steady_clock;

std::map<std::string, double>& ratios()
{
    static std::map<std::string, double> r;
    return r;
}

QTemporaryDir& workDir()
{
    static QTemporaryDir dir;
    return dir;
}

// About 240 bytes per record, with texts of varying length like a real list.
ToDoList makeList(int count)
{
    static const char* actions[] = {"Call the plumber about the leaking kitchen tap",
                                    "Prepare slides for the quarterly review meeting",
                                    "Renew the car insurance before the end of the month",
                                    "Order new toner cartridges for the office printer",
                                    "Book train tickets to Hamburg for the trade fair"};
    static const char* remarks[] = {"Ask for a written quote first and check the references",
                                    "Figures from finance still missing, remind Dora on Monday",
                                    "Compare at least three offers before deciding anything",
                                    "Check the model number\r\non the old one",
                                    "Window seat, return on Friday evening, no night trains"};
    static const char* owners[] = {"Anna Schmidt", "Bob Miller", "Chen Wei", "Dora Jansen"};
    static const char* projects[] = {"Household", "Q3 Review", "Car", "Office", "Trade Fair 2026"};
    ToDoList list;
    list.items.reserve(count);
    for (int i = 0; i < count; ++i) {
        ToDoItem item = ToDoItem::make(actions[i % 5], i % 7 == 0);
        item.setValue(ToDoItem::Priority, QByteArray::number(i % 5 + 1));
        item.setValue(ToDoItem::DateIn, "03.11.2026");
        item.setValue(ToDoItem::Target, QByteArray::number(i % 28 + 1) + ".12.2026");
        item.setValue(ToDoItem::Remarks, remarks[(i / 5) % 5]);
        item.setValue(ToDoItem::Owner, owners[i % 4]);
        item.setValue(ToDoItem::ProjectName, projects[(i / 3) % 5]);
        if (i % 3 == 0)
            item.setValue(ToDoItem::AlarmTime, "14:30:00");
        item.setValue(ToDoItem::FileLocation,
                      "/home/anna/Documents/plans/offer-" + QByteArray::number(i) + ".pdf");
        list.items.push_back(std::move(item));
    }
    for (const char* o : owners)
        list.OwnerNames << o;
    for (const char* p : projects)
        list.ProjectNames << p;
    return list;
}

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

// The save floor: the same bytes to a temporary file, synced, renamed over the target.
void writeSyncRename(const QByteArray& bytes, const std::string& target)
{
    const std::string tmp = target + ".floor";
    const int fd = ::open(tmp.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            break;
        done += n;
    }
    ::fsync(fd);
    ::close(fd);
    ::rename(tmp.c_str(), target.c_str());
}

double seconds(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double>(b - a).count();
}

void BM_Load(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const QString path = listPath(count);
    double op = 0, floor = 0;
    for (auto _ : state) {
        // Floor and operation alternate, so both see the same cache state.
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(readAndWalk(path));
        const auto t1 = Clock::now();
        ToDoList list;
        const IoResult r = LoadListFile(list, path);
        const auto t2 = Clock::now();
        if (!r.ok || list.size() != count)
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(list.items.data());
        floor += seconds(t0, t1);
        op += seconds(t1, t2);
        state.SetIterationTime(seconds(t1, t2));
    }
    state.counters["floor_ms"] = 1000 * floor / state.iterations();
    state.counters["x_floor"] = op / floor;
    ratios()["load " + std::to_string(count) + " items (target < 2x floor)"] = op / floor;
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
        const auto t0 = Clock::now();
        writeSyncRename(bytes, floorTarget);
        const auto t1 = Clock::now();
        const IoResult r = SaveListFile(list, target);
        const auto t2 = Clock::now();
        if (!r.ok)
            state.SkipWithError("save failed");
        floor += seconds(t0, t1);
        op += seconds(t1, t2);
        state.SetIterationTime(seconds(t1, t2));
    }
    state.counters["floor_ms"] = 1000 * floor / state.iterations();
    state.counters["x_floor"] = op / floor;
    ratios()["save " + std::to_string(count) + " items (target < 2x floor)"] = op / floor;
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
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\nRatios against the floors measured in this run:\n");
    for (const auto& [name, ratio] : ratios())
        std::printf("  %-48s %5.2fx\n", name.c_str(), ratio);
    return 0;
}
