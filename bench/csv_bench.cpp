// CSV export and import of 100,000 rows, each timed next to a floor measured in the same run:
//   export floor: write the same bytes to the file the same way (a save file, committed);
//   import floor: what any import must do at least: read the bytes (in pieces of a megabyte), find every
//   line end and every separator, and make one block per row holding its fields as a row holds them
//   (each after its length).
// Targets: the export within 3x its floor, the import within 2x.
// The iCalendar export of the same rows is held against the CSV export: at most 3x its CPU time and 1.5x
// its peak memory (each export runs in a child process of its own, which holds the rows and nothing else).
#include "BenchUtil.h"
#include "exchange/CSVExchange.h"
#include "exchange/ICalendarExport.h"
#include "platform/Regional.h"

#include <QFile>

#include <array>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <sys/wait.h>
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

// The import floor: rows as one block each, holding the fields of their line after their lengths. The
// rows here hold no quotes, so a field ends at the next comma. (memchr for the line end, then for the
// commas in the line, was quicker than any single scan for both that was tried.)
qint64 readLinesIntoBlocks(const QString& path, std::vector<QByteArray>& rows)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    QByteArray buffer(qsizetype(1) << 20, Qt::Uninitialized);
    qsizetype have = 0;
    const auto addRow = [&rows](const char* line, const char* lineEnd) {
        // Where the fields end, in one pass; then the row in one block.
        std::array<const char*, 64> ends;
        size_t fields = 0;
        for (const char* p = line;;) {
            const char* comma = static_cast<const char*>(std::memchr(p, ',', size_t(lineEnd - p)));
            ends[fields++] = comma ? comma : lineEnd;
            if (!comma || fields == ends.size())
                break;
            p = comma + 1;
        }
        // Each field's length stands where its comma stood.
        QByteArray& row =
            rows.emplace_back(qsizetype(3 * fields + 1) + (ends[fields - 1] - line), Qt::Uninitialized);
        char* d = row.data();
        const char* p = line;
        for (size_t k = 0; k < fields; ++k) {
            const qint32 length = qint32(ends[k] - p);
            std::memcpy(d, &length, 4);
            std::memcpy(d + 4, p, size_t(length));
            d += 4 + length;
            p = ends[k] + 1;
        }
    };
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data() + have, size_t(buffer.size() - have));
        if (got <= 0)
            break;
        have += got;
        const char* p = buffer.constData();
        const char* end = p + have;
        while (const void* hit = std::memchr(p, '\n', size_t(end - p))) {
            const char* lineEnd = static_cast<const char*>(hit);
            addRow(p, lineEnd);
            p = lineEnd + 1;
        }
        have = end - p;
        std::memmove(buffer.data(), p, size_t(have));
    }
    ::close(fd);
    if (have > 0)
        addRow(buffer.constData(), buffer.constData() + have);
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

double threadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// A number of kB from /proc/self/status ("VmHWM", "VmRSS").
qint64 statusKb(const char* key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qsizetype(std::strlen(key)) + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// The peak resident memory of a child process that holds rows and runs write once, in bytes.
template <typename Write> double childPeakBytes(Write write)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        // The peak so far is forgotten: what is measured is what the rows and the export take.
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        if (clear.open(QIODevice::WriteOnly))
            clear.write("5");
        clear.close();
        write();
        const qint64 peak = statusKb("VmHWM:") * 1024;
        (void)!::write(fds[1], &peak, sizeof peak);
        ::_exit(0);
    }
    ::close(fds[1]);
    qint64 peak = -1;
    (void)!::read(fds[0], &peak, sizeof peak);
    ::close(fds[0]);
    ::waitpid(child, nullptr, 0);
    return double(peak);
}

void BM_ICalendarExport(benchmark::State& state)
{
    Regional::setFormats(QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm:ss"));
    const int count = static_cast<int>(state.range(0));
    ToDoList list;
    list.items = makeRows(count);
    const QDateTime stamp(QDate(2026, 11, 2), QTime(9, 0), Qt::UTC);
    const QString target = workDir().filePath(QStringLiteral("export.ics"));
    const QString csvTarget = workDir().filePath(QStringLiteral("export-beside.csv"));
    // Before the timed runs, whose garbage the children would inherit: each child holds the rows alone.
    const double csvPeak = childPeakBytes([&] { WriteCSVFile(csvTarget, list.items); });
    const double icsPeak = childPeakBytes([&] { WriteICalendarFile(target, list, stamp); });
    double op = 0, csv = 0;
    for (auto _ : state) {
        const double c0 = threadCpuSeconds();
        const auto t0 = Clock::now();
        WriteCSVFile(csvTarget, list.items);
        const double c1 = threadCpuSeconds();
        const auto t1 = Clock::now();
        const IoResult r = WriteICalendarFile(target, list, stamp);
        const double c2 = threadCpuSeconds();
        const auto t2 = Clock::now();
        if (!r.ok)
            state.SkipWithError("export failed");
        csv += c1 - c0;
        op += c2 - c1;
        Q_UNUSED(t0);
        state.SetIterationTime(seconds(t1, t2));
    }
    state.counters["file_MB"] = QFile(target).size() / 1e6;
    state.counters["csv_cpu_ms"] = 1000 * csv / state.iterations();
    state.counters["peak_MB"] = icsPeak / 1e6;
    state.counters["csv_peak_MB"] = csvPeak / 1e6;
    state.counters["x_csv_cpu"] = op / csv;
    const std::string rows = std::to_string(count) + " rows";
    ratios()["iCalendar export " + rows + ", CPU (target < 3x CSV)"] = op / csv;
    ratios()["iCalendar export " + rows + ", peak memory (target < 1.5x CSV)"] = icsPeak / csvPeak;
}

BENCHMARK(BM_CSVExport)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CSVImport)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ICalendarExport)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runAndPrintRatios(argc, argv);
}
