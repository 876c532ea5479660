// Sorting 100,000 rows (or as many as the first argument says) by "Target", timed next to std::sort of
// 100,000 ready doubles in the same run. Target: within 5x of the floor. Two measurements: the sort order
// alone (ItemSorter, window-free), and a whole header click in the window (sort, reorder the model, keep the
// selection, update the view). Next to them, deleting and moving to history a scattered selection of every
// 7th row: within 3x of the sort order.
#include "BenchUtil.h"
#include "app/ReportView.h"
#include "app/TQuillmar.h"
#include "config/Paths.h"
#include "dialogs/MessageBox.h"
#include "model/ItemSorter.h"
#include "platform/Regional.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <random>

namespace {
using namespace benchutil;
int kRows = 100000;

std::vector<ToDoItem> makeRows()
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> day(0, 3650);
    std::vector<ToDoItem> rows = makeList(kRows).items;
    for (int i = 0; i < kRows; ++i) {
        ToDoItem& it = rows[i];
        it.setValue(ToDoItem::Target,
                    i % 10 == 0 ? QByteArray()
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
    // A leading count of rows is this program's; the rest is Google Benchmark's.
    int benchArgc = argc;
    char** benchArgv = argv;
    if (argc > 1 && argv[1][0] != '-') {
        kRows = std::max(1000, std::atoi(argv[1]));
        benchArgv[1] = argv[0];
        --benchArgc;
        ++benchArgv;
    }
    QStandardPaths::setTestModeEnabled(true);
    Regional::setFormats(QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm:ss"));
    benchmark::Initialize(&benchArgc, benchArgv);
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
    // No box may wait for an answer during a measurement.
    MessageBox::setUnattended(true);
    TQuillmar window;
    window.startUp();
    window.document().model()->appendItems(std::vector<ToDoItem>(rows));
    window.show();
    QCoreApplication::processEvents();
    auto* view = window.findChild<ReportView*>(QStringLiteral("lstToDo"));
    for (int r : {5, 500, 50000})
        view->selectionModel()->select(view->model()->index(r, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const double click = bestSeconds(
        [&] {
            Q_EMIT view->header()->sectionClicked(3);
            QCoreApplication::processEvents();
        },
        kRuns);

    // Deleting and moving to history every 7th row (about 14,300, scattered): one pass over the rows.
    QList<int> every7th;
    for (int r = 0; r < kRows; r += 7)
        every7th << r;
    auto timeRemoval = [&](bool withHistory) {
        double best = 1e300;
        for (int run = 0; run < kRuns; ++run) {
            ListDocument document(
                {dir.filePath(QStringLiteral("b.tdo")), dir.filePath(QStringLiteral("b.tdh")), dir.path()});
            document.setAutosaveDelay(0);
            UnattendedPrompter nobody;
            document.OpenStandardList(nobody);
            ToDoList list;
            list.items = rows;
            document.model()->setList(std::move(list));
            QFile::remove(dir.filePath(QStringLiteral("b.tdh")));
            if (document.list().size() != kRows)
                std::abort();
            best = std::min(
                best, bestSeconds([&] { document.DeleteSelectedItems(every7th, withHistory, nobody); }, 1));
            if (document.list().size() != kRows - every7th.size())
                std::abort();
        }
        return best;
    };
    const double removal = timeRemoval(false);
    const double toHistory = timeRemoval(true);

    std::printf("\nfloor  std::sort of %d doubles: %.2f ms\n", kRows, floor * 1e3);
    std::printf("sort order by Target:            %.2f ms  ratio %.2fx (target within 5x)\n", order * 1e3,
                order / floor);
    std::printf("header click by Target (window): %.2f ms  ratio %.2fx (target within 5x)\n", click * 1e3,
                click / floor);
    std::printf(
        "delete every 7th row:            %.2f ms  ratio %.2fx of the sort order (target within 3x)\n",
        removal * 1e3, removal / order);
    std::printf(
        "move every 7th row to history:   %.2f ms  ratio %.2fx of the sort order (target within 3x)\n",
        toHistory * 1e3, toHistory / order);
    return 0;
}
