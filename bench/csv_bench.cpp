// CSV export and import of 100,000 rows, each timed next to a floor measured in the same run:
//   export floor: write the same bytes to the file the same way (a save file, committed);
//   import floor: read the same bytes and find every line end with memchr, building no rows.
// Target: both within 3x their floors.
#include "BenchUtil.h"
#include "exchange/CSVExchange.h"

#include <QFile>

#include <cstring>

namespace {
using namespace benchutil;
using Clock = SteadyClock;

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

void BM_CSVExport(benchmark::State& state)
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
        commitBytes(floorTarget, bytes);
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
    reportRatio(state, "export " + std::to_string(count) + " rows (target < 3x floor)", op, floor);
}

void BM_CSVImport(benchmark::State& state)
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
    reportRatio(state, "import " + std::to_string(count) + " rows (target < 3x floor)", op, floor);
}
} // namespace

BENCHMARK(BM_CSVExport)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CSVImport)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runAndPrintRatios(argc, argv);
}
