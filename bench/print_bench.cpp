// The command line's listing (--print) of a 100,000-item list file, from reading the file to the last line
// written to a file, each timed next to its floor in the same loop: writing the same number of bytes
// through a buffered writer (the listing's own output, made beforehand).
// Targets: the listing within 3x its floor, sorted by Target within 5x.
#include "BenchUtil.h"
#include "exchange/ListPrinter.h"
#include "model/ListFile.h"
#include "platform/BufferedWriter.h"
#include "platform/Regional.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

namespace {
using namespace benchutil;
using Clock = SteadyClock;
constexpr int kItems = 100000;
const QDate kToday(2026, 12, 10);

QString listPath()
{
    static const QString path = [] {
        Regional::setFormats(QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm:ss"));
        const QString p = workDir().filePath(QStringLiteral("print.tdo"));
        SaveListFile(makeList(kItems), p);
        return p;
    }();
    return path;
}

int openOutput(const char* name)
{
    return ::open(QFile::encodeName(workDir().filePath(QLatin1String(name))).constData(),
                  O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
}

// What --print does after parsing its options: read the list, then list it.
void printList(const ListPrinter::Options& options, int fd)
{
    QByteArray image;
    ToDoList list;
    ReadListFileImage(listPath(), true, image, list);
    BufferedWriter out(fd, QStringLiteral("the listing"));
    ListPrinter::write(list, options, kToday, out);
    out.finish();
}

void BM_Print(benchmark::State& state, ListPrinter::Format format, int sortColumn, const std::string& name)
{
    ListPrinter::Options options;
    options.format = format;
    options.sortColumn = sortColumn;
    // The floor writes exactly what the listing writes.
    QByteArray bytes;
    {
        ToDoList list;
        ReadListFile(listPath(), true, list);
        BufferedWriter memory(&bytes);
        ListPrinter::write(list, options, kToday, memory);
    }
    double op = 0, floor = 0;
    for (auto _ : state) {
        const int floorFd = openOutput("floor.txt");
        const auto t0 = Clock::now();
        {
            BufferedWriter out(floorFd, QStringLiteral("the floor"));
            // In pieces the size of a listing's line, as a writer of lines would hand them over.
            for (qsizetype at = 0; at < bytes.size(); at += 200)
                out.append(QByteArrayView(bytes).sliced(at, std::min<qsizetype>(200, bytes.size() - at)));
            out.finish();
        }
        const auto t1 = Clock::now();
        ::close(floorFd);
        const int fd = openOutput("print.txt");
        const auto t2 = Clock::now();
        printList(options, fd);
        const auto t3 = Clock::now();
        ::close(fd);
        floor += seconds(t0, t1);
        op += seconds(t2, t3);
        state.SetIterationTime(seconds(t2, t3));
    }
    state.counters["output_MB"] = bytes.size() / 1e6;
    reportRatio(state, name, op, floor);
}
} // namespace

BENCHMARK_CAPTURE(BM_Print, tsv, ListPrinter::Format::Tsv, -1, "--print, 100,000 items (target < 3x)")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Print, sortTarget, ListPrinter::Format::Tsv, 3,
                  "--print --sort target, 100,000 items (target < 5x)")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Print, sortActions, ListPrinter::Format::Tsv, 0,
                  "--print --sort actions, 100,000 items (for information)")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Print, csv, ListPrinter::Format::Csv, -1, "--print --format csv (for information)")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Print, json, ListPrinter::Format::Json, -1, "--print --format json (for information)")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runAndPrintRatios(argc, argv);
}
