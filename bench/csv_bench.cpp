// CSV export and import of 100,000 rows, each timed next to a floor measured in the same run:
//   export floor: write the same bytes to the file the same way (a save file, committed);
//   import floor: read the same bytes and find every line end with memchr, building no rows.
// Target: both within 3x their floors.
#include "exchange/CsvExchange.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

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

// Rows with all three field forms and some texts of two lines, as a spreadsheet user would have them.
std::vector<ToDoItem> makeRows(int count)
{
    static const char* actions[] = {"Send the offer to Miller, Jansen & Co", "Fix the \"login\" page",
                                    "Water the plants", "Plan the team outing\r\nfor September",
                                    "Review invoice 2026-0413 before payment"};
    static const char* remarks[] = {"", "Call first, then write", "see \"notes\" folder", "Budget: 300 EUR",
                                    "Ask Chen about the dates"};
    std::vector<ToDoItem> rows;
    rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        ToDoItem item = ToDoItem::make(actions[i % 5], i % 9 == 0);
        item.setValue(ToDoItem::Priority, QByteArray::number(i % 5 + 1));
        item.setValue(ToDoItem::DateIn, "02.11.2026");
        item.setValue(ToDoItem::Target, QByteArray::number(i % 28 + 1) + ".12.2026");
        item.setValue(ToDoItem::Remarks, remarks[(i / 5) % 5]);
        item.setValue(ToDoItem::Owner, i % 2 ? "Anna" : "Bob Miller");
        item.setValue(ToDoItem::ProjectName, "Office move");
        if (i % 4 == 0)
            item.setValue(ToDoItem::AlarmTime, "09:15:00");
        item.setValue(ToDoItem::FileLocation, "/home/anna/work/doc-" + QByteArray::number(i) + ".odt");
        rows.push_back(std::move(item));
    }
    return rows;
}

void writeSaveFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    f.commit();
}

qint64 readAndFindLineEnds(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QByteArray bytes = f.readAll();
    const char* p = bytes.constData();
    const char* end = p + bytes.size();
    qint64 lines = 0;
    while (p < end) {
        const void* hit = std::memchr(p, '\n', end - p);
        if (!hit)
            break;
        p = static_cast<const char*>(hit) + 1;
        ++lines;
    }
    return lines;
}

double seconds(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double>(b - a).count();
}

void report(benchmark::State& state, const std::string& name, double op, double floor)
{
    state.counters["floor_ms"] = 1000 * floor / state.iterations();
    state.counters["x_floor"] = op / floor;
    ratios()[name] = op / floor;
}

void BM_CsvExport(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const std::vector<ToDoItem> rows = makeRows(count);
    const QByteArray bytes = RowsToCSV(rows);
    const QString target = workDir().filePath(QStringLiteral("export.csv"));
    const QString floorTarget = workDir().filePath(QStringLiteral("floor.csv"));
    double op = 0, floor = 0;
    for (auto _ : state) {
        // Floor and operation alternate, so both see the same cache state.
        const auto t0 = Clock::now();
        writeSaveFile(floorTarget, bytes);
        const auto t1 = Clock::now();
        const IoResult r = WriteCSVFile(target, rows);
        const auto t2 = Clock::now();
        if (!r.ok)
            state.SkipWithError("export failed");
        floor += seconds(t0, t1);
        op += seconds(t1, t2);
        state.SetIterationTime(seconds(t1, t2));
    }
    state.counters["file_MB"] = bytes.size() / 1e6;
    report(state, "export " + std::to_string(count) + " rows (target < 3x floor)", op, floor);
}

void BM_CsvImport(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const QString path = workDir().filePath(QStringLiteral("import.csv"));
    WriteCSVFile(path, makeRows(count));
    double op = 0, floor = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(readAndFindLineEnds(path));
        const auto t1 = Clock::now();
        std::vector<ToDoItem> rows;
        const IoResult r = ReadCSVFile(path, rows);
        const auto t2 = Clock::now();
        if (!r.ok || rows.size() != size_t(count))
            state.SkipWithError("import failed");
        benchmark::DoNotOptimize(rows.data());
        floor += seconds(t0, t1);
        op += seconds(t1, t2);
        state.SetIterationTime(seconds(t1, t2));
    }
    report(state, "import " + std::to_string(count) + " rows (target < 3x floor)", op, floor);
}
} // namespace

BENCHMARK(BM_CsvExport)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CsvImport)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);

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
