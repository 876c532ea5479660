// Start-up to the first frame, each program a new process on the offscreen platform that reports the moment
// its list (or window) is first drawn and the processor time spent until then, and ends:
//   quillmar with a 10,000-item standard list, next to the fair floor: plain Qt showing the same widgets
//   (menu bar, tool bar with icons, tabs, a QTableView laid out as a list over the same 10,000 rows as text,
//   two text edits, a status bar) after reading the same list file; quillmar with no items, next to an empty
//   QMainWindow.
// The programs take turns, so a change in the machine's load falls on all alike; the median of the runs is
// compared, the best run shown beside it. Targets: both within 1.3x of their floors.
#include "BenchUtil.h"
#include "model/ListFile.h"
#include "platform/Regional.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include <sys/resource.h>

namespace {
constexpr int kItems = 10000;
constexpr int kRuns = 15;

qint64 monotonicNs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// What quillmar prints when QUILLMAR_QUIT_WHEN_SHOWN is set, and the floors print the same way.
void reportAndQuit()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto micros = [](const timeval& t) { return qint64(t.tv_sec) * 1000000 + t.tv_usec; };
    std::printf("first frame at %lld ns, cpu %lld us\n", monotonicNs(),
                micros(usage.ru_utime) + micros(usage.ru_stime));
    std::fflush(stdout);
    QCoreApplication::exit(0);
}

// Calls reportAndQuit once the watched widget has been painted and the frame is out.
class FirstPaint : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            QTimer::singleShot(0, this, &reportAndQuit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_seen = false;
};

// The rows of a list file as nine text columns, read the plainest way: the records' offsets are kept and
// each cell is decoded when the view asks for it.
class PlainRows : public QAbstractTableModel
{
public:
    explicit PlainRows(QByteArray bytes) : m_bytes(std::move(bytes))
    {
        const char* d = m_bytes.constData();
        const qsizetype n = m_bytes.size();
        qsizetype p = 4;
        const qint32 count = n >= 4 ? qFromLittleEndian<qint32>(d) : 0;
        for (qint32 i = 0; i < count && p < n; ++i) {
            p += 5; // flag length and checked byte
            m_rows.push_back(p);
            p += 4 + qFromLittleEndian<qint32>(d + p);
            const qint32 values = qFromLittleEndian<qint32>(d + p) + 1;
            p += 4;
            for (qint32 k = 0; k < values; ++k)
                p += 4 + qFromLittleEndian<qint32>(d + p);
        }
    }
    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    int columnCount(const QModelIndex& = {}) const override { return 9; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        const char* d = m_bytes.constData();
        qsizetype p = m_rows[size_t(index.row())];
        if (index.column() > 0) {
            p += 4 + qFromLittleEndian<qint32>(d + p);
            const qint32 values = qFromLittleEndian<qint32>(d + p) + 1;
            p += 4;
            if (index.column() > values)
                return QString();
            for (int k = 1; k < index.column(); ++k)
                p += 4 + qFromLittleEndian<qint32>(d + p);
        }
        return QString::fromLatin1(d + p + 4, qFromLittleEndian<qint32>(d + p));
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const char* captions[] = {"Actions", "Priority",     "Date In",    "Target",       "Remarks",
                                         "Owner",   "Project Name", "Alarm Time", "File Location"};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return QString::fromLatin1(captions[section]);
        return QAbstractTableModel::headerData(section, orientation, role);
    }

private:
    QByteArray m_bytes;
    std::vector<qsizetype> m_rows;
};

int fairFloor(int argc, char** argv, const QString& listFile)
{
    QApplication app(argc, argv);
    QFile file(listFile);
    file.open(QIODevice::ReadOnly);
    PlainRows rows(file.readAll());

    QMainWindow window;
    window.resize(1120, 640);
    QStyle* style = app.style();
    const QStyle::StandardPixmap pixmaps[] = {QStyle::SP_FileIcon,          QStyle::SP_FileDialogDetailedView,
                                              QStyle::SP_TrashIcon,         QStyle::SP_ArrowRight,
                                              QStyle::SP_DialogApplyButton, QStyle::SP_DialogCancelButton,
                                              QStyle::SP_ArrowDown};
    QMenu* file1 = window.menuBar()->addMenu(QStringLiteral("&File"));
    for (const char* text : {"Open standard ToDo", "Load history Todo list", "Save history Todo"})
        file1->addAction(QString::fromLatin1(text));
    QMenu* exchange = file1->addMenu(QStringLiteral("&Im-Export"));
    for (const char* text : {"New external ToDo list", "Open external ToDo list", "Save external ToDo list",
                             "Export to CSV", "Import from CSV", "Export to HTML"})
        exchange->addAction(QString::fromLatin1(text));
    file1->addAction(QStringLiteral("Exit"));
    QMenu* tools = window.menuBar()->addMenu(QStringLiteral("&Tools"));
    QToolBar* toolBar = window.addToolBar(QStringLiteral("Tool bar"));
    toolBar->setIconSize(QSize(22, 22));
    toolBar->addWidget(new QLabel(QStringLiteral("   Quillmar ?")));
    int icon = 0;
    for (const char* text : {"Add Action", "Edit Action", "Delete Item", "Move selected to history",
                             "Settings", "Toolbar Image", "Sort checked"}) {
        QAction* action = tools->addAction(style->standardIcon(pixmaps[icon++]), QString::fromLatin1(text));
        toolBar->addAction(action);
    }
    QMenu* help = window.menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("Help"));
    help->addAction(QStringLiteral("About"));

    auto* pages = new QTabWidget;
    // The list as quillmar shows it: a table view without row header, rows of one height, no grid.
    auto* view = new QTableView;
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->setShowGrid(false);
    view->setWordWrap(false);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setModel(&rows);
    auto* memos = new QSplitter(Qt::Horizontal);
    memos->addWidget(new QTextEdit);
    memos->addWidget(new QTextEdit);
    auto* listSplitter = new QSplitter(Qt::Vertical);
    listSplitter->addWidget(view);
    listSplitter->addWidget(memos);
    pages->addTab(listSplitter, QStringLiteral("ToDo List"));
    pages->addTab(new QWidget, QStringLiteral("Calendar"));
    window.setCentralWidget(pages);
    for (int i = 0; i < 3; ++i)
        window.statusBar()->addWidget(new QLabel(QStringLiteral("panel")));

    FirstPaint watch;
    view->viewport()->installEventFilter(&watch);
    window.show();
    return app.exec();
}

// withText: one word in the status bar, for information: the first text a window shows starts the font
// system (fontconfig reads its configuration), which costs more than the empty window itself.
int emptyWindow(int argc, char** argv, bool withText)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(757, 390);
    if (withText)
        window.statusBar()->showMessage(QStringLiteral("Ready"));
    FirstPaint watch;
    window.installEventFilter(&watch);
    window.show();
    return app.exec();
}

struct Run
{
    double frameMs = -1; // process start to the first frame
    double cpuMs = -1;   // processor time until then
    double totalMs = -1; // process start to its end
};

Run timedRun(const QString& program, const QStringList& args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QUILLMAR_QUIT_WHEN_SHOWN"), QStringLiteral("1"));
    p.setProcessEnvironment(env);
    const qint64 start = monotonicNs();
    p.start(program, args);
    Run run;
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        std::fprintf(stderr, "%s did not end cleanly: %s\n", qPrintable(program),
                     p.readAllStandardError().constData());
        return run;
    }
    run.totalMs = (monotonicNs() - start) / 1e6;
    long long at = 0, cpu = 0;
    const QByteArray out = p.readAllStandardOutput();
    const qsizetype line = out.indexOf("first frame at ");
    if (line < 0 ||
        std::sscanf(out.constData() + line, "first frame at %lld ns, cpu %lld us", &at, &cpu) != 2) {
        std::fprintf(stderr, "%s did not report its first frame: %s\n", qPrintable(program), out.constData());
        return run;
    }
    run.frameMs = (at - start) / 1e6;
    run.cpuMs = cpu / 1e3;
    return run;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double best(const std::vector<double>& v)
{
    return v.empty() ? 0 : *std::min_element(v.begin(), v.end());
}

struct Series
{
    std::vector<double> frame, cpu, total;
    void add(const Run& r)
    {
        frame.push_back(r.frameMs);
        cpu.push_back(r.cpuMs);
        total.push_back(r.totalMs);
    }
};

void printPair(const char* name, const Series& op, const Series& floor, const char* floorName)
{
    std::printf("%s\n", name);
    std::printf("  %-44s first frame %6.1f ms (best %6.1f), cpu %6.1f ms, to its end %6.1f ms\n", floorName,
                median(floor.frame), best(floor.frame), median(floor.cpu), median(floor.total));
    std::printf("  %-44s first frame %6.1f ms (best %6.1f), cpu %6.1f ms, to its end %6.1f ms\n", "quillmar",
                median(op.frame), best(op.frame), median(op.cpu), median(op.total));
    std::printf("  ratio: first frame %.2fx (best %.2fx), cpu %.2fx (target within 1.3x)\n",
                median(op.frame) / median(floor.frame), best(op.frame) / best(floor.frame),
                median(op.cpu) / median(floor.cpu));
}
} // namespace

int main(int argc, char** argv)
{
    if (argc > 2 && std::strcmp(argv[1], "--fair-floor") == 0)
        return fairFloor(argc, argv, QString::fromLocal8Bit(argv[2]));
    if (argc > 1 && std::strcmp(argv[1], "--empty-window") == 0)
        return emptyWindow(argc, argv, false);
    if (argc > 1 && std::strcmp(argv[1], "--empty-window-with-text") == 0)
        return emptyWindow(argc, argv, true);

    QCoreApplication app(argc, argv);
    Regional::setFormats(QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm:ss"));
    const QString quillmar = benchutil::quillmarProgram();

    QTemporaryDir dir;
    const QString full = dir.path() + QStringLiteral("/full/");
    const QString empty = dir.path() + QStringLiteral("/empty/");
    QDir().mkpath(full);
    QDir().mkpath(empty);
    const QString listFile = full + QStringLiteral("ToDoX.tdo");
    if (!SaveListFile(benchutil::makeList(kItems), listFile).ok) {
        std::fprintf(stderr, "could not write the list\n");
        return 1;
    }
    const QString self = QCoreApplication::applicationFilePath();
    const QStringList fairArgs{QStringLiteral("--fair-floor"), listFile};
    const QStringList emptyArgs{QStringLiteral("--empty-window")};
    const QStringList textArgs{QStringLiteral("--empty-window-with-text")};
    const QStringList fairEmptyArgs{QStringLiteral("--fair-floor"), empty + QStringLiteral("ToDoX.tdo")};
    const QStringList fullArgs{QStringLiteral("--data-dir"), full};
    const QStringList noItemsArgs{QStringLiteral("--data-dir"), empty};

    // One start each first: the first start of a data folder makes its settings file, and the system's
    // caches fill.
    for (const auto& [program, args] : {std::pair{self, fairArgs}, std::pair{quillmar, fullArgs},
                                        std::pair{self, emptyArgs}, std::pair{quillmar, noItemsArgs}})
        if (timedRun(program, args).frameMs < 0)
            return 1;
    Series fair, withItems, bare, noItems, withText, fairEmpty;
    for (int i = 0; i < kRuns; ++i) {
        const Run runs[] = {timedRun(self, fairArgs),  timedRun(quillmar, fullArgs),
                            timedRun(self, emptyArgs), timedRun(quillmar, noItemsArgs),
                            timedRun(self, textArgs),  timedRun(self, fairEmptyArgs)};
        for (const Run& r : runs)
            if (r.frameMs < 0)
                return 1;
        fair.add(runs[0]);
        withItems.add(runs[1]);
        bare.add(runs[2]);
        noItems.add(runs[3]);
        withText.add(runs[4]);
        fairEmpty.add(runs[5]);
    }
    std::printf("Start-up to the first frame, median of %d runs each (offscreen platform)\n", kRuns);
    printPair("10,000 items", withItems, fair, "floor: plain Qt, same widgets, rows and file");
    printPair("no items", noItems, bare, "floor: empty QMainWindow");
    std::printf(
        "  for information, quillmar with no items against: the empty window with one word of text\n"
        "  (%.1f ms) %.2fx; the plain Qt floor with the same widgets and no rows (%.1f ms) %.2fx.\n"
        "  The first text a window shows starts the font system, which costs more than the empty window.\n",
        median(withText.frame), median(noItems.frame) / median(withText.frame), median(fairEmpty.frame),
        median(noItems.frame) / median(fairEmpty.frame));
    return 0;
}
