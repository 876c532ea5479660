#include "config/IoMessage.h"
#include "config/Paths.h"
#include "model/CutJournal.h"
#include "model/HistoryTail.h"
#include "model/ListFile.h"
#include "platform/CrashPoint.h"
#include "platform/FileStamp.h"
#include "platform/FileSystem.h"

#include "TestUtil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

#include <cstring>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>

using testutil::le32;
using testutil::readAll;
using testutil::textField;
using testutil::writeAll;

namespace {
class ListFileTest : public ::testing::Test
{
protected:
    QString path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }

    // A full list with two rows (one completed, one short) and names.
    static ToDoList sampleList()
    {
        ToDoList list;
        ToDoItem first = ToDoItem::make("Call \x80 Bob\r\nabout it", true);
        first.setValue(ToDoItem::Priority, "2");
        first.setValue(ToDoItem::Target, "06.12.2026");
        list.items.push_back(first);
        ToDoItem bare;
        bare.setAction("bare");
        list.items.push_back(bare);
        list.OwnerNames = {"Ann", "Bob"};
        list.ProjectNames = {"Home"};
        return list;
    }

    static ToDoList listOf(std::initializer_list<const char*> actions, bool checked = false)
    {
        ToDoList list;
        for (const char* a : actions)
            list.items.push_back(ToDoItem::make(a, checked));
        return list;
    }

    // The given rows of list appended to the history at path, in the list's order, as a move does.
    static IoResult appendToHistory(const ToDoList& list, QList<int> rows, const QString& path)
    {
        std::sort(rows.begin(), rows.end());
        std::vector<ToDoItem> items;
        for (int r : rows)
            items.push_back(list.items[static_cast<size_t>(r)]);
        return AppendRecordsToHistory(SerializeRecords(items), static_cast<qint32>(items.size()), path);
    }

    static QByteArray emptyRecord(const QByteArray& action, bool checked = false)
    {
        QByteArray r = le32(1) + QByteArray(1, checked ? '\1' : '\0') + textField(action) + le32(7);
        for (int i = 0; i < 8; ++i)
            r += le32(0);
        return r;
    }

    testutil::TempDataFolder m_data;
    QTemporaryDir& m_dir = m_data.dir;
};
} // namespace

TEST_F(ListFileTest, EmptyAndOneItemListsHaveTheirExactBytes)
{
    ASSERT_TRUE(SaveListFile(ToDoList(), path("e.tdx")).ok);
    EXPECT_EQ(readAll(path("e.tdx")), le32(0) + le32(-1) + le32(-1));
    ASSERT_TRUE(SaveListFile(listOf({"a"}), path("one.tdx")).ok);
    EXPECT_EQ(readAll(path("one.tdx")), le32(1) + emptyRecord("a") + le32(-1) + le32(-1));
}

TEST_F(ListFileTest, RowsWithoutOrWithFewValuesReadBack)
{
    const QByteArray file = le32(2) //
                            + le32(1) + QByteArray(1, '\0') + textField("none") +
                            le32(-1) // LastColumnIndex -1
                            + le32(1) + QByteArray(1, '\7') + textField("three") + le32(2) // three values
                            + textField("1") + textField("") + textField("01.01.2020")     //
                            + le32(-1) + le32(-1);
    ASSERT_TRUE(writeAll(path("short.tdx"), file));
    ToDoList list;
    ASSERT_TRUE(LoadListFile(list, path("short.tdx")).ok);
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list.items[0].valueCount(), 0);
    EXPECT_EQ(list.items[1].valueCount(), 3);
    EXPECT_EQ(list.items[1].value(ToDoItem::Target), "01.01.2020");
    EXPECT_TRUE(list.items[1].value(ToDoItem::Owner).isEmpty());
    // A checked byte other than 1 counts as completed and is written as 1.
    EXPECT_TRUE(list.items[1].checked());
    QByteArray written = file;
    written.replace('\7', '\1');
    EXPECT_EQ(SerializeList(list, true), written);
}

TEST_F(ListFileTest, SelectedRowsAreWrittenInListOrderWithAllNames)
{
    ToDoList list = sampleList();
    list.items.push_back(ToDoItem::make("third"));
    const QList<int> selected = {2, 0, 7, -1};
    ToDoList back;
    ASSERT_TRUE(ParseList(SerializeList(list, true, &selected), true, back, "x").ok);
    ASSERT_EQ(back.size(), 2);
    EXPECT_EQ(back.items[0].action(), list.items[0].action());
    EXPECT_EQ(back.items[1].action(), "third");
    EXPECT_EQ(back.ProjectNames, list.ProjectNames);
}

TEST_F(ListFileTest, LoadingAppendsOnlyNewNames)
{
    ASSERT_TRUE(SaveListFile(sampleList(), path("n.tdx")).ok);
    ToDoList list;
    list.OwnerNames = {"Bob", "Zed"};
    ASSERT_TRUE(LoadListFile(list, path("n.tdx")).ok);
    ASSERT_TRUE(LoadListFile(list, path("n.tdx")).ok);
    EXPECT_EQ(list.OwnerNames, (QByteArrayList{"Bob", "Zed", "Ann"}));
    EXPECT_EQ(list.ProjectNames, QByteArrayList{"Home"});
    EXPECT_EQ(list.size(), 2);
}

TEST_F(ListFileTest, MissingFilesGiveEmptyListsAndOnlyHistoryIsCreated)
{
    ToDoList list = sampleList();
    ASSERT_TRUE(LoadListFile(list, path("missing.tdx")).ok);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(list.OwnerNames.size(), 2); // names stay
    EXPECT_FALSE(QFile::exists(path("missing.tdx")));

    list = sampleList();
    ASSERT_TRUE(LoadHistoryFile(list, HistoryListPath()).ok);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_TRUE(QFile::exists(HistoryListPath()));
    EXPECT_EQ(QFileInfo(HistoryListPath()).size(), 0);
}

TEST_F(ListFileTest, HistoryAppendCountsAndKeepsOldRecords)
{
    ASSERT_TRUE(SaveHistoryFile(listOf({"h1", "h2", "h3"}), HistoryListPath()).ok);
    const QByteArray before = readAll(HistoryListPath());
    ASSERT_TRUE(appendToHistory(listOf({"x", "y", "z"}, true), {2, 0}, HistoryListPath()).ok);

    const QByteArray after = readAll(HistoryListPath());
    EXPECT_EQ(after.left(4), le32(5));
    EXPECT_EQ(after.mid(4, before.size() - 4), before.mid(4));
    EXPECT_EQ(after.mid(before.size()), emptyRecord("x", true) + emptyRecord("z", true));

    // A missing or empty history file gets a count of its own.
    for (bool exists : {false, true}) {
        QFile::remove(HistoryListPath());
        if (exists) {
            ASSERT_TRUE(writeAll(HistoryListPath(), {}));
        }
        ASSERT_TRUE(appendToHistory(listOf({"a"}), {0}, HistoryListPath()).ok);
        EXPECT_EQ(readAll(HistoryListPath()), le32(1) + emptyRecord("a"));
    }
}

// A move to history appends where the file lies. Cut short at any step, the file reads as before or as
// after (never damaged), and the next writer puts it back to before; a cut back restores the old bytes.
TEST_F(ListFileTest, HistoryAppendCutShortAtAnyStepReadsWholeAndCutsBack)
{
    const QString path = HistoryListPath();
    ASSERT_TRUE(SaveHistoryFile(listOf({"h1", "h2"}), path).ok);
    const QByteArray before = readAll(path);
    const QByteArray after = le32(3) + before.mid(4) + emptyRecord("x");
    bool completed = false;
    for (long step = 1; !completed; ++step) {
        CrashPoint::arm(step);
        try {
            completed = appendToHistory(listOf({"x"}), {0}, path).ok;
        } catch (const CrashPoint::SimulatedCrash&) {
        }
        CrashPoint::reset();
        ToDoList read;
        ASSERT_TRUE(ReadListFile(path, false, read).ok) << step;
        EXPECT_TRUE(read.size() == 2 || read.size() == 3) << step;
        ASSERT_TRUE(LoadHistoryFile(read, path).ok);
        EXPECT_TRUE(readAll(path) == before || (readAll(path) == after && read.size() == 3)) << step;
        EXPECT_FALSE(QFile::exists(HistoryTail::markPath(path)));
        if (!completed) {
            ASSERT_TRUE(writeAll(path, before));
        }
    }
    EXPECT_EQ(readAll(path), after);
    const HistoryTail::Point start{before.size(), 2};
    EXPECT_EQ(HistoryTail::cutBack(path, start, RecordDigest::of(emptyRecord("y")), 1).kind,
              IoError::BadData);
    ASSERT_TRUE(HistoryTail::cutBack(path, start, RecordDigest::of(emptyRecord("x")), 1).ok);
    EXPECT_EQ(readAll(path), before);
}

TEST_F(ListFileTest, AStartCutTakesOnlyTheRowsWhereTheMoveLeftThem)
{
    // A cut the last run left unmade whose rows no longer end the history is made where the move put them,
    // and only when the rows there are the move's: equal rows elsewhere, or other rows there, are not its.
    const QString history = HistoryListPath();
    const QString written = path("list.tdl");
    ASSERT_TRUE(SaveListFile(listOf({"b"}), written).ok);
    CutJournal::Cut cut;
    cut.point = {-1, 1};
    cut.count = 1;
    cut.written = written;
    cut.writtenStamp = FileStamp::of(written);
    for (const char* moved : {"c", "b"}) {
        ASSERT_TRUE(SaveHistoryFile(listOf({"a", "b", "c"}), history).ok);
        cut.records = RecordDigest::of(SerializeRecords(listOf({moved}).items));
        CutJournal journal(history);
        ASSERT_TRUE(journal.write({cut}).ok);
        int rowsCut = -1;
        ASSERT_TRUE(journal.completeInterrupted(&rowsCut).ok);
        ToDoList read;
        ASSERT_TRUE(ReadListFile(history, false, read).ok);
        std::vector<QByteArray> actions;
        for (const ToDoItem& item : read.items)
            actions.push_back(item.action().toByteArray());
        const bool its = std::strcmp(moved, "b") == 0;
        const std::vector<QByteArray> left =
            its ? std::vector<QByteArray>{"a", "c"} : std::vector<QByteArray>{"a", "b", "c"};
        EXPECT_EQ(actions, left);
        EXPECT_EQ(rowsCut, its ? 1 : 0);
        EXPECT_FALSE(QFile::exists(journal.path()));
    }
}

TEST_F(ListFileTest, ACutReadsWhatItCutsWhateverTheStampSays)
{
    // Another program sorts the history where it lies after this run's append: the same size, and (as a
    // tool that keeps times leaves it, or any write within a coarse file system's time granularity) the
    // same times. The cut must not take its rows for the appended ones.
    const QString history = HistoryListPath();
    for (const bool keepsTime : {false, true}) {
        SCOPED_TRACE(keepsTime ? "time put back" : "plain write");
        ASSERT_TRUE(SaveHistoryFile(listOf({"p", "q"}), history).ok);
        const QByteArray x = SerializeRecords(listOf({"x"}).items);
        HistoryTail::Point at;
        ASSERT_TRUE(HistoryTail::append(history, x, 1, &at).ok);
        const QByteArray theirs = SerializeList(listOf({"x", "p", "q"}), false);
        ASSERT_EQ(theirs.size(), QFileInfo(history).size());
        struct stat found = {};
        ASSERT_EQ(::stat(QFile::encodeName(history).constData(), &found), 0);
        {
            QFile f(history);
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            ASSERT_EQ(f.write(theirs), theirs.size());
        }
        if (keepsTime) {
            const struct timespec times[2] = {found.st_atim, found.st_mtim};
            ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(history).constData(), times, 0), 0);
        }
        EXPECT_EQ(HistoryTail::cutBack(history, at, RecordDigest::of(x), 1).kind, IoError::BadData);
        EXPECT_EQ(readAll(history), theirs);
    }
}

TEST_F(ListFileTest, ShortOrDamagedHistoryIsLeftAsItWas)
{
    const ToDoList shown = listOf({"a"});
    for (const QByteArray& bad : {QByteArray("\1"), QByteArray("\1\0\0", 3), le32(2) + emptyRecord("only")}) {
        ASSERT_TRUE(writeAll(HistoryListPath(), bad));
        const IoResult r = appendToHistory(shown, {0}, HistoryListPath());
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(IoMessage(r).contains(QLatin1String("History.tdh: damaged at byte")))
            << IoMessage(r).toStdString();
        EXPECT_EQ(readAll(HistoryListPath()), bad);
    }
}

TEST_F(ListFileTest, TruncatedFileFailsAtEveryOffsetAndKeepsTheList)
{
    const QByteArray full = SerializeList(sampleList(), true);
    const QByteArray history = SerializeList(sampleList(), false);
    for (qsizetype n = 1; n < full.size(); ++n) {
        ASSERT_TRUE(writeAll(path("t.tdx"), full.left(n)));
        ToDoList list = sampleList();
        const IoResult r = LoadListFile(list, path("t.tdx"));
        ASSERT_FALSE(r.ok) << "cut at " << n;
        EXPECT_TRUE(IoMessage(r).contains(QLatin1String("t.tdx: damaged at byte ")))
            << IoMessage(r).toStdString();
        EXPECT_EQ(SerializeList(list, true), full) << "cut at " << n;
    }
    for (qsizetype n = 1; n < history.size(); ++n) {
        ASSERT_TRUE(writeAll(HistoryListPath(), history.left(n)));
        ToDoList list = sampleList();
        ASSERT_FALSE(LoadHistoryFile(list, HistoryListPath()).ok) << "cut at " << n;
        EXPECT_EQ(list.size(), 2);
    }
    // An empty file holds an empty list (a history file is created that way).
    ASSERT_TRUE(writeAll(path("t.tdx"), {}));
    ToDoList list = sampleList();
    EXPECT_TRUE(LoadListFile(list, path("t.tdx")).ok);
    EXPECT_TRUE(list.isEmpty());
}

TEST_F(ListFileTest, ReadingInPiecesGivesWhatTheWholeImageGives)
{
    // Several megabytes, so records and names straddle the pieces the file is read in; one text is larger
    // than a piece. Cut, damaged and extended copies must be refused with the same message as the image.
    // The sample's rows (a completed one, a short one, line breaks and a Windows-1252 byte) come first.
    ToDoList big = sampleList();
    for (int i = 0; i < 40000; ++i) {
        ToDoItem item = ToDoItem::make("row " + QByteArray::number(i) + QByteArray(i % 97, 'x'), i % 3 == 0);
        item.setValue(ToDoItem::Remarks, QByteArray(i % 211, char('a' + i % 26)));
        if (i % 5000 == 1)
            item.setValue(ToDoItem::FileLocation, QByteArray((3 << 20) / 2, 'L'));
        big.items.push_back(item);
    }
    for (int i = 0; i < 500; ++i)
        big.OwnerNames << "owner " + QByteArray::number(i);
    const QByteArray full = SerializeList(big, true);
    ASSERT_GT(full.size(), 8 << 20);

    QByteArray damaged = full;
    damaged[full.size() / 2 + 1] = '\x7f';
    const QByteArray variants[] = {full, full.left(full.size() / 3), full.left(full.size() - 3), damaged,
                                   full + "extra"};
    for (const QByteArray& bytes : variants) {
        ASSERT_TRUE(writeAll(path("big.tdx"), bytes));
        ToDoList fromImage, fromFile;
        const IoResult expected = ParseList(bytes, true, fromImage, path("big.tdx"));
        const IoResult r = ReadListFile(path("big.tdx"), true, fromFile);
        EXPECT_EQ(r.ok, expected.ok);
        EXPECT_EQ(IoMessage(r), IoMessage(expected));
        EXPECT_EQ(SerializeList(fromFile, true), SerializeList(fromImage, true));
        // Rows that refer to the file's image read the same, and a changed row leaves the image alone.
        QByteArray image;
        ToDoList inPlace;
        const IoResult i = ReadListFileImage(path("big.tdx"), true, image, inPlace);
        EXPECT_EQ(IoMessage(i), IoMessage(expected));
        EXPECT_EQ(SerializeList(inPlace, true), SerializeList(fromImage, true));
        if (i.ok && !inPlace.items.empty()) {
            inPlace.items.front().setAction("changed");
            EXPECT_EQ(image, bytes);
        }
    }
    ToDoList back;
    ASSERT_TRUE(writeAll(path("big.tdx"), full));
    ASSERT_TRUE(ReadListFile(path("big.tdx"), true, back).ok);
    EXPECT_EQ(back.items, big.items);
    EXPECT_EQ(back.OwnerNames, big.OwnerNames);
}

TEST_F(ListFileTest, HostileCountsAndFlagsAreRefusedWithTheirOffset)
{
    struct Case
    {
        QByteArray bytes;
        const char* message; // where the load stopped and why
    };
    const QByteArray rec = emptyRecord("a");
    const QByteArray head = le32(1) + le32(1) + QByteArray(1, '\0');
    const Case cases[] = {
        {le32(100) + le32(-1) + le32(-1), "byte 0: the item count 100 is more"},
        {le32(1) + le32(2) + rec.mid(4) + le32(-1) + le32(-1),
         "byte 4: item 1 has the flag length 2 instead of 1"},
        {head + le32(0x7ffffff0) + "a" + le32(-1) + le32(-1),
         "byte 9: the action of item 1 is 2147483632 bytes"},
        {head + le32(-2) + le32(-1), "byte 9: the action of item 1 has the negative length -2"},
        {head + textField("a") + le32(0x40000000), "byte 14: the last column index of item 1 is 1073741824"},
        {head + textField("a") + le32(-2), "byte 14: the last column index of item 1 is -2"},
        {head + textField("a") + le32(1) + textField("x") + le32(9),
         "byte 23: column value 2 of item 1 is 9"},
        {le32(0) + le32(0x7fffffff) + le32(-1), "byte 4: the last owner index is 2147483647"},
        {le32(0) + le32(-1) + le32(0) + le32(-9), "byte 12: project name 1 has the negative length -9"},
        {le32(0) + le32(-1) + le32(-1) + "junk", "byte 12: 4 bytes of unknown data follow"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(writeAll(path("h.tdx"), c.bytes));
        ToDoList list = sampleList();
        const IoResult r = LoadListFile(list, path("h.tdx"));
        ASSERT_FALSE(r.ok);
        EXPECT_TRUE(IoMessage(r).contains(QLatin1String("h.tdx: damaged at ") + QLatin1String(c.message)))
            << IoMessage(r).toStdString();
        EXPECT_EQ(list.size(), 2);
    }
    // A first word no list can begin with: the file is no list, rather than a damaged one.
    for (const QByteArray& notAList :
         {le32(-5) + le32(-1), le32(0x7fffffff) + le32(-1), QByteArray("Buy milk\n")}) {
        ASSERT_TRUE(writeAll(path("h.tdx"), notAList));
        const IoResult r = LoadListFile(*std::make_unique<ToDoList>(), path("h.tdx"));
        EXPECT_TRUE(
            IoMessage(r).endsWith(QLatin1String("h.tdx is not a to-do list file: it does not begin with an "
                                                "item count.")))
            << IoMessage(r).toStdString();
    }
}

TEST_F(ListFileTest, ALastFieldClaimingMoreBytesThanFollowIsRefusedWithinTheBuffer)
{
    // The file image sits in a buffer of exactly its size, so that a read one byte past the end is a fault
    // the sanitizer build reports, not a harmless look at spare capacity.
    const QByteArray rec = le32(1) + QByteArray(1, '\0') + textField("a") + le32(0);
    const struct
    {
        QByteArray bytes;
        bool withNames;
        const char* message;
    } cases[] = {
        {le32(0) + le32(-1) + le32(0) + le32(2) + "p", true,
         "project name 1 is 2 bytes long, but only 1 bytes follow"},
        {le32(0) + le32(-1) + le32(0) + le32(0x01000001) + "p", true,
         "project name 1 is 16777217 bytes long"},
        {le32(1) + rec + le32(3) + "xy", false,
         "column value 1 of item 1 is 3 bytes long, but only 2 bytes follow"},
    };
    for (const auto& c : cases) {
        const std::unique_ptr<char[]> exact(new char[size_t(c.bytes.size())]);
        std::memcpy(exact.get(), c.bytes.constData(), size_t(c.bytes.size()));
        ToDoList list;
        const IoResult r =
            ParseList(QByteArrayView(exact.get(), c.bytes.size()), c.withNames, list, QStringLiteral("x"));
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.kind, IoError::BadData);
        EXPECT_TRUE(IoMessage(r).contains(QLatin1String(c.message))) << IoMessage(r).toStdString();
    }
}
