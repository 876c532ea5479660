// HTML export of 100,000 rows, timed next to a floor measured in the same run: writing the same page
// bytes to the file the same way (a save file, committed). Target: within 3x the floor.
#include "BenchUtil.h"
#include "exchange/ToDo2HTML.h"
#include "platform/Clock.h"
#include "platform/Regional.h"

namespace {
using namespace benchutil;

// Rows of every status: today is 10 December, Targets fall before, on and after it, some have none.
std::vector<ToDoItem> makeRows(int count)
{
    std::vector<ToDoItem> rows = makeList(count).items;
    for (size_t i = 0; i < rows.size(); i += 5)
        rows[i].setValue(ToDoItem::Target, QByteArray());
    return rows;
}

void BM_HtmlExport(benchmark::State& state)
{
    QTemporaryDir& dir = workDir();
    Regional::setFormats(QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm:ss"));
    Clock::setNow(QDateTime(QDate(2026, 12, 10), QTime(12, 0)));
    const int count = static_cast<int>(state.range(0));
    const std::vector<ToDoItem> rows = makeRows(count);
    const QString settings = dir.filePath(QStringLiteral("Quillmar.ini"));
    const QString target = dir.filePath(QStringLiteral("page.html"));
    const QString floorTarget = dir.filePath(QStringLiteral("floor.html"));
    const QStringList captions = TToDo2HTML::DefaultColumnCaptions();
    QByteArray page;
    TToDo2HTML(settings).WriteHTML(rows, captions, QString(), &page);

    double op = 0, floor = 0;
    for (auto _ : state) {
        const auto t0 = SteadyClock::now();
        commitBytes(floorTarget, page);
        const auto t1 = SteadyClock::now();
        // Settings are read afresh for every export, as the command does.
        TToDo2HTML html(settings);
        const IoResult r = html.WriteHTML(rows, captions, target);
        const auto t2 = SteadyClock::now();
        if (!r.ok)
            state.SkipWithError("export failed");
        floor += seconds(t0, t1);
        op += seconds(t1, t2);
        state.SetIterationTime(seconds(t1, t2));
    }
    state.counters["page_MB"] = page.size() / 1e6;
    reportRatio(state, "HTML export of " + std::to_string(count) + " rows (target < 3x floor)", op, floor);
    Clock::reset();
}
} // namespace

// Each run syncs a page of a hundred megabytes: enough runs that the disk's moods even out between the
// floor and the export, which alternate.
BENCHMARK(BM_HtmlExport)->Arg(100000)->Iterations(8)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runAndPrintRatios(argc, argv);
}
