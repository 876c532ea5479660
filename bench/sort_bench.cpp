// Sorting 100,000 rows by "Target", timed next to std::sort of 100,000 ready doubles in the same run.
// Target: within 5x of the floor. Two measurements: the sort order alone (ItemSorter, window-free), and a
// whole header click in the window (sort, reorder the model, keep the selection, update the view).
#include "BenchUtil.h"
#include "app/TQuillmar.h"
#include "config/Paths.h"
#include "dialogs/MessageBox.h"
#include "model/ItemSorter.h"
#include "platform/Regional.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTreeView>

#include <random>

namespace
{
using namespace benchutil;
constexpr int kRows = 100000;

std::vector<ToDoItem> makeRows()
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> day(0, 3650);
    std::vector<ToDoItem> rows = makeList(kRows).items;
    for (int i = 0; i < kRows; ++i) {
        ToDoItem& it = rows[i];
        it.setValue(ToDoItem::Target, i % 10 == 0 ? QByteArray()
                                                  : Regional::dateToText(QDate(2020, 1, 1).addDays(day(rng))).toUtf8());
        (void)it.targetDate(); // the list keeps its rows' Targets parsed
    }
    return rows;
}

std::vector<double> makeDoubles()
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> d(0, 3650);
    std::vector<double> v(kRows);
    for (double& x : v)
        x = d(rng);
    return v;
}

void BM_StdSortDoubles(benchmark::State& state)
{
    const std::vector<double> source = makeDoubles();
    for (auto _ : state) {
        std::vector<double> v = source;
        std::sort(v.begin(), v.end());
        benchmark::DoNotOptimize(v.data());
    }
}
BENCHMARK(BM_StdSortDoubles)->Unit(benchmark::kMillisecond);

void BM_SortOrderByTarget(benchmark::State& state)
{
    const std::vector<ToDoItem> rows = makeRows();
    for (auto _ : state)
        benchmark::DoNotOptimize(ItemSorter::sortOrder(rows, 3, SortKind::Date, false));
}
BENCHMARK(BM_SortOrderByTarget)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    Regional::setFormats(QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm:ss"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();

    const std::vector<double> doubles = makeDoubles();
    constexpr int kRuns = 7;
    const double floor = bestSeconds(
        [&] {
            std::vector<double> v = doubles;
            std::sort(v.begin(), v.end());
            benchmark::DoNotOptimize(v.data());
        },
        kRuns);
    const std::vector<ToDoItem> rows = makeRows();
    const double order = bestSeconds(
        [&] { benchmark::DoNotOptimize(ItemSorter::sortOrder(rows, 3, SortKind::Date, false)); }, kRuns);

    // The whole header click in a shown window holding the rows, a few of them selected.
    QTemporaryDir dir;
    SetDataFolderOverride(dir.path());
    InitDataPaths();
    InitSettingsFilePath();
    MessageBox::setTestMode(true);
    TQuillmar window;
    window.model()->appendItems(std::vector<ToDoItem>(rows));
    window.show();
    QCoreApplication::processEvents();
    window.selectRows({5, 500, 50000});
    const double click = bestSeconds(
        [&] {
            window.lstToDoColumnClick(3);
            QCoreApplication::processEvents();
        },
        kRuns);

    std::printf("\nfloor  std::sort of %d doubles: %.2f ms\n", kRows, floor * 1e3);
    std::printf("sort order by Target:            %.2f ms  ratio %.2fx (target within 5x)\n", order * 1e3, order / floor);
    std::printf("header click by Target (window): %.2f ms  ratio %.2fx (target within 5x)\n", click * 1e3, click / floor);
    return 0;
}
