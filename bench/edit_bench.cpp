// How long an edit holds up the window, at 100,000 and 1,000,000 rows: each edit the user makes (a tick,
// an edit, a delete, a move to history, undo and redo) in a shown window, then the autosave that follows it.
// The figure is the longest single turn of the window's event loop, from the command to the list reaching its
// file; its floor is one frame (16.7 ms). The history holds as many rows as the list. Targets: the command
// itself within one frame, no turn after it (the autosave included) longer than 50 ms. Select all, delete all
// and their undo and redo are measured the same way (target 300 ms each), and so is adding as many rows as
// the list holds, as the last step of a CSV import does (target: no turn longer than 50 ms).
#include "BenchUtil.h"
#include "app/ReportView.h"
#include "app/TQuillmar.h"
#include "config/Paths.h"
#include "dialogs/MessageBox.h"
#include "model/ListDocument.h"
#include "model/ListFile.h"
#include "platform/Regional.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <numeric>

namespace {
using namespace benchutil;
constexpr double kFrame = 1.0 / 60;

// Where a turn's time went: the window's thread on a processor, the thread ready but waiting for one, and
// the time the host of this (virtual) machine took from both processors. What is left of the wall time the
// thread spent asleep: on the disk, a lock or a page.
struct Clocks
{
    double cpu = 0, runnable = 0, steal = 0;

    static Clocks now()
    {
        Clocks c;
        if (FILE* f = std::fopen("/proc/thread-self/schedstat", "r")) {
            unsigned long long onCpu = 0, waiting = 0;
            if (std::fscanf(f, "%llu %llu", &onCpu, &waiting) == 2) {
                c.cpu = onCpu / 1e9;
                c.runnable = waiting / 1e9;
            }
            std::fclose(f);
        }
        if (FILE* f = std::fopen("/proc/stat", "r")) {
            unsigned long long v[8] = {};
            if (std::fscanf(f, "cpu %llu %llu %llu %llu %llu %llu %llu %llu", &v[0], &v[1], &v[2], &v[3],
                            &v[4], &v[5], &v[6], &v[7]) == 8)
                c.steal = static_cast<double>(v[7]) / static_cast<double>(sysconf(_SC_CLK_TCK));
            std::fclose(f);
        }
        return c;
    }
};

struct Turn
{
    double wall = 0;
    Clocks spent;

    template <class F> static Turn of(F&& f)
    {
        const Clocks c0 = Clocks::now();
        const auto t0 = SteadyClock::now();
        f();
        Turn t;
        t.wall = seconds(t0, SteadyClock::now());
        const Clocks c1 = Clocks::now();
        t.spent = {c1.cpu - c0.cpu, c1.runnable - c0.runnable, c1.steal - c0.steal};
        return t;
    }
};

struct Block
{
    double command = 0; // the command, with the events it posted
    double after = 0;   // the longest turn of the event loop after it, until the list is in its file
    Turn longest;       // the longest of the two, taken apart
};

// Runs the window's event loop turn by turn until the list is saved and the rows of undone moves are cut
// off the history; the longest turn is what the user feels as a freeze.
Turn longestTurnUntilSaved(ListDocument& document)
{
    Turn longest;
    const auto deadline = SteadyClock::now() + std::chrono::seconds(120);
    while ((document.isModified() || document.isSaving() || document.isCuttingHistory()) &&
           SteadyClock::now() < deadline) {
        const Turn t = Turn::of([] { QCoreApplication::processEvents(); });
        if (t.wall > longest.wall)
            longest = t;
        QThread::usleep(500);
    }
    if (document.isModified()) {
        std::fprintf(stderr, "the list did not reach its file\n");
        std::abort();
    }
    return longest;
}

template <class F> Block measure(ListDocument& document, F&& command)
{
    Block b;
    const Turn own = Turn::of([&] {
        command();
        QCoreApplication::processEvents();
    });
    const Turn after = longestTurnUntilSaved(document);
    b.command = own.wall;
    b.after = after.wall;
    b.longest = own.wall >= after.wall ? own : after;
    return b;
}

QAction* action(QWidget& window, const char* name)
{
    auto* a = window.findChild<QAction*>(QString::fromLatin1(name));
    if (!a) {
        std::fprintf(stderr, "no action %s\n", name);
        std::abort();
    }
    return a;
}

void run(int rows)
{
    // A history as long as the list: a move to history must not cost what the history holds.
    if (!SaveHistoryFile(makeList(rows), HistoryListPath())) {
        std::fprintf(stderr, "cannot write the history\n");
        std::abort();
    }
    TQuillmar window;
    window.startUp();
    ListDocument& document = window.document();
    // The usual delay is 3 s; a shorter one measures the same save with less waiting, still long enough
    // that the command's own turn of the event loop never includes it.
    document.setAutosaveDelay(1000);
    document.model()->setList(makeList(rows));
    window.show();
    (void)longestTurnUntilSaved(document);
    auto* view = window.findChild<ReportView*>(QStringLiteral("lstToDo"));
    QAbstractItemModel* shown = view->model();
    auto select = [&](int row) {
        view->selectionModel()->select(shown->index(row, 0),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        QCoreApplication::processEvents();
    };
    QAction* undo = action(window, "actUndo");
    QAction* redo = action(window, "actRedo");

    std::vector<std::pair<const char*, Block>> results;
    const int middle = rows / 2;
    results.emplace_back("tick a row", measure(document, [&] {
                             const QModelIndex i = shown->index(middle, 0);
                             shown->setData(i,
                                            shown->data(i, Qt::CheckStateRole).toInt() == Qt::Checked
                                                ? Qt::Unchecked
                                                : Qt::Checked,
                                            Qt::CheckStateRole);
                         }));
    results.emplace_back("edit a row", measure(document, [&] {
                             ToDoItem after = document.list().items[static_cast<size_t>(middle)];
                             after.setValue(ToDoItem::Remarks, "changed in the editor");
                             document.editItem(middle, document.list().items[static_cast<size_t>(middle)],
                                               after, document.model()->ownerNames(),
                                               document.model()->projectNames());
                         }));
    select(middle);
    results.emplace_back("delete a row", measure(document, [&] {
                             UnattendedPrompter nobody;
                             document.DeleteSelectedItems({middle}, false, nobody);
                         }));
    results.emplace_back("undo the delete", measure(document, [&] { undo->trigger(); }));
    select(middle + 1);
    results.emplace_back("move a row to history",
                         measure(document, [&] { action(window, "actDeleteToHistory")->trigger(); }));
    results.emplace_back("undo the move", measure(document, [&] { undo->trigger(); }));
    // The autosave after the undo has cut the rows off the history: doing it again appends them anew.
    results.emplace_back("redo the move", measure(document, [&] { redo->trigger(); }));
    results.emplace_back("select all", measure(document, [&] {
                             QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier);
                             QCoreApplication::sendEvent(view, &press);
                         }));
    results.emplace_back("delete all", measure(document, [&] {
                             UnattendedPrompter nobody;
                             document.DeleteSelectedItems(
                                 [&] {
                                     QList<int> all(rows);
                                     std::iota(all.begin(), all.end(), 0);
                                     return all;
                                 }(),
                                 false, nobody);
                         }));
    results.emplace_back("undo delete all", measure(document, [&] { undo->trigger(); }));
    results.emplace_back("redo delete all", measure(document, [&] { redo->trigger(); }));
    // The last step of a CSV import: the rows read beside the window join the list as one change.
    std::vector<ToDoItem> imported = makeList(rows).items;
    results.emplace_back("add imported rows",
                         measure(document, [&] { document.importItems(std::move(imported)); }));
    results.emplace_back("undo the import", measure(document, [&] { undo->trigger(); }));
    // The whole list to the history and back: the moved rows' records are the history's new end. A
    // million rows fill most of what a history may hold (the size the program reads back): the history
    // starts empty for them.
    if (!SaveHistoryFile(ToDoList(), HistoryListPath())) {
        std::fprintf(stderr, "cannot empty the history\n");
        std::abort();
    }
    document.importItems(makeList(rows).items);
    while (document.isImporting())
        QCoreApplication::processEvents();
    (void)longestTurnUntilSaved(document);
    {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier);
        QCoreApplication::sendEvent(view, &press);
        QCoreApplication::processEvents();
    }
    results.emplace_back("move all to history",
                         measure(document, [&] { action(window, "actDeleteToHistory")->trigger(); }));
    results.emplace_back("undo move all", measure(document, [&] { undo->trigger(); }));
    results.emplace_back("redo move all", measure(document, [&] { redo->trigger(); }));

    std::printf("\n%d rows (floor one frame, %.1f ms)\n", rows, kFrame * 1e3);
    std::printf("  %-24s %12s %8s %16s %8s   %s\n", "", "command ms", "frames", "after, ms", "frames",
                "longest: on cpu / ready / host's / asleep, ms");
    for (const auto& [name, b] : results) {
        const Clocks& c = b.longest.spent;
        std::printf("  %-24s %12.1f %8.2f %16.1f %8.2f   %6.1f / %.1f / %.0f / %.1f\n", name, b.command * 1e3,
                    b.command / kFrame, b.after * 1e3, b.after / kFrame, c.cpu * 1e3, c.runnable * 1e3,
                    c.steal * 1e3, std::max(0.0, b.longest.wall - c.cpu - c.runnable) * 1e3);
        ratios()[std::to_string(rows) + " " + name] = b.command / kFrame;
        ratios()[std::to_string(rows) + " " + name + ", after"] = b.after / kFrame;
    }
}
} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    Regional::setFormats(QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm:ss"));
    // No box may wait for an answer during a measurement.
    MessageBox::setUnattended(true);
    QTemporaryDir dir;
    SetDataFolderOverride(dir.path());
    InitDataPaths();
    InitSettingsFilePath();
    std::vector<int> sizes = {100000, 1000000};
    if (argc > 1)
        sizes = {std::atoi(argv[1])};
    for (int rows : sizes)
        run(rows);
    std::printf("\nIn frames (16.7 ms); the command within 1, what follows within 3 (50 ms):\n");
    for (const auto& [name, ratio] : ratios())
        std::printf("  %-48s %6.2f\n", name.c_str(), ratio);
    return 0;
}
