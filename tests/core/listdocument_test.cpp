// The list document against what a user can do: random sequences of edits, switches, saves that fail,
// answers and session ends, checked after every step against what each file may hold.
#include "model/ListDocument.h"
#include "model/ListFile.h"
#include "model/RecoveryFile.h"
#include "platform/CrashPoint.h"
#include "platform/FileStamp.h"

#include "TestUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <numeric>
#include <random>
#include <set>

namespace {
using Answer = ListPrompter::Answer;
using Question = ListPrompter::Question;

// The rows as they would be written (items only): what two lists must agree on.
QByteArray rowsOf(const ToDoList& list)
{
    return SerializeList(list, false);
}

QByteArray rowsOnDisk(const QString& path, bool history = false)
{
    if (!QFileInfo(path).isFile())
        return QByteArray("<none>");
    ToDoList list;
    if (!ReadListFile(path, !history, list))
        return QByteArray("<unreadable>");
    return rowsOf(list);
}

// Answers and file names from a script (tests of single paths) or at random (the property test).
class ScriptedPrompter : public ListPrompter
{
public:
    explicit ScriptedPrompter(std::mt19937* random = nullptr) : m_random(random) {}

    QList<Answer> answers;
    QStringList openNames;
    QStringList saveNames;
    QStringList openPool;
    QStringList savePool;
    QStringList informed;
    QList<Question> asked;
    // Set when the user agreed to lose changes during the current step.
    bool discarded = false;

    Answer ask(Question question, const QString&, bool withCancel) override
    {
        asked << question;
        Answer a = Answer::No;
        if (!answers.isEmpty())
            a = answers.takeFirst();
        else if (m_random)
            a = static_cast<Answer>(pick(withCancel ? 3 : 2));
        if (!withCancel && a == Answer::Cancel)
            a = Answer::No;
        if ((question == Question::DiscardChanges && a == Answer::Yes) ||
            (question == Question::SaveChangedExternal && withCancel && a == Answer::No) ||
            (question == Question::SaveNewList && a == Answer::No))
            discarded = true;
        return a;
    }
    QString chooseListToOpen(const QString&) override { return next(openNames, openPool); }
    QString chooseListToSave(const QString&) override
    {
        chosenForSaving = next(saveNames, savePool);
        return chosenForSaving;
    }
    // The file the user picked in a save dialog during the current step (the dialog asks before
    // replacing a file: whatever goes there, the user chose).
    QString chosenForSaving;
    void inform(const QString& text) override { informed << text; }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(*m_random); }
    QString next(QStringList& scripted, const QStringList& pool)
    {
        if (!scripted.isEmpty())
            return scripted.takeFirst();
        if (!m_random || pool.isEmpty() || pick(4) == 0)
            return {};
        return pool[pick(static_cast<int>(pool.size()))];
    }
    std::mt19937* m_random;
};

ToDoItem item(const QByteArray& action, bool checked = false)
{
    ToDoItem it = ToDoItem::make(action, checked);
    it.setValue(ToDoItem::Remarks, "r:" + action);
    return it;
}

ToDoList listOf(std::initializer_list<const char*> actions)
{
    ToDoList l;
    for (const char* a : actions)
        l.items.push_back(item(a));
    return l;
}

class ListDocumentTest : public ::testing::Test
{
protected:
    QTemporaryDir m_dir;
    ListDocument::Paths m_paths;
    std::unique_ptr<ListDocument> m_doc;

    void SetUp() override
    {
        testutil::makeEventQueue();
        m_paths = {path("ToDoX.tdo"), path("History.tdh"), m_dir.path()};
        restart();
    }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    bool copyLeft() const { return !RecoveryFile::copiesIn(m_dir.path()).isEmpty(); }
    void restart()
    {
        m_doc = std::make_unique<ListDocument>(m_paths);
        m_doc->setAutosaveDelay(0);
    }
    ToDoListModel& rows() { return *m_doc->model(); }
    // A new run on these history and standard list files, autosaving only when told to; the changes it
    // makes are added to done.
    void startOn(const ToDoList& history, const ToDoList& standard, ScriptedPrompter& user,
                 std::vector<RowChange>& done)
    {
        ASSERT_TRUE(SaveHistoryFile(history, m_paths.historyList));
        ASSERT_TRUE(SaveListFile(standard, m_paths.standardList));
        restart();
        m_doc->setAutosaveDelay(60000);
        m_doc->startUp({}, user);
        QObject::connect(m_doc.get(), &ListDocument::changeMade,
                         [&done](const RowChange& c) { done.push_back(c); });
    }
    // The standard list file can no longer be written (nor read): a folder stands in its place.
    void breakStandardList(bool broken)
    {
        const QString kept = m_paths.standardList + QStringLiteral(".bak");
        if (broken) {
            QFile::rename(m_paths.standardList, kept);
            QDir().mkpath(m_paths.standardList);
        } else {
            QDir(m_paths.standardList).removeRecursively();
            QFile::rename(kept, m_paths.standardList);
        }
    }
};
} // namespace

// ---- The paths that lost items, one by one ----

TEST_F(ListDocumentTest, CommandLineFilesNeverReplaceTheStandardList)
{
    ASSERT_TRUE(SaveListFile(listOf({"mine"}), m_paths.standardList));
    ASSERT_TRUE(SaveListFile(listOf({"colleague"}), path("other.tdo")));
    ScriptedPrompter user;
    m_doc->startUp(path("other.tdo"), user);
    EXPECT_EQ(m_doc->mode(), ListMode::External);
    EXPECT_EQ(m_doc->externalFileName(), path("other.tdo"));
    rows().appendItem(item("added"));
    user.answers = {Answer::Yes};
    ASSERT_TRUE(m_doc->prepareToLeave(user));
    EXPECT_EQ(rowsOnDisk(path("other.tdo")), rowsOf(listOf({"colleague", "added"})));
    EXPECT_EQ(rowsOnDisk(m_paths.standardList), rowsOf(listOf({"mine"})));

    // Missing, unreadable or foreign files are reported and change nothing; the standard list is shown.
    for (const QString& bad : {path("missing.tdx"), path("notes.txt"), path("damaged.tdx")}) {
        testutil::writeAll(path("notes.txt"), "hello");
        testutil::writeAll(path("damaged.tdx"), "\x05\x00\x00\x00garbage");
        restart();
        ScriptedPrompter quiet;
        m_doc->startUp(bad, quiet);
        EXPECT_EQ(m_doc->mode(), ListMode::Standard) << bad.toStdString();
        EXPECT_EQ(rowsOf(m_doc->list()), rowsOf(listOf({"mine"})));
        ASSERT_FALSE(quiet.informed.isEmpty());
        EXPECT_TRUE(quiet.informed.first().startsWith(QLatin1String("Problems reading the file!")));
        // A hand-over of the same file later changes nothing either.
        EXPECT_FALSE(m_doc->openListFile(bad, quiet));
        EXPECT_EQ(m_doc->mode(), ListMode::Standard);
    }
    // The standard list file itself, named on the command line, is the standard list.
    restart();
    ScriptedPrompter again;
    m_doc->startUp(m_paths.standardList, again);
    EXPECT_EQ(m_doc->mode(), ListMode::Standard);
}

// "Save" on a named external list: No is no save, and says so.
TEST_F(ListDocumentTest, ASaveRefusedWithNoIsNotReportedAsSaved)
{
    ASSERT_TRUE(SaveListFile(listOf({"theirs"}), path("other.tdx")));
    ScriptedPrompter user;
    m_doc->startUp(path("other.tdx"), user);
    rows().appendItem(item("mine"));
    user.answers = {Answer::No};
    EXPECT_FALSE(m_doc->SaveCurrentList(user));
    EXPECT_TRUE(m_doc->isModified());
    EXPECT_EQ(rowsOnDisk(path("other.tdx")), rowsOf(listOf({"theirs"})));
    user.answers = {Answer::Yes};
    EXPECT_TRUE(m_doc->SaveCurrentList(user));
    EXPECT_FALSE(m_doc->isModified());
    EXPECT_EQ(rowsOnDisk(path("other.tdx")), rowsOf(listOf({"theirs", "mine"})));
}

TEST_F(ListDocumentTest, AnUnreadableStandardListTakesNoRowsAndIsNeverWritten)
{
    testutil::writeAll(m_paths.standardList, "\x02\x00\x00\x00 damaged");
    const QByteArray damaged = testutil::readAll(m_paths.standardList);
    ScriptedPrompter user;
    m_doc->startUp({}, user);
    EXPECT_EQ(m_doc->mode(), ListMode::NoList);
    EXPECT_FALSE(m_doc->canChangeRows());
    ASSERT_EQ(user.informed.size(), 1);
    UnattendedPrompter nobody;
    m_doc->endSession(nobody);
    EXPECT_TRUE(m_doc->prepareToLeave(user));
    EXPECT_EQ(testutil::readAll(m_paths.standardList), damaged);
}

// Another program wrote the shown external list's file: saving asks before replacing it, and nobody
// answering (a session end) keeps the list in the recovery copy instead.
TEST_F(ListDocumentTest, AFileChangedByAnotherWriterIsNotReplacedUnasked)
{
    const QString file = path("shared.tdx");
    ASSERT_TRUE(SaveListFile(listOf({"ours"}), file));
    ScriptedPrompter user;
    m_doc->startUp(file, user);
    rows().appendItem(item("added here"));
    ASSERT_TRUE(SaveListFile(listOf({"ours", "added elsewhere", "and more"}), file));
    const QByteArray theirs = rowsOnDisk(file);

    // "Save external" is the user's word: the only question is the one about the other writer.
    user.answers = {Answer::Cancel};
    EXPECT_FALSE(m_doc->SaveExternalList(user));
    EXPECT_EQ(user.asked, QList<Question>{Question::ReplaceChangedFile});
    EXPECT_EQ(rowsOnDisk(file), theirs);
    EXPECT_TRUE(m_doc->isModified());

    UnattendedPrompter nobody;
    m_doc->endSession(nobody);
    EXPECT_EQ(rowsOnDisk(file), theirs);
    EXPECT_EQ(rowsOnDisk(m_doc->recovery().listPath()), rowsOf(listOf({"ours", "added here"})));

    user.answers = {Answer::No};
    user.saveNames = {path("mine.tdx")};
    EXPECT_TRUE(m_doc->SaveExternalList(user));
    EXPECT_EQ(rowsOnDisk(path("mine.tdx")), rowsOf(listOf({"ours", "added here"})));
    EXPECT_EQ(rowsOnDisk(file), theirs);
}

// The standard and history lists are stamped like any list: another run's import into the standard list
// survives the autosave (a copy keeps ours), and the save the user sees asks.
// An autosave writes beside the window from a copy of the rows: a change made meanwhile keeps the list
// modified, a failed save is reported and keeps it modified, and leaving saves what the save left out.
TEST_F(ListDocumentTest, ChangesMadeWhileAnAutosaveWritesAreNotLostNorMarkedSaved)
{
    ScriptedPrompter user;
    m_doc->startUp({}, user);
    rows().appendItem(item("first"));
    m_doc->autosave();
    rows().appendItem(item("second"));
    m_doc->finishSaving();
    EXPECT_EQ(rowsOnDisk(m_paths.standardList), rowsOf(listOf({"first"})));
    EXPECT_TRUE(m_doc->isModified());
    m_doc->autosave();
    rows().appendItem(item("third"));
    EXPECT_TRUE(m_doc->prepareToLeave(user));
    EXPECT_EQ(rowsOnDisk(m_paths.standardList), rowsOf(listOf({"first", "second", "third"})));
    EXPECT_FALSE(m_doc->isModified());

    QStringList failed;
    QObject::connect(m_doc.get(), &ListDocument::autosaveFailed,
                     [&failed](const QString& e) { failed << e; });
    ASSERT_TRUE(QFile::remove(m_paths.standardList) && QDir().mkdir(m_paths.standardList));
    rows().appendItem(item("fourth"));
    m_doc->autosave();
    m_doc->finishSaving();
    EXPECT_EQ(failed.size(), 1);
    EXPECT_TRUE(m_doc->isModified());
    EXPECT_EQ(rowsOnDisk(m_doc->recovery().listPath()),
              rowsOf(listOf({"first", "second", "third", "fourth"})));
}

// A long import joins the rows in slices; an edit or a save meanwhile finds it whole, and it is taken
// back as one change.
TEST_F(ListDocumentTest, ALongImportIsWholeBeforeAnyOtherStepAndGoesBackAsOne)
{
    ScriptedPrompter user;
    m_doc->setImportTurnBudget(0);
    m_doc->startUp({}, user);
    rows().appendItem(item("a"));
    std::vector<RowChange> done;
    QObject::connect(m_doc.get(), &ListDocument::changeMade,
                     [&done](const RowChange& c) { done.push_back(c); });
    const int imported = 2 * SlicedImport::kSliceRows + 1;
    auto importing = [&] {
        std::vector<ToDoItem> items;
        for (int i = 0; i < imported; ++i)
            items.push_back(item(QByteArray("i" + QByteArray::number(i)).constData()));
        ASSERT_TRUE(m_doc->importItems(std::move(items)));
        ASSERT_TRUE(m_doc->isImporting());
        EXPECT_TRUE(done.empty());
    };
    importing();
    ASSERT_TRUE(m_doc->addItem(item("b"), {}, {}));
    ASSERT_EQ(done.size(), 2u);
    EXPECT_EQ(done[0].rowCount(), imported);
    EXPECT_EQ(rows().size(), imported + 2);
    EXPECT_EQ(rows().item(imported + 1).action(), QByteArray("b"));
    for (auto it = done.rbegin(); it != done.rend(); ++it) {
        ASSERT_TRUE(m_doc->prepareUndo(*it));
        m_doc->undoRows(*it);
    }
    EXPECT_EQ(rowsOf(rows().list()), rowsOf(listOf({"a"})));

    done.clear();
    importing();
    ASSERT_TRUE(m_doc->SaveCurrentList(user));
    ToDoList onDisk;
    ASSERT_TRUE(ReadListFile(m_paths.standardList, true, onDisk));
    EXPECT_EQ(onDisk.size(), imported + 1);
    EXPECT_EQ(done.size(), 1u);
}

// With autosaves on, an undone move to history leaves its rows in the history until a save of the list
// holds them again; done again before that, it finds them still there.
TEST_F(ListDocumentTest, AnUndoneMoveLeavesTheHistoryOnceTheListHoldsItsRowsAgain)
{
    ScriptedPrompter user;
    m_doc->setAutosaveDelay(60000);
    ASSERT_TRUE(SaveHistoryFile(listOf({"old"}), m_paths.historyList));
    const QByteArray historyBefore = rowsOnDisk(m_paths.historyList, true);
    m_doc->startUp({}, user);
    rows().appendItem(item("a"));
    rows().appendItem(item("b"));
    ASSERT_TRUE(m_doc->SaveCurrentList(user));
    std::vector<RowChange> done;
    QObject::connect(m_doc.get(), &ListDocument::changeMade,
                     [&done](const RowChange& c) { done.push_back(c); });
    ASSERT_TRUE(m_doc->DeleteSelectedItems({0}, true, user));
    // As the window's undo does: the move under way is completed and on the stack.
    m_doc->finishPendingChanges();
    const QByteArray historyMoved = rowsOnDisk(m_paths.historyList, true);
    for (bool redoFirst : {true, false}) {
        ASSERT_TRUE(m_doc->prepareUndo(done.back()));
        m_doc->undoRows(done.back());
        EXPECT_EQ(rowsOnDisk(m_paths.historyList, true), historyMoved);
        if (redoFirst) {
            ASSERT_TRUE(m_doc->prepareRedo(done.back()));
            m_doc->redoRows(done.back());
            EXPECT_EQ(rowsOnDisk(m_paths.historyList, true), historyMoved);
        }
    }
    m_doc->autosave();
    m_doc->finishSaving();
    EXPECT_EQ(rowsOnDisk(m_paths.standardList), rowsOf(listOf({"a", "b"})));
    EXPECT_EQ(rowsOnDisk(m_paths.historyList, true), historyBefore);
}

// Another program wrote the history after a move (a second run of the program, say): taking the move back
// takes its row out where the move put it, and what the other program added stays.
TEST_F(ListDocumentTest, AnUndoneMoveKeepsWhatAnotherProgramAddedToTheHistory)
{
    ScriptedPrompter user;
    m_doc->setAutosaveDelay(60000);
    ASSERT_TRUE(SaveHistoryFile(listOf({"old"}), m_paths.historyList));
    m_doc->startUp({}, user);
    rows().appendItem(item("a"));
    rows().appendItem(item("b"));
    ASSERT_TRUE(m_doc->SaveCurrentList(user));
    std::vector<RowChange> done;
    QObject::connect(m_doc.get(), &ListDocument::changeMade,
                     [&done](const RowChange& c) { done.push_back(c); });
    ASSERT_TRUE(m_doc->DeleteSelectedItems({0}, true, user));
    m_doc->finishPendingChanges();
    ASSERT_TRUE(SaveHistoryFile(listOf({"old", "a", "theirs"}), m_paths.historyList));
    ASSERT_TRUE(m_doc->prepareUndo(done.back()));
    m_doc->undoRows(done.back());
    m_doc->autosave();
    m_doc->finishSaving();
    EXPECT_EQ(rowsOnDisk(m_paths.standardList), rowsOf(listOf({"a", "b"})));
    EXPECT_EQ(rowsOnDisk(m_paths.historyList, true), rowsOf(listOf({"old", "theirs"})));
}

// Moves taken back one after the other leave the history as it was before them, and a history the first
// of them made goes again, whatever order their undos came in.
TEST_F(ListDocumentTest, MovesTakenBackInARowLeaveTheHistoryAsItWas)
{
    ScriptedPrompter user;
    m_doc->setAutosaveDelay(60000);
    m_doc->startUp({}, user);
    for (const char* a : {"a", "b", "c", "d"})
        rows().appendItem(item(a));
    ASSERT_TRUE(m_doc->SaveCurrentList(user));
    QFile::remove(m_paths.historyList);
    std::vector<RowChange> done;
    QObject::connect(m_doc.get(), &ListDocument::changeMade,
                     [&done](const RowChange& c) { done.push_back(c); });
    auto undoLast = [&] {
        m_doc->finishPendingChanges();
        ASSERT_TRUE(m_doc->prepareUndo(done.back()));
        m_doc->undoRows(done.back());
        done.pop_back();
    };
    auto move = [&](int row) {
        ASSERT_TRUE(m_doc->DeleteSelectedItems({row}, true, user));
        m_doc->finishPendingChanges();
    };
    // Three moves taken back in a row; then one taken back, and a later one taken back too.
    move(0);
    move(0);
    move(0);
    for (int i = 0; i < 3; ++i)
        undoLast();
    m_doc->autosave();
    m_doc->finishSaving();
    EXPECT_FALSE(QFileInfo::exists(m_paths.historyList));
    move(1);
    undoLast();
    move(2);
    undoLast();
    m_doc->autosave();
    m_doc->finishSaving();
    EXPECT_EQ(rowsOnDisk(m_paths.standardList), rowsOf(listOf({"a", "b", "c", "d"})));
    EXPECT_FALSE(QFileInfo::exists(m_paths.historyList));
}

// A move made while the save that holds an undone move's rows again is written beside the window: that
// save's cut then takes the undone rows out from before the new move's. The journal of moves follows, so
// that a run ending before the list is saved without the new move's rows still completes it at the next
// start.
TEST_F(ListDocumentTest, AMoveMadeWhileAnUndoneMovesCutWaitsIsCompletedAtTheNextStart)
{
    ScriptedPrompter user;
    m_doc->setAutosaveDelay(60000);
    ASSERT_TRUE(SaveHistoryFile(listOf({"old"}), m_paths.historyList));
    m_doc->startUp({}, user);
    for (const char* a : {"a", "b", "c"})
        rows().appendItem(item(a));
    ASSERT_TRUE(m_doc->SaveCurrentList(user));
    std::vector<RowChange> done;
    QObject::connect(m_doc.get(), &ListDocument::changeMade,
                     [&done](const RowChange& c) { done.push_back(c); });
    ASSERT_TRUE(m_doc->DeleteSelectedItems({0}, true, user));
    m_doc->finishPendingChanges();
    ASSERT_TRUE(m_doc->prepareUndo(done.back()));
    m_doc->undoRows(done.back());
    const FileStamp before = FileStamp::of(m_paths.standardList);
    m_doc->autosave();
    // The save has replaced the file; the window has not taken it in when the next move is made.
    for (int i = 0; i < 2000 && FileStamp::of(m_paths.standardList) == before; ++i)
        QThread::msleep(5);
    ASSERT_NE(FileStamp::of(m_paths.standardList), before);
    ASSERT_TRUE(m_doc->DeleteSelectedItems({1}, true, user));
    m_doc->finishPendingChanges();
    m_doc->finishSaving();
    EXPECT_EQ(rowsOnDisk(m_paths.historyList, true), rowsOf(listOf({"old", "b"})));

    // The run ends before the list is saved without "b", and just after it let go of an earlier journal
    // (moved out of its name, not yet removed): that goes at the next start.
    const QString letGo = path("History.tdh.moving.gone");
    ASSERT_TRUE(testutil::writeAll(letGo, "QMUJ"));
    restart();
    m_doc->startUp({}, user);
    EXPECT_FALSE(QFileInfo::exists(letGo));
    EXPECT_EQ(rowsOf(m_doc->list()), rowsOf(listOf({"a", "c"})));
    EXPECT_EQ(rowsOnDisk(m_paths.historyList, true), rowsOf(listOf({"old", "b"})));
}

// Taking back a move never cuts its rows off the history for a file that does not hold them back: not for
// equal rows the list held anyway (a second program rewrote its file after the run ended), not for a
// recovery copy the user then lets go, not again for a cut the run made just before it ended. A file that
// does hold them back has them cut, after a crash too.
TEST_F(ListDocumentTest, AnUndoneMoveLeavesTheHistoryOnlyForAListFileThatHoldsItsRowsBack)
{
    auto count = [](const QString& file, bool history, const char* action) {
        ToDoList l;
        if (!ReadListFile(file, !history, l))
            return -1;
        return int(std::count_if(l.items.begin(), l.items.end(),
                                 [&](const ToDoItem& i) { return i.action() == action; }));
    };
    // Moves "Eins" (row 0) with the list saved before and after, and takes it back; its cut waits.
    auto moveAndTakeBack = [&](ScriptedPrompter& user) {
        std::vector<RowChange> done;
        auto c = QObject::connect(m_doc.get(), &ListDocument::changeMade,
                                  [&done](const RowChange& ch) { done.push_back(ch); });
        ASSERT_TRUE(m_doc->DeleteSelectedItems({0}, true, user));
        ASSERT_TRUE(m_doc->autosaveAndWait());
        ASSERT_TRUE(m_doc->prepareUndo(done.back()));
        m_doc->undoRows(done.back());
        QObject::disconnect(c);
    };
    // A saved history and standard list, shown by a new run that autosaves only when told to.
    auto startWith = [&](std::initializer_list<const char*> history, std::initializer_list<const char*> rows,
                         ScriptedPrompter& user) {
        ASSERT_TRUE(SaveHistoryFile(listOf(history), m_paths.historyList));
        ASSERT_TRUE(SaveListFile(listOf(rows), m_paths.standardList));
        restart();
        m_doc->setAutosaveDelay(60000);
        m_doc->startUp({}, user);
    };
    // Runs steps with the run ending at write step n; whether it ended there.
    auto crashesAt = [](long n, const std::function<void()>& steps) {
        bool crashed = false;
        CrashPoint::arm(n);
        try {
            steps();
        } catch (const CrashPoint::SimulatedCrash&) {
            crashed = true;
        }
        CrashPoint::reset();
        return crashed;
    };
    auto autosaveEndsAt = [&](long n) {
        return crashesAt(n, [&] {
            m_doc->autosave();
            m_doc->finishSaving();
        });
    };
    // The next run, started and saved.
    auto nextRunSaved = [&](ScriptedPrompter& user) {
        restart();
        m_doc->startUp({}, user);
        ASSERT_TRUE(m_doc->autosaveAndWait());
    };
    CrashPoint::setSyncEnabled(false);
    // An equal row stays in the list; the run ends before the save; another program writes the list's
    // file with the same rows.
    {
        ScriptedPrompter user;
        ASSERT_NO_FATAL_FAILURE(startWith({"old"}, {"Eins", "Eins", "Zwei"}, user));
        moveAndTakeBack(user);
        restart();
        ASSERT_TRUE(SaveListFile(listOf({"Eins", "Zwei"}), m_paths.standardList));
        m_doc->startUp({}, user);
        EXPECT_EQ(count(m_paths.historyList, true, "Eins"), 1);
    }
    // Another program changed the list's file: the rows go back into the recovery copy only, and the run
    // ends; the next start is told no to the copy.
    {
        ScriptedPrompter user;
        ASSERT_NO_FATAL_FAILURE(startWith({"old"}, {"Eins", "Zwei"}, user));
        moveAndTakeBack(user);
        ASSERT_TRUE(SaveListFile(listOf({"Zwei", "Vier"}), m_paths.standardList));
        m_doc->autosave();
        m_doc->finishSaving();
        ASSERT_TRUE(copyLeft());
        EXPECT_EQ(count(m_paths.historyList, true, "Eins"), 1);
        restart();
        m_doc->startUp({}, user);
        EXPECT_EQ(count(m_paths.historyList, true, "Eins"), 1);
        EXPECT_EQ(count(m_paths.standardList, false, "Eins"), 0);
    }
    // The history holds an equal row of an earlier move; the save and the cut are cut short at each step.
    for (long step = 1;; ++step) {
        ScriptedPrompter user;
        ASSERT_NO_FATAL_FAILURE(startWith({"old", "Eins"}, {"Eins", "Zwei"}, user));
        moveAndTakeBack(user);
        const bool crashed = autosaveEndsAt(step);
        ASSERT_NO_FATAL_FAILURE(nextRunSaved(user));
        SCOPED_TRACE(testing::Message() << "crash at step " << step);
        EXPECT_EQ(count(m_paths.historyList, true, "Eins") + count(m_paths.standardList, false, "Eins"), 2);
        EXPECT_GE(count(m_paths.historyList, true, "Eins"), 1);
        if (!crashed)
            break;
    }
    // An equal row follows the undone move into the history before the save; the save and the cut (from
    // the history's middle) are cut short at each step. Once the cut is made, the later move's equal
    // records lie where the undone move's were: the next start must not cut them again.
    for (long step = 1;; ++step) {
        ScriptedPrompter user;
        ASSERT_NO_FATAL_FAILURE(startWith({"old"}, {"Eins", "Eins", "Zwei"}, user));
        moveAndTakeBack(user);
        ASSERT_TRUE(m_doc->DeleteSelectedItems({1}, true, user));
        ASSERT_TRUE(m_doc->finishPendingChanges());
        const bool crashed = autosaveEndsAt(step);
        ASSERT_NO_FATAL_FAILURE(nextRunSaved(user));
        SCOPED_TRACE(testing::Message() << "a later equal move, crash at step " << step);
        EXPECT_GE(count(m_paths.historyList, true, "Eins") + count(m_paths.standardList, false, "Eins"), 2);
        EXPECT_GE(count(m_paths.historyList, true, "Eins"), 1);
        if (!crashed)
            break;
    }
    // An equal row is ticked after the undo, so the list's saves hold as many equal rows with the rows back
    // as without them; the save is cut short at each step, and another program then writes the list's file
    // as it was before the undo. Only the file the save wrote lets the next start cut the history.
    for (long step = 1;; ++step) {
        ScriptedPrompter user;
        ASSERT_NO_FATAL_FAILURE(startWith({"old"}, {"Eins", "Eins", "Zwei"}, user));
        moveAndTakeBack(user);
        ASSERT_TRUE(m_doc->setChecked(1, true));
        const bool crashed = autosaveEndsAt(step);
        m_doc.reset();
        const int inHistory = count(m_paths.historyList, true, "Eins");
        ASSERT_TRUE(SaveListFile(listOf({"Eins", "Zwei"}), m_paths.standardList));
        restart();
        m_doc->startUp({}, user);
        SCOPED_TRACE(testing::Message() << "another program after a crash at step " << step);
        EXPECT_EQ(count(m_paths.historyList, true, "Eins"), inHistory);
        if (!crashed)
            break;
    }
    // Save As takes the rows back to a file of the user's choosing, cut short at each step.
    const QString other = path("Other.tdo");
    for (long step = 1;; ++step) {
        ScriptedPrompter user;
        QFile::remove(other);
        ASSERT_NO_FATAL_FAILURE(startWith({"old"}, {"Eins", "Zwei"}, user));
        moveAndTakeBack(user);
        user.saveNames = {other};
        const bool crashed = crashesAt(step, [&] { m_doc->SaveExternalListAs(user); });
        restart();
        m_doc->startUp({}, user);
        SCOPED_TRACE(testing::Message() << "save as, crash at step " << step);
        EXPECT_EQ(count(m_paths.historyList, true, "Eins") + count(m_paths.standardList, false, "Eins") +
                      std::max(0, count(other, false, "Eins")),
                  1);
        if (!crashed)
            break;
    }
    // An external list takes the rows back when the user saves it, on the window's thread; that save is cut
    // short at each step (the next start is told no to the copy).
    const QString& external = other;
    for (long step = 1;; ++step) {
        ScriptedPrompter user;
        ASSERT_TRUE(SaveHistoryFile(listOf({"old"}), m_paths.historyList));
        ASSERT_TRUE(SaveListFile(listOf({"Eins", "Zwei"}), external));
        restart();
        m_doc->setAutosaveDelay(60000);
        ASSERT_TRUE(m_doc->openListFile(external, user));
        std::vector<RowChange> done;
        auto c = QObject::connect(m_doc.get(), &ListDocument::changeMade,
                                  [&done](const RowChange& ch) { done.push_back(ch); });
        ASSERT_TRUE(m_doc->DeleteSelectedItems({0}, true, user));
        user.answers = {ListPrompter::Answer::Yes};
        ASSERT_TRUE(m_doc->SaveCurrentList(user));
        ASSERT_TRUE(m_doc->prepareUndo(done.back()));
        m_doc->undoRows(done.back());
        QObject::disconnect(c);
        user.answers = {ListPrompter::Answer::Yes};
        const bool crashed = crashesAt(step, [&] { m_doc->SaveCurrentList(user); });
        restart();
        m_doc->startUp({}, user);
        SCOPED_TRACE(testing::Message() << "external list, crash at step " << step);
        EXPECT_EQ(count(m_paths.historyList, true, "Eins") + count(external, false, "Eins"), 1);
        if (!crashed)
            break;
    }
    CrashPoint::setSyncEnabled(true);
}

// Taking back a move of thousands of rows: the cut the next autosave makes due runs beside the window once
// its event loop takes the save's end in. What the user does next waits for it: a move appends behind what
// the cut leaves, the history list shows the history without the rows. A run that ends at any step of the
// save, the cut and that next step leaves every row in exactly one of the two lists, and no file damaged.
TEST_F(ListDocumentTest, ACutBesideTheWindowLeavesEveryRowInOneListWhateverComesNext)
{
    CrashPoint::setSyncEnabled(false);
    constexpr int kMoved = 3000;
    ToDoList start;
    for (int i = 0; i < kMoved; ++i)
        start.items.push_back(item("r" + QByteArray::number(i)));
    start.items.push_back(item("last"));
    QList<int> moved(kMoved);
    std::iota(moved.begin(), moved.end(), 0);
    auto rowsInBoth = [&] {
        std::map<QByteArray, int> count;
        for (const auto& [file, history] :
             {std::pair{m_paths.standardList, false}, {m_paths.historyList, true}}) {
            ToDoList l;
            EXPECT_TRUE(ReadListFile(file, !history, l)) << file.toStdString();
            for (const ToDoItem& i : l.items)
                ++count[i.action().toByteArray()];
        }
        return count;
    };
    for (const bool thenMove : {true, false}) {
        for (long step = 1;; ++step) {
            SCOPED_TRACE(testing::Message()
                         << (thenMove ? "a move" : "the history shown") << " next, crash at step " << step);
            ScriptedPrompter user;
            std::vector<RowChange> done;
            ASSERT_NO_FATAL_FAILURE(startOn(listOf({"old"}), start, user, done));
            ASSERT_TRUE(m_doc->DeleteSelectedItems(moved, true, user));
            ASSERT_TRUE(m_doc->finishPendingChanges());
            ASSERT_TRUE(m_doc->prepareUndo(done.back()));
            m_doc->undoRows(done.back());
            bool crashed = false;
            CrashPoint::arm(step);
            try {
                m_doc->autosave();
                testutil::takeInSaveEnd(*m_doc);
                if (thenMove) {
                    ASSERT_TRUE(m_doc->DeleteSelectedItems({kMoved}, true, user));
                    m_doc->finishPendingChanges();
                } else {
                    ASSERT_TRUE(m_doc->LoadHistoryList(user));
                    EXPECT_EQ(rowsOf(m_doc->list()), rowsOf(listOf({"old"})));
                }
                m_doc->autosaveAndWait();
            } catch (const CrashPoint::SimulatedCrash&) {
                crashed = true;
            }
            CrashPoint::reset();
            restart();
            m_doc->startUp({}, user);
            ASSERT_TRUE(m_doc->OpenStandardList(user));
            ASSERT_TRUE(m_doc->autosaveAndWait());
            const std::map<QByteArray, int> count = rowsInBoth();
            EXPECT_EQ(count.size(), size_t(kMoved + 2));
            for (const auto& [action, n] : count)
                ASSERT_EQ(n, 1) << action.constData();
            if (!crashed)
                break;
        }
    }
    CrashPoint::setSyncEnabled(true);
}

// A row added and moved to history; the move taken back, then the row leaves the list again before the
// next save: its add taken back (and the add and the move done again while that save is under way), the
// row deleted, or moved again. A save without the row never takes it off the history for a row still
// wanted: a run that ends at any step leaves it in a file, and once saved it is in the history once (in
// no list when deleted).
TEST_F(ListDocumentTest, ARowThatLeftTheListAgainIsCutOnlyWhenNoLongerWanted)
{
    CrashPoint::setSyncEnabled(false);
    enum class Then
    {
        UndoAddAndRedo,
        Delete,
        MoveAgain
    };
    for (const Then then : {Then::UndoAddAndRedo, Then::Delete, Then::MoveAgain}) {
        for (long step = 1;; ++step) {
            SCOPED_TRACE(testing::Message() << "case " << int(then) << ", crash at step " << step);
            ScriptedPrompter user;
            QDir(m_dir.path()).removeRecursively();
            QDir().mkpath(m_dir.path());
            std::vector<RowChange> done;
            ASSERT_NO_FATAL_FAILURE(startOn(listOf({"old"}), listOf({"a"}), user, done));
            ASSERT_TRUE(m_doc->addItem(item("Eins"), {}, {}));
            const RowChange add = done.back();
            ASSERT_TRUE(m_doc->DeleteSelectedItems({1}, true, user));
            ASSERT_TRUE(m_doc->finishPendingChanges());
            const RowChange move = done.back();
            ASSERT_TRUE(m_doc->prepareUndo(move));
            m_doc->undoRows(move);
            bool crashed = false;
            CrashPoint::arm(step);
            try {
                if (then == Then::UndoAddAndRedo) {
                    ASSERT_TRUE(m_doc->prepareUndo(add));
                    m_doc->undoRows(add);
                    m_doc->autosave();
                    for (RowChange again : {add, move}) {
                        ASSERT_TRUE(m_doc->prepareRedo(again));
                        m_doc->redoRows(again);
                    }
                } else {
                    ASSERT_TRUE(m_doc->DeleteSelectedItems({1}, then == Then::MoveAgain, user));
                    m_doc->autosave();
                }
                ASSERT_TRUE(m_doc->autosaveAndWait());
            } catch (const CrashPoint::SimulatedCrash&) {
                crashed = true;
            }
            CrashPoint::reset();
            restart();
            m_doc->startUp({}, user);
            if (then != Then::Delete) {
                EXPECT_TRUE(rowsOnDisk(m_paths.standardList).contains("Eins") ||
                            rowsOnDisk(m_paths.historyList, true).contains("Eins"));
            }
            if (!crashed) {
                EXPECT_EQ(rowsOnDisk(m_paths.historyList, true),
                          rowsOf(then == Then::Delete ? listOf({"old"}) : listOf({"old", "Eins"})));
                EXPECT_EQ(rowsOnDisk(m_paths.standardList), rowsOf(listOf({"a"})));
                break;
            }
        }
    }
    CrashPoint::setSyncEnabled(true);
}

// A save made at once (autosaves off) when a move is taken back writes the rows of an earlier undo whose
// cut still waits: those leave the history with it, so that redoing that move later, with the run ending
// before the next save, leaves its rows in one list.
TEST_F(ListDocumentTest, ASaveThatHoldsTheRowsOfAWaitingCutMakesIt)
{
    ScriptedPrompter user;
    ASSERT_TRUE(SaveHistoryFile(listOf({"old"}), m_paths.historyList));
    ASSERT_TRUE(SaveListFile(listOf({"A", "B", "Zwei"}), m_paths.standardList));
    m_doc->setAutosaveDelay(60000);
    m_doc->startUp({}, user);
    std::vector<RowChange> done;
    QObject::connect(m_doc.get(), &ListDocument::changeMade,
                     [&done](const RowChange& ch) { done.push_back(ch); });
    ASSERT_TRUE(m_doc->DeleteSelectedItems({0}, true, user));
    ASSERT_TRUE(m_doc->finishPendingChanges());
    ASSERT_TRUE(m_doc->DeleteSelectedItems({0}, true, user));
    ASSERT_TRUE(m_doc->autosaveAndWait());
    ASSERT_EQ(done.size(), 2u);
    RowChange moveA = done[0], moveB = done[1];
    ASSERT_TRUE(m_doc->prepareUndo(moveB));
    m_doc->undoRows(moveB);
    m_doc->setAutosaveDelay(0);
    ASSERT_TRUE(m_doc->prepareUndo(moveA));
    m_doc->undoRows(moveA);
    EXPECT_EQ(rowsOnDisk(m_paths.historyList, true), rowsOf(listOf({"old"})));
    for (RowChange* again : {&moveA, &moveB}) {
        ASSERT_TRUE(m_doc->prepareRedo(*again));
        m_doc->redoRows(*again);
        ASSERT_TRUE(m_doc->finishPendingChanges());
    }
    restart();
    m_doc->startUp({}, user);
    ASSERT_TRUE(m_doc->autosaveAndWait());
    EXPECT_EQ(rowsOnDisk(m_paths.standardList), rowsOf(listOf({"Zwei"})));
    EXPECT_EQ(rowsOnDisk(m_paths.historyList, true), rowsOf(listOf({"old", "A", "B"})));
}

// Two moves to history (the second of a row never saved to the list), then the autosave, cut short at each
// step of their writes in turn: the next start finds every row in exactly one of the two lists.
TEST_F(ListDocumentTest, AMoveToHistoryCutShortLeavesItsRowsInOneListOnly)
{
    CrashPoint::setSyncEnabled(false);
    // Also with the later move taken back and the run ended before the save: its rows are in the list
    // again and still end the history, and the next start completes the move (the undo was in no file).
    for (const bool undoLast : {false, true}) {
        bool crashed = true;
        for (long step = 1; crashed; ++step) {
            QTemporaryDir dir;
            const ListDocument::Paths paths{dir.filePath("ToDoX.tdo"), dir.filePath("History.tdh"),
                                            dir.path()};
            ASSERT_TRUE(SaveListFile(listOf({"a", "b", "c"}), paths.standardList));
            ASSERT_TRUE(SaveHistoryFile(listOf({"old"}), paths.historyList));
            ScriptedPrompter user;
            auto doc = std::make_unique<ListDocument>(paths);
            doc->setAutosaveDelay(60000);
            doc->startUp({}, user);
            doc->addItem(item("new"), {}, {});
            std::vector<RowChange> done;
            QObject::connect(doc.get(), &ListDocument::changeMade,
                             [&done](const RowChange& c) { done.push_back(c); });
            CrashPoint::arm(step);
            crashed = false;
            std::string where = "no crash";
            try {
                ASSERT_TRUE(doc->DeleteSelectedItems({1}, true, user));
                ASSERT_TRUE(doc->DeleteSelectedItems({0, 2}, true, user));
                if (undoLast) {
                    ASSERT_TRUE(doc->finishPendingChanges() && !done.empty());
                    ASSERT_TRUE(doc->prepareUndo(done.back()));
                    doc->undoRows(done.back());
                } else {
                    doc->autosave();
                    doc->finishSaving();
                }
            } catch (const CrashPoint::SimulatedCrash& c) {
                crashed = true;
                where = c.step;
            }
            doc.reset();
            CrashPoint::reset();
            SCOPED_TRACE(testing::Message()
                         << (undoLast ? "undone, " : "") << "crash at step " << step << ": " << where);

            ScriptedPrompter again;
            doc = std::make_unique<ListDocument>(paths);
            doc->setAutosaveDelay(60000);
            doc->startUp({}, again);
            ToDoList history;
            ASSERT_TRUE(ReadListFile(paths.historyList, false, history));
            std::multiset<QByteArray> seen;
            for (const ToDoItem& it : history.items)
                seen.insert(it.action().toByteArray());
            for (int r = 0; r < doc->model()->size(); ++r)
                seen.insert(doc->model()->item(r).action().toByteArray());
            for (const char* a : {"a", "b", "c", "old"})
                EXPECT_EQ(seen.count(a), 1u) << a;
            EXPECT_LE(seen.count("new"), 1u);
            // Once the list is saved, the files agree with what was shown, and no journal is left.
            ASSERT_TRUE(doc->autosaveAndWait());
            ToDoList saved;
            ASSERT_TRUE(ReadListFile(paths.standardList, true, saved));
            EXPECT_EQ(rowsOf(saved), rowsOf(doc->list()));
            EXPECT_FALSE(QFileInfo::exists(paths.historyList + ".moving"));
            EXPECT_LE(again.informed.size(), 1);
        }
    }
    CrashPoint::setSyncEnabled(true);
}

// A move to history takes the rows out of the list at once and appends them beside the window. When the
// history cannot be written, the rows come back where they were, no change is announced, the user is told,
// and whatever completes the move first (a save, the next move) finds the rows back.
TEST_F(ListDocumentTest, AMoveWhoseHistoryCannotBeWrittenPutsItsRowsBack)
{
    ScriptedPrompter user;
    m_doc->startUp({}, user);
    for (const char* a : {"a", "b", "c", "d"})
        rows().appendItem(item(a));
    ASSERT_TRUE(m_doc->SaveCurrentList(user));
    std::vector<RowChange> done;
    QStringList failed;
    QObject::connect(m_doc.get(), &ListDocument::changeMade,
                     [&done](const RowChange& c) { done.push_back(c); });
    QObject::connect(m_doc.get(), &ListDocument::moveFailed, [&failed](const QString& e) { failed << e; });
    const QByteArray all = rowsOf(listOf({"a", "b", "c", "d"}));

    // A folder where the history file should be; then a file where its folder should be.
    ASSERT_TRUE(QDir().mkdir(m_paths.historyList));
    ASSERT_TRUE(m_doc->DeleteSelectedItems({0, 2}, true, user));
    EXPECT_EQ(rowsOf(rows().list()), rowsOf(listOf({"b", "d"})));
    EXPECT_TRUE(m_doc->SaveCurrentList(user));
    EXPECT_EQ(rowsOf(rows().list()), all);
    EXPECT_EQ(rowsOnDisk(m_paths.standardList), all);
    ASSERT_EQ(failed.size(), 1);
    EXPECT_TRUE(
        failed[0].startsWith(QLatin1String("The items could not be moved to the history; they stay")));
    EXPECT_TRUE(failed[0].contains(QDir::toNativeSeparators(m_paths.historyList))) << qPrintable(failed[0]);

    ASSERT_TRUE(QDir().rmdir(m_paths.historyList));
    m_paths.historyList = path("notes/History.tdh");
    restart();
    QObject::connect(m_doc.get(), &ListDocument::moveFailed, [&failed](const QString& e) { failed << e; });
    m_doc->startUp({}, user);
    testutil::writeAll(path("notes"), "a file");
    // A step while a move is under way completes it first. Once it failed, rows the user picked meanwhile
    // may be other rows: neither a move nor a delete of them is made.
    ASSERT_TRUE(m_doc->DeleteSelectedItems({3}, true, user));
    EXPECT_FALSE(m_doc->DeleteSelectedItems({1}, false, user));
    EXPECT_EQ(failed.size(), 2);
    EXPECT_EQ(rowsOf(rows().list()), all);
    ASSERT_TRUE(m_doc->DeleteSelectedItems({1}, true, user));
    EXPECT_EQ(rowsOf(rows().list()), rowsOf(listOf({"a", "c", "d"})));
    m_doc->finishPendingChanges();
    EXPECT_EQ(failed.size(), 3);
    EXPECT_EQ(rowsOf(rows().list()), all);
    EXPECT_TRUE(done.empty());
    EXPECT_EQ(testutil::readAll(path("notes")), QByteArray("a file"));
}

TEST_F(ListDocumentTest, TheStandardListChangedByAnotherRunIsNeitherAutosavedOverNorReplacedUnasked)
{
    ASSERT_TRUE(SaveListFile(listOf({"ours"}), m_paths.standardList));
    ScriptedPrompter user;
    m_doc->startUp({}, user);
    rows().appendItem(item("typed here"));
    ASSERT_TRUE(SaveListFile(listOf({"ours", "imported elsewhere"}), m_paths.standardList));
    const QByteArray theirs = rowsOnDisk(m_paths.standardList);
    QStringList failed;
    QObject::connect(m_doc.get(), &ListDocument::autosaveFailed,
                     [&failed](const QString& e) { failed << e; });
    m_doc->autosave();
    m_doc->finishSaving();
    EXPECT_EQ(rowsOnDisk(m_paths.standardList), theirs);
    EXPECT_EQ(failed.size(), 1);
    EXPECT_TRUE(m_doc->isModified());
    EXPECT_EQ(rowsOnDisk(m_doc->recovery().listPath()), rowsOf(listOf({"ours", "typed here"})));

    user.answers = {Answer::Cancel, Answer::No};
    EXPECT_FALSE(m_doc->LoadHistoryList(user));
    EXPECT_TRUE(user.asked.contains(Question::ReplaceChangedFile));
    EXPECT_EQ(rowsOnDisk(m_paths.standardList), theirs);
    user.answers = {Answer::Yes};
    EXPECT_TRUE(m_doc->LoadHistoryList(user));
    EXPECT_EQ(rowsOnDisk(m_paths.standardList), rowsOf(listOf({"ours", "typed here"})));
    EXPECT_FALSE(copyLeft());
}

// "Save as" never lands on the history list, a recovery copy, the settings or the marks of a move to
// history (not there yet, they would be taken for marks and removed); the file stays as it was.
TEST_F(ListDocumentTest, SaveAsRefusesTheProgramsOwnFiles)
{
    m_paths.settingsFile = path("Quillmar.ini");
    restart();
    ASSERT_TRUE(SaveListFile(listOf({"old"}), m_paths.historyList));
    testutil::writeAll(m_paths.settingsFile, "[Colors]\n");
    testutil::writeAll(path("Recovery.tdx"), "");
    QDir().mkpath(path("elsewhere"));
    QFile::link(path("Recovery.tdx"), path("elsewhere/link.tdx"));
    // The sync's state beside the standard list and beside a list elsewhere.
    testutil::writeAll(path(".ToDoX.tdo.sync"), "state");
    testutil::writeAll(path("elsewhere/B.tdx"), "");
    testutil::writeAll(path("elsewhere/.B.tdx.sync"), "state");
    ScriptedPrompter user;
    user.answers = {Answer::Cancel};
    m_doc->startUp({}, user);
    rows().appendItem(item("new"));
    for (const QString& target :
         {m_paths.historyList, path("Recovery.tdx"), path("Recovery 3.tdx"), m_paths.settingsFile,
          path("elsewhere.tdh"), path("elsewhere/link.tdx"), path(".ToDoX.tdo.sync"),
          path("elsewhere/.B.tdx.sync"), m_paths.historyList + ".cutback", m_paths.historyList + ".moving"}) {
        SCOPED_TRACE(target.toStdString());
        const QByteArray before = testutil::readAll(target);
        user.answers = {Answer::Yes};
        user.saveNames = {target};
        EXPECT_FALSE(m_doc->SaveExternalList(user));
        EXPECT_EQ(testutil::readAll(target), before);
        EXPECT_EQ(m_doc->mode(), ListMode::Standard);
        EXPECT_TRUE(user.informed.last().contains(QLatin1String("was not written")));
    }
    EXPECT_EQ(RecoveryFile::copiesIn(m_dir.path()), QStringList{path("Recovery.tdx")});

    // The standard list named while another list is shown: its items go only on an explicit Yes.
    ASSERT_TRUE(SaveListFile(listOf({"mine"}), m_paths.standardList));
    user.answers = {Answer::Yes};
    user.saveNames = {path("other.tdx")};
    ASSERT_TRUE(m_doc->SaveExternalList(user));
    rows().appendItem(item("more"));
    user.answers = {Answer::No};
    user.saveNames = {path("elsewhere/../ToDoX.tdo")};
    EXPECT_FALSE(m_doc->SaveExternalListAs(user));
    EXPECT_EQ(user.asked.last(), Question::ReplaceStandardList);
    EXPECT_EQ(rowsOnDisk(m_paths.standardList), rowsOf(listOf({"mine"})));

    // No list shown (the standard list could not be read): nothing is written anywhere.
    testutil::writeAll(m_paths.standardList, "\x02\x00\x00\x00 damaged");
    restart();
    ScriptedPrompter again;
    again.answers = {Answer::Cancel};
    m_doc->startUp({}, again);
    ASSERT_EQ(m_doc->mode(), ListMode::NoList);
    const QByteArray victim = testutil::readAll(path("other.tdx"));
    again.answers = {Answer::Yes};
    again.saveNames = {path("other.tdx")};
    EXPECT_FALSE(m_doc->SaveExternalList(again));
    EXPECT_EQ(testutil::readAll(path("other.tdx")), victim);
}

// Restoring: Cancel (Escape, the window's close button, nobody there) keeps an earlier run's copy, which
// this run then neither writes over nor removes; a copy whose file changed since is restored with the
// file's old stamp, so its save asks before replacing the other program's changes.
TEST_F(ListDocumentTest, RecoveryCopiesSurviveUnansweredQuestionsAndNeverOverwriteChanges)
{
    ASSERT_TRUE(SaveListFile(listOf({"ext"}), path("ext.tdx")));
    ScriptedPrompter first;
    m_doc->startUp(path("ext.tdx"), first);
    rows().appendItem(item("kept"));
    m_doc->autosave();
    m_doc->finishSaving();
    const QString copy = m_doc->recovery().listPath();
    restart(); // the first run died: its copy stays

    ScriptedPrompter second;
    second.answers = {Answer::Cancel};
    m_doc->startUp({}, second);
    EXPECT_EQ(second.asked, QList<Question>{Question::RestoreRecovery});
    rows().appendItem(item("second run"));
    m_doc->autosave();
    m_doc->finishSaving(); // saves the standard list: the earlier copy is not this run's to remove
    ASSERT_TRUE(SaveListFile(listOf({"ext", "written by another program"}), path("ext.tdx")));
    second.answers = {Answer::Yes};
    ASSERT_TRUE(m_doc->NewEmptyList(second));
    rows().appendItem(item("unsaved"));
    m_doc->autosave();
    m_doc->finishSaving(); // a copy of its own, beside the earlier one
    EXPECT_EQ(RecoveryFile::copiesIn(m_dir.path()), (QStringList{copy, path("Recovery 2.tdx")}));
    EXPECT_EQ(rowsOnDisk(copy), rowsOf(listOf({"ext", "kept"})));
    restart();

    ScriptedPrompter third;
    third.answers = {Answer::Yes};
    m_doc->startUp({}, third);
    EXPECT_EQ(m_doc->externalFileName(), path("ext.tdx"));
    EXPECT_EQ(rowsOf(m_doc->list()), rowsOf(listOf({"ext", "kept"})));
    third.answers = {Answer::Cancel};
    EXPECT_FALSE(m_doc->SaveExternalList(third));
    EXPECT_EQ(third.asked.last(), Question::ReplaceChangedFile);
    EXPECT_EQ(rowsOnDisk(path("ext.tdx")), rowsOf(listOf({"ext", "written by another program"})));
    EXPECT_TRUE(QFileInfo::exists(copy));
    third.answers = {Answer::Yes};
    EXPECT_TRUE(m_doc->SaveExternalList(third));
    EXPECT_FALSE(QFileInfo::exists(copy));
    EXPECT_EQ(RecoveryFile::copiesIn(m_dir.path()), QStringList{path("Recovery 2.tdx")});
}

// ---- Random sequences ----

TEST_F(ListDocumentTest, RandomSequencesNeverLoseRowsNorWriteRowsWhereTheyDoNotBelong)
{
    for (unsigned seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        QTemporaryDir dir;
        m_paths = {dir.filePath("ToDoX.tdo"), dir.filePath("History.tdh"), dir.path()};
        std::mt19937 random(seed);
        auto pick = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
        const QStringList externals = {dir.filePath("a.tdx"), dir.filePath("b.tdx"), dir.filePath("c.tdo")};
        for (const QString& e : externals)
            ASSERT_TRUE(SaveListFile(listOf({qPrintable(QFileInfo(e).baseName())}), e));
        ASSERT_TRUE(SaveListFile(listOf({"s1", "s2"}), m_paths.standardList));

        // Every content each file was ever entitled to: what it held, and every list shown for it.
        std::map<QString, std::set<QByteArray>> entitled;
        for (const QString& f : externals + QStringList{m_paths.standardList})
            entitled[f].insert(rowsOnDisk(f));
        const QString recovery = QDir(dir.path()).filePath(QStringLiteral("Recovery.tdx"));
        auto target = [&](const ListDocument& d) -> QString {
            switch (d.mode()) {
            case ListMode::Standard:
                return m_paths.standardList;
            case ListMode::History:
                return m_paths.historyList;
            case ListMode::External:
                return d.externalFileName();
            default:
                return {};
            }
        };
        auto onDisk = [&](const QString& file) { return rowsOnDisk(file, file == m_paths.historyList); };

        ScriptedPrompter user(&random);
        user.openPool = externals;
        user.savePool = externals + QStringList{dir.filePath("new.tdx"), dir.filePath("no/such/x.tdx")};
        restart();
        m_doc->startUp({}, user);
        int counter = 0;
        bool broken = false;

        for (int step = 0; step < 120; ++step) {
            const QByteArray before = rowsOf(m_doc->list());
            const QString beforeTarget = target(*m_doc);
            const bool beforeModified = m_doc->isModified();
            if (!beforeTarget.isEmpty() && beforeTarget != m_paths.historyList)
                entitled[beforeTarget].insert(before);
            user.discarded = false;
            user.chosenForSaving.clear();
            const int op = pick(19);
            SCOPED_TRACE(testing::Message()
                         << "step " << step << " op " << op << " mode " << int(m_doc->mode()) << " file "
                         << qPrintable(beforeTarget) << " modified " << beforeModified);
            switch (op) {
            case 0:
            case 1:
                if (m_doc->canChangeRows())
                    rows().appendItem(item("item " + QByteArray::number(++counter), pick(2)));
                break;
            case 2:
                if (rows().size() > 0)
                    rows().replaceItem(pick(rows().size()), item("edited " + QByteArray::number(++counter)));
                break;
            case 3:
                if (rows().size() > 0)
                    rows().setChecked(pick(rows().size()), pick(2));
                break;
            case 4:
                if (rows().size() > 1) {
                    std::vector<int> order(static_cast<size_t>(rows().size()));
                    std::iota(order.begin(), order.end(), 0);
                    std::shuffle(order.begin(), order.end(), random);
                    rows().reorder(order);
                }
                break;
            case 5:
                // The next steps change the model directly, where the window's edits would complete the
                // move first.
                if (rows().size() > 0)
                    m_doc->DeleteSelectedItems({pick(rows().size()), pick(rows().size())}, pick(2), user);
                m_doc->finishPendingChanges();
                break;
            case 6:
                m_doc->OpenStandardList(user);
                break;
            case 7:
                m_doc->LoadHistoryList(user);
                break;
            case 8:
                m_doc->OpenExternalList(user);
                break;
            case 9:
                m_doc->NewEmptyList(user);
                break;
            case 10:
                m_doc->SaveExternalList(user);
                break;
            case 11:
                m_doc->SaveCurrentList(user);
                break;
            case 12:
                m_doc->openListFile(pick(2) ? externals[pick(3)] : dir.filePath("gone.tdx"), user);
                break;
            case 13:
                m_doc->autosave();
                m_doc->finishSaving();
                break;
            case 14:
                broken = !broken;
                breakStandardList(broken);
                break;
            case 15:
                m_doc->SaveHistoryList(user);
                break;
            case 16:
            case 17: {
                // The session ends (unattended), or the program is killed right after a background save;
                // then the next start.
                if (op == 16) {
                    UnattendedPrompter nobody;
                    m_doc->endSession(nobody);
                } else {
                    m_doc->autosave();
                    m_doc->finishSaving();
                }
                const bool recoverable = QFileInfo::exists(recovery);
                const QByteArray kept = recoverable ? rowsOnDisk(recovery) : QByteArray();
                if (beforeModified && !beforeTarget.isEmpty() && !recoverable) {
                    EXPECT_EQ(onDisk(beforeTarget), before) << "lost at the end of the session";
                }
                if (m_doc->mode() == ListMode::External && m_doc->externalFileName().isEmpty() &&
                    m_doc->isModified()) {
                    EXPECT_EQ(kept, before) << "a new list left no copy";
                }
                restart();
                user.answers = {Answer::Yes};
                m_doc->startUp({}, user);
                user.answers.clear();
                if (recoverable) {
                    EXPECT_EQ(rowsOf(m_doc->list()), kept) << "the copy was not restored";
                }
                break;
            }
            case 18:
                m_doc->prepareToLeave(user);
                break;
            }

            if (!user.chosenForSaving.isEmpty())
                entitled[user.chosenForSaving].insert(before);
            // Nothing lives only in memory unless the document says it is modified.
            const QString now = target(*m_doc);
            const bool unreachable = broken && now == m_paths.standardList;
            if (!m_doc->isModified() && !now.isEmpty() && !unreachable) {
                EXPECT_EQ(onDisk(now), rowsOf(m_doc->list())) << "unmodified, but not on disk";
            }
            if (!m_doc->isModified() && m_doc->mode() == ListMode::External && now.isEmpty()) {
                EXPECT_EQ(m_doc->list().size(), 0);
            }
            // The alarms see the standard list as its file holds it whatever list is shown.
            if (m_doc->mode() != ListMode::Standard && m_doc->standardRows() && !broken) {
                EXPECT_EQ(rowsOf(*m_doc->standardRows()), onDisk(m_paths.standardList))
                    << "alarms see other rows";
            }
            if (m_doc->mode() == ListMode::NoList) {
                EXPECT_EQ(m_doc->list().size(), 0);
            }
            if (!now.isEmpty() && now != m_paths.historyList)
                entitled[now].insert(rowsOf(m_doc->list()));
            // Rows a switch left behind are in their file, in the copy, or the user agreed to lose them.
            if (op != 16 && op != 17 && beforeModified && (now != beforeTarget || !m_doc->isModified()) &&
                rowsOf(m_doc->list()) != before && !user.discarded) {
                bool kept = QFileInfo::exists(recovery) && rowsOnDisk(recovery) == before;
                for (const auto& entry : entitled)
                    kept = kept || rowsOnDisk(entry.first) == before;
                kept = kept || onDisk(m_paths.historyList) == before;
                EXPECT_TRUE(kept) << "rows were dropped without the user's word";
            }
            // No file holds rows it was never given.
            for (const auto& [file, allowed] : entitled) {
                const QByteArray onDisk = rowsOnDisk(file);
                if (onDisk != "<none>" && onDisk != "<unreadable>") {
                    EXPECT_TRUE(allowed.count(onDisk))
                        << qPrintable(file) << " holds rows it was never given";
                }
            }
            if (HasFailure())
                return;
        }
    }
}
