// Crashes at every step of every write: random sessions (adds, moves to history and their undo and redo,
// deletes, imports, autosaves, lists switched and saved, session ends) die at a random step of their file
// writes, a move's append and the cuts of undone moves beside the window included. After each crash a new
// run starts on the same folder, and the files must hold every item that was in a file before the crashed
// step (less what the user deleted), undamaged; the restored list, once saved, must still hold them. Items
// the crash left in both the standard list and the history (a move or its undo half-way between the two
// files) must be few.
#include "model/ListDocument.h"
#include "model/ListFile.h"
#include "model/RecoveryFile.h"
#include "platform/CrashPoint.h"

#include "TestUtil.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {
using Answer = ListPrompter::Answer;

// The user who says yes to everything, saves under a new name each time and opens the last one saved.
class YesPrompter : public ListPrompter
{
public:
    explicit YesPrompter(QString folder, QString name = QStringLiteral("ext"))
        : m_folder(std::move(folder)), m_name(std::move(name))
    {
    }
    Answer ask(Question, const QString&, bool) override { return Answer::Yes; }
    QString chooseListToOpen(const QString&) override { return m_last; }
    QString chooseListToSave(const QString&) override
    {
        m_last = QStringLiteral("%1/%2%3.tdx").arg(m_folder, m_name).arg(++m_saved);
        return m_last;
    }
    void inform(const QString&) override {}

private:
    QString m_folder;
    QString m_name;
    QString m_last;
    int m_saved = 0;
};

struct Session
{
    QString folder;
    ListDocument::Paths paths;

    explicit Session(const QString& dir) : folder(dir), paths{dir + "/ToDoX.tdo", dir + "/History.tdh", dir}
    {
    }

    // Every item some file holds; damaged is set when a file does not read.
    std::set<QByteArray> itemsInFiles(bool* damaged, const QString& except = {}) const
    {
        std::set<QByteArray> found;
        // Every list of the folder: the standard and history lists, the external lists, the copies.
        for (const QFileInfo& info : QDir(folder).entryInfoList({"*.tdo", "*.tdx", "*.tdh"}, QDir::Files)) {
            const QString f = info.filePath();
            if (f == except)
                continue;
            ToDoList list;
            if (!ReadListFile(f, info.suffix() != QLatin1String("tdh"), list)) {
                *damaged = true;
                continue;
            }
            for (const ToDoItem& it : list.items)
                found.insert(it.action().toByteArray());
        }
        return found;
    }
};

// The items that taking a change back (or doing it again) takes out of the rows: the user's choice.
std::set<QByteArray> removedBy(const ToDoListModel& model, const RowChange& change, bool undo)
{
    ToDoListModel copy;
    copy.replaceList(model.list());
    if (undo ? !change.canUndoRows(copy) : !change.canRedoRows(copy))
        return {};
    undo ? change.undoRows(copy) : change.redoRows(copy);
    std::set<QByteArray> gone;
    for (int r = 0; r < model.size(); ++r)
        gone.insert(model.item(r).action().toByteArray());
    for (int r = 0; r < copy.size(); ++r)
        gone.erase(copy.item(r).action().toByteArray());
    return gone;
}

std::vector<QByteArray> actionsOf(const ToDoListModel& model, const QList<int>& rows)
{
    std::vector<QByteArray> out;
    for (int r : rows)
        out.push_back(model.item(r).action().toByteArray());
    return out;
}
} // namespace

TEST(CrashTest, NoCrashAtAnyStepLosesAnItemThatWasInAFile)
{
    testutil::makeEventQueue();
    CrashPoint::setSyncEnabled(false);
    const int wanted = qEnvironmentVariableIntValue("QUILLMAR_CRASH_RUNS") > 0
                           ? qEnvironmentVariableIntValue("QUILLMAR_CRASH_RUNS")
                           : 10000;
    // Another seed (QUILLMAR_CRASH_SEED) tries other sessions.
    std::mt19937 random(qEnvironmentVariableIsSet("QUILLMAR_CRASH_SEED")
                            ? qEnvironmentVariableIntValue("QUILLMAR_CRASH_SEED")
                            : 20261207);
    auto pick = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    int crashes = 0;
    int inBoth = 0;
    for (int run = 0; crashes < wanted && run < wanted * 3; ++run) {
        // Thousands of small saves: a folder in memory where the machine has one.
        QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                              ? QStringLiteral("/dev/shm/quillmar-crash-XXXXXX")
                              : QDir::tempPath() + QStringLiteral("/quillmar-crash-XXXXXX"));
        ASSERT_TRUE(dir.isValid());
        Session s(dir.path());
        YesPrompter user(dir.path());
        auto doc = std::make_unique<ListDocument>(s.paths);
        // With autosaves on, an undone move to history leaves its rows in the history until the next save
        // of the list; without, the list is saved first. The timer itself never fires here.
        doc->setAutosaveDelay(pick(2) == 0 ? 0 : 60000);
        std::vector<RowChange> done;
        std::vector<RowChange> undone;
        QObject::connect(doc.get(), &ListDocument::changeMade, [&](const RowChange& c) {
            done.push_back(c);
            undone.clear();
        });
        QObject::connect(doc.get(), &ListDocument::rowsReplaced, [&] {
            done.clear();
            undone.clear();
        });
        doc->startUp({}, user);

        std::set<QByteArray> deleted; // what the user removed on purpose
        bool damaged = false;
        std::set<QByteArray> required = s.itemsInFiles(&damaged);
        int counter = 0;
        CrashPoint::arm(1 + pick(60));
        std::set<QByteArray> deletedNow;
        // The rows of a save in the background, and the file it replaces.
        std::set<QByteArray> pendingRows;
        QString pendingFile;
        bool crashed = false;
        std::string trace;
        try {
            for (int step = 0; step < 40; ++step) {
                deletedNow.clear();
                const int op = pick(12);
                trace += std::to_string(op) + "/m" + std::to_string(int(doc->mode())) + ' ';
                ToDoListModel& rows = *doc->model();
                const int n = rows.size();
                switch (op) {
                case 0:
                case 1:
                    doc->addItem(ToDoItem::make("item " + QByteArray::number(++counter), false), {}, {});
                    break;
                case 2:
                case 3:
                    if (n > 0)
                        doc->DeleteSelectedItems({pick(n)}, true, user);
                    break;
                case 4:
                    if (n > 0) {
                        const int r = pick(n);
                        for (const QByteArray& a : actionsOf(rows, {r}))
                            deletedNow.insert(a);
                        doc->DeleteSelectedItems({r}, false, user);
                    }
                    break;
                case 5:
                    // As the window's undo does: a move under way is completed, and the last change.
                    doc->finishPendingChanges();
                    if (!done.empty() && done.back().kind() != RowChange::Kind::MoveToHistory)
                        deletedNow = removedBy(rows, done.back(), true);
                    if (!done.empty() && doc->prepareUndo(done.back())) {
                        doc->undoRows(done.back());
                        undone.push_back(done.back());
                        done.pop_back();
                    }
                    break;
                case 6:
                    doc->finishPendingChanges();
                    if (!undone.empty() && undone.back().kind() != RowChange::Kind::MoveToHistory)
                        deletedNow = removedBy(rows, undone.back(), false);
                    if (!undone.empty() && doc->prepareRedo(undone.back())) {
                        doc->redoRows(undone.back());
                        done.push_back(undone.back());
                        undone.pop_back();
                    }
                    break;
                case 7:
                    doc->importItems({ToDoItem::make("imported " + QByteArray::number(++counter), false)});
                    break;
                case 8:
                    // The save runs beside the next steps, or is waited for at once. Under way, it has
                    // already let go of what its copy of the rows lacks.
                    if (!doc->isSaving()) {
                        pendingFile = doc->mode() == ListMode::Standard   ? s.paths.standardList
                                      : doc->mode() == ListMode::External ? doc->recovery().listPath()
                                                                          : QString();
                        pendingRows.clear();
                        for (int r = 0; r < rows.size(); ++r)
                            pendingRows.insert(rows.item(r).action().toByteArray());
                    }
                    doc->autosave();
                    // Waited for, as a command does, or taken in when it ends, as the window's event loop
                    // does: the cuts it makes due then run beside the next steps.
                    if (pick(3) == 0) {
                        doc->finishSaving();
                    } else if (pick(2) == 0) {
                        testutil::takeInSaveEnd(*doc);
                    }
                    break;
                case 9:
                    if (doc->mode() == ListMode::External)
                        doc->SaveExternalList(user);
                    else if (pick(2) == 0)
                        doc->NewEmptyList(user);
                    else
                        doc->OpenExternalList(user);
                    break;
                case 10:
                    doc->OpenStandardList(user);
                    break;
                case 11: {
                    UnattendedPrompter nobody;
                    doc->endSession(nobody);
                    break;
                }
                }
                // Only what undo brings back is the user's again; a deletion stays one.
                for (const QByteArray& a : deletedNow)
                    deleted.insert(a);
                for (int r = 0; r < doc->model()->size(); ++r)
                    deleted.erase(doc->model()->item(r).action().toByteArray());
                // A move or cuts under way go on beside the next step (or are completed now, as a save
                // would). The history they write is not read meanwhile: what the files held stays required.
                const auto historyBusy = [&] { return doc->isMovingToHistory() || doc->isCuttingHistory(); };
                if (historyBusy() && pick(2) == 0)
                    doc->finishPendingChanges();
                if (historyBusy()) {
                    for (const QByteArray& a : deleted)
                        required.erase(a);
                    continue;
                }
                required.clear();
                const bool pending = doc->isSaving() && !pendingFile.isEmpty();
                const std::set<QByteArray> outside =
                    s.itemsInFiles(&damaged, pending ? pendingFile : QString());
                for (const QByteArray& a : pending ? s.itemsInFiles(&damaged) : outside)
                    if (!deleted.count(a) && (!pending || outside.count(a) || pendingRows.count(a)))
                        required.insert(a);
            }
            doc->finishPendingChanges();
            doc->finishSaving();
        } catch (const CrashPoint::SimulatedCrash& c) {
            trace += std::string("crash at ") + c.step;
            crashed = true;
        }
        doc.reset();
        CrashPoint::reset();
        if (!crashed)
            continue;
        ++crashes;
        SCOPED_TRACE(testing::Message() << "run " << run << " ops " << trace);
        for (const QByteArray& a : deletedNow)
            required.erase(a);

        // The next run finds every item in some file, and no file damaged.
        const std::set<QByteArray> after = s.itemsInFiles(&damaged);
        ASSERT_FALSE(damaged);
        for (const QByteArray& a : required)
            ASSERT_TRUE(after.count(a)) << "lost " << a.constData();

        // It restores what was kept and saves it: nothing is lost but what the restored copy itself let
        // go of in the file it replaces (the user chose that older state).
        auto next = std::make_unique<ListDocument>(s.paths);
        next->setAutosaveDelay(0);
        YesPrompter again(dir.path(), QStringLiteral("restored"));
        next->startUp({}, again);
        const QString replaced =
            next->mode() == ListMode::Standard ? s.paths.standardList : next->externalFileName();
        std::set<QByteArray> kept;
        for (const QByteArray& a : s.itemsInFiles(&damaged, replaced))
            if (required.count(a))
                kept.insert(a);
        for (int r = 0; r < next->model()->size(); ++r)
            if (required.count(next->model()->item(r).action().toByteArray()))
                kept.insert(next->model()->item(r).action().toByteArray());
        ASSERT_TRUE(next->SaveCurrentList(again));
        const std::set<QByteArray> saved = s.itemsInFiles(&damaged);
        ASSERT_FALSE(damaged);
        for (const QByteArray& a : kept)
            ASSERT_TRUE(saved.count(a)) << "lost after restoring " << a.constData();

        // The next run completes what the crash left half-way: the moved rows leave the list, the rows
        // of an undone move leave the history.
        ToDoList standard, history;
        if (next->mode() == ListMode::Standard && ReadListFile(s.paths.standardList, true, standard) &&
            ReadListFile(s.paths.historyList, false, history)) {
            std::set<QByteArray> moved;
            for (const ToDoItem& it : history.items)
                moved.insert(it.action().toByteArray());
            for (const ToDoItem& it : standard.items)
                if (moved.count(it.action().toByteArray())) {
                    ++inBoth;
                    std::printf("in both lists: %s; %s\n", it.action().toByteArray().constData(),
                                trace.c_str());
                    break;
                }
        }
    }
    EXPECT_GE(crashes, wanted);
    // None in 20,000 crashes, busy machine or not; one in 50 when undone moves' cuts were not journalled.
    // A few in 10,000 are let pass: the saves and moves beside the window interleave as the machine lets
    // them, and a test that fails once in a while is no check.
    EXPECT_LE(inBoth, crashes / 2000);
    CrashPoint::setSyncEnabled(true);
}

// The step right after a move (a save, the history list shown, an autosave, an undo and a save) finds the
// move complete: a crash at any step of the two never leaves the moved row in neither file, and once the
// next run has started and saved, it is in one of them.
TEST(CrashTest, AMovedRowIsInTheHistoryBeforeAListWithoutItIsWritten)
{
    CrashPoint::setSyncEnabled(false);
    for (int next = 0; next < 4; ++next) {
        for (long step = 1;; ++step) {
            SCOPED_TRACE(testing::Message() << "next step " << next << ", crash at step " << step);
            QTemporaryDir dir;
            Session s(dir.path());
            YesPrompter user(dir.path());
            ToDoList start;
            for (const char* a : {"a", "b", "c"})
                start.items.push_back(ToDoItem::make(a, false));
            ASSERT_TRUE(SaveListFile(start, s.paths.standardList));
            ToDoList old;
            old.items.push_back(ToDoItem::make("old", false));
            ASSERT_TRUE(SaveHistoryFile(old, s.paths.historyList));
            auto doc = std::make_unique<ListDocument>(s.paths);
            doc->setAutosaveDelay(0);
            std::vector<RowChange> done;
            QObject::connect(doc.get(), &ListDocument::changeMade,
                             [&](const RowChange& c) { done.push_back(c); });
            doc->startUp({}, user);
            bool crashed = false;
            CrashPoint::arm(step);
            try {
                ASSERT_TRUE(doc->DeleteSelectedItems({1}, true, user));
                switch (next) {
                case 0:
                    doc->SaveCurrentList(user);
                    break;
                case 1:
                    doc->LoadHistoryList(user);
                    break;
                case 2:
                    doc->autosave();
                    doc->finishSaving();
                    break;
                case 3:
                    doc->finishPendingChanges();
                    ASSERT_EQ(done.size(), 1u);
                    if (doc->prepareUndo(done.back()))
                        doc->undoRows(done.back());
                    doc->SaveCurrentList(user);
                    break;
                }
                doc->finishSaving();
            } catch (const CrashPoint::SimulatedCrash&) {
                crashed = true;
            }
            doc.reset();
            CrashPoint::reset();
            bool damaged = false;
            const std::set<QByteArray> found = s.itemsInFiles(&damaged);
            ASSERT_FALSE(damaged);
            ASSERT_TRUE(found.count("b") && found.count("old"));
            ListDocument again(s.paths);
            again.startUp({}, user);
            ASSERT_TRUE(again.SaveCurrentList(user));
            int copies = 0;
            for (const QString& f : {s.paths.standardList, s.paths.historyList}) {
                ToDoList list;
                ASSERT_TRUE(ReadListFile(f, f == s.paths.standardList, list));
                copies += int(std::count_if(list.items.begin(), list.items.end(),
                                            [](const ToDoItem& i) { return i.action() == "b"; }));
            }
            EXPECT_EQ(copies, 1);
            if (!crashed)
                break;
        }
    }
    CrashPoint::setSyncEnabled(true);
}
