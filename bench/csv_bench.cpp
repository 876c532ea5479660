// CSV export and import of 100,000 rows, each timed next to a floor measured in the same run:
//   export floor: write the same bytes to the file the same way (a save file, committed);
//   import floor: what any import must do at least: read the bytes (in pieces of a megabyte), find every
//   line end, and make one block per row holding its line.
// Targets: the export within 3x its floor, the import within 2x.
#include "BenchUtil.h"
#include "exchange/CSVExchange.h"

#include <QFile>

#include <cstring>

#include <fcntl.h>
#include <unistd.h>

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

// The import floor: rows as one block each, holding the bytes of their line.
qint64 readLinesIntoBlocks(const QString& path, std::vector<QByteArray>& rows)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    QByteArray buffer(qsizetype(1) << 20, Qt::Uninitialized);
    qsizetype have = 0;
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data() + have, size_t(buffer.size() - have));
        if (got <= 0)
            break;
        have += got;
        const char* p = buffer.constData();
        const char* end = p + have;
        while (const void* hit = std::memchr(p, '\n', size_t(end - p))) {
            const char* lineEnd = static_cast<const char*>(hit);
            rows.emplace_back(p, lineEnd - p);
            p = lineEnd + 1;
        }
        have = end - p;
        std::memmove(buffer.data(), p, size_t(have));
    }
    ::close(fd);
    if (have > 0)
        rows.emplace_back(buffer.constData(), have);
    return qint64(rows.size());
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
        // Each starts on the same heap: what the other made is gone before it runs.
        std::vector<QByteArray> lines;
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(readLinesIntoBlocks(path, lines));
        const auto t1 = Clock::now();
        benchmark::DoNotOptimize(lines.data());
        std::vector<QByteArray>().swap(lines);
        std::vector<ToDoItem> rows;
        const auto t2 = Clock::now();
        const IoResult r = ReadCSVFile(path, rows);
        const auto t3 = Clock::now();
        if (!r.ok || rows.size() != size_t(count))
            state.SkipWithError("import failed");
        benchmark::DoNotOptimize(rows.data());
        floor += seconds(t0, t1);
        op += seconds(t2, t3);
        state.SetIterationTime(seconds(t2, t3));
    }
    reportRatio(state, "import " + std::to_string(count) + " rows (target < 2x floor)", op, floor);
}
} // namespace

BENCHMARK(BM_CSVExport)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CSVImport)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runAndPrintRatios(argc, argv);
}
