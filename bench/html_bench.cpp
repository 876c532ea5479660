// HTML export of 100,000 rows, timed next to a floor measured in the same run: writing the same page
// bytes to the file the same way (a save file, committed). Target: within 3x the floor.
#include "exchange/ToDo2HTML.h"
#include "platform/Clock.h"
#include "platform/Regional.h"

#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

namespace {
using SteadyClock = std::chrono::steady_clock;

double g_ratio = 0;

// Rows of every status, texts with characters that need escaping now and then.
std::vector<ToDoItem> makeRows(int count)
{
    static const char* actions[] = {"Prepare the budget for Q1", "Check <header> markup & links",
                                    "Write to \"Jansen Ltd\"", "Clean the garage", "Read chapter 4"};
    std::vector<ToDoItem> rows;
    rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        ToDoItem item = ToDoItem::make(actions[i % 5], i % 6 == 0);
        item.setValue(ToDoItem::Priority, QByteArray::number(i % 3 + 1));
        item.setValue(ToDoItem::DateIn, "01.12.2026");
        if (i % 5)
            item.setValue(ToDoItem::Target, QByteArray::number(i % 28 + 1) + ".12.2026");
        item.setValue(ToDoItem::Remarks, i % 2 ? "Needs a second look" : "");
        item.setValue(ToDoItem::Owner, "Dora");
        item.setValue(ToDoItem::ProjectName, "Home");
        item.setValue(ToDoItem::FileLocation, "/home/dora/notes/item-" + QByteArray::number(i) + ".txt");
        rows.push_back(std::move(item));
    }
    return rows;
}

double seconds(SteadyClock::time_point a, SteadyClock::time_point b)
{
    return std::chrono::duration<double>(b - a).count();
}

void BM_HtmlExport(benchmark::State& state)
{
    static QTemporaryDir dir;
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
        QSaveFile f(floorTarget);
        f.open(QIODevice::WriteOnly);
        f.write(page);
        f.commit();
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
    state.counters["floor_ms"] = 1000 * floor / state.iterations();
    state.counters["x_floor"] = op / floor;
    g_ratio = op / floor;
    Clock::reset();
}
} // namespace

BENCHMARK(BM_HtmlExport)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\nRatio against the floor measured in this run:\n");
    std::printf("  %-48s %5.2fx\n", "HTML export of 100000 rows (target < 3x floor)", g_ratio);
    return 0;
}
