// Finding rows: what matches what (case, accents, the user's language, columns, statuses), and the folded
// texts the list model keeps for it staying in step with the rows whatever changes them.
#include "model/ItemFilter.h"
#include "model/ToDoItem.h"
#include "model/ToDoListModel.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/Regional.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

namespace {
class ItemFilterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CodePage::setCurrent(CodePage::Kind::Windows1252);
        Regional::setFormats(QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm:ss"));
        Clock::setNow(QDateTime(QDate(2026, 3, 14), QTime(9, 0)));
    }
    void TearDown() override
    {
        CodePage::setCurrent(CodePage::Kind::Windows1252);
        Clock::reset();
    }

    static bool finds(const QString& typed, const ToDoItem& item, const QLocale& locale = QLocale::c())
    {
        ItemFilter filter(locale);
        filter.setText(typed);
        return filter.acceptsText(ItemFilter::searchKey(item, filter.folding()));
    }

    static ToDoItem itemWith(const QString& action, const QString& remarks = QString())
    {
        ToDoItem item = ToDoItem::make(CodePage::encodeLossy(action));
        item.setValue(ToDoItem::Remarks, CodePage::encodeLossy(remarks));
        return item;
    }
};
} // namespace

TEST_F(ItemFilterTest, MatchingIgnoresCaseAccentsAndBlanksButNotLetters)
{
    struct Case
    {
        const char* typed;
        const char* action; // UTF-8, stored in the list's code page
        const char* remarks;
        bool found;
    };
    const Case cases[] = {
        {"", "anything", "", true},
        {"CALL", "call the plumber", "", true},
        {"müller", "Ask MULLER", "", true},
        {"Muller", "Frau Müller anrufen", "", true},
        {"élan", "ELAN vital", "", true},
        {"strasse", "Hauptstraße 5", "", true},
        {"STRASSE", "HAUPTSTRASSE", "", true},
        {"straße", "Hauptstrasse 5", "", true},
        {"café", "Cafe au lait", "", true},
        {"naïve", "NAIVE approach", "", true},
        {"oe", "Œuvre", "", true},
        {"two lines", "x", "two\r\nlines", true},
        {"two  lines", "x", "two\tlines", true},
        {"lines", "x", "two\r\nlines", true},
        // Any column, but never across two of them.
        {"plumber", "x", "call the plumber", true},
        {"x call", "x", "call", false},
        {"mueller", "Müller", "", false},
        {"callx", "call", "", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(finds(QString::fromUtf8(c.typed),
                        itemWith(QString::fromUtf8(c.action), QString::fromUtf8(c.remarks))),
                  c.found)
            << c.typed << " in " << c.action;

    // Every column counts, the Action and all eight values.
    for (int k = 0; k < ToDoItem::ColumnCount; ++k) {
        ToDoItem item = ToDoItem::make("a");
        item.setValue(k, "needle");
        EXPECT_TRUE(finds(QStringLiteral("NEEDLE"), item)) << k;
    }
}

TEST_F(ItemFilterTest, TheUsersLanguageDecidesTheDottedAndDotlessI)
{
    const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    const QLocale german(QLocale::German, QLocale::Germany);
    CodePage::setCurrent(CodePage::Kind::Utf8);
    const ToDoItem istanbul = ToDoItem::make("İSTANBUL ofisi");
    const ToDoItem isparta = ToDoItem::make("ISPARTA");
    // In Turkish, I is the capital of ı and İ that of i.
    EXPECT_TRUE(finds(QStringLiteral("istanbul"), istanbul, turkish));
    EXPECT_TRUE(finds(QString::fromUtf8("ısparta"), isparta, turkish));
    EXPECT_FALSE(finds(QStringLiteral("isparta"), isparta, turkish));
    // Elsewhere I is the capital of i, and İ an I with an accent.
    EXPECT_TRUE(finds(QStringLiteral("isparta"), isparta, german));
    EXPECT_TRUE(finds(QStringLiteral("istanbul"), istanbul, german));
}

TEST_F(ItemFilterTest, StatusesNarrowTheRowsToTheChosenOnes)
{
    ToDoItem open = ToDoItem::make("open");
    ToDoItem today = ToDoItem::make("today");
    today.setValue(ToDoItem::Target, "14.03.2026");
    ToDoItem overdue = ToDoItem::make("overdue");
    overdue.setValue(ToDoItem::Target, "01.03.2026");
    ToDoItem pending = ToDoItem::make("pending");
    pending.setValue(ToDoItem::Target, "01.04.2026");
    ToDoItem done = ToDoItem::make("done", true);
    const ToDoItem all[] = {open, today, overdue, pending, done};
    const QDate day = Clock::today();

    ItemFilter filter;
    EXPECT_FALSE(filter.isActive());
    filter.setStatuses(ItemFilter::bit(ItemStatus::Today) | ItemFilter::bit(ItemStatus::Overdue));
    EXPECT_TRUE(filter.isActive());
    QStringList passed;
    for (const ToDoItem& item : all) {
        if (filter.accepts(item, ItemFilter::searchKey(item, filter.folding()), day))
            passed << item.actionText();
    }
    EXPECT_EQ(passed, QStringList({"today", "overdue"}));
    // Text and status must both fit.
    filter.setText(QStringLiteral("OVER"));
    EXPECT_TRUE(filter.accepts(overdue, ItemFilter::searchKey(overdue, filter.folding()), day));
    EXPECT_FALSE(filter.accepts(today, ItemFilter::searchKey(today, filter.folding()), day));
    filter.setStatuses(0);
    EXPECT_FALSE(filter.accepts(overdue, ItemFilter::searchKey(overdue, filter.folding()), day));
}

// The model keeps the folded texts of its rows while rows come, go, change and move: after any sequence
// of changes each kept text is the one the row's texts give.
TEST_F(ItemFilterTest, KeptSearchTextsFollowEveryChangeOfTheRows)
{
    std::mt19937 random(14);
    auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const char* words[] = {"Apfel", "Birne", "Müller", "straße", "Öl", "plumber"};
    auto fresh = [&] {
        return ToDoItem::make(
            CodePage::encodeLossy(QString::fromUtf8(words[pick(6)]) + QString::number(pick(99))),
            pick(2) == 0);
    };
    ToDoListModel model;
    const ItemFilter::Folding folding = ItemFilter::Folding::forLocale(QLocale::c());
    for (int step = 0; step < 400; ++step) {
        const int size = model.size();
        switch (pick(8)) {
        case 0:
            model.appendItem(fresh());
            break;
        case 1:
            model.appendItems({fresh(), fresh()});
            break;
        case 2:
            if (size > 0)
                model.replaceItem(pick(size), fresh());
            break;
        case 3: {
            QList<int> rows;
            for (int r = 0; r < size; ++r) {
                if (pick(4) == 0)
                    rows << r;
            }
            model.removeRows(rows);
            break;
        }
        case 4: {
            std::vector<int> order(static_cast<size_t>(size));
            std::iota(order.begin(), order.end(), 0);
            std::shuffle(order.begin(), order.end(), random);
            model.reorder(order);
            break;
        }
        case 5: {
            // One run of rows, or scattered ones; each where it stands once all are in.
            QList<int> rows;
            std::vector<ToDoItem> items;
            if (pick(2) == 0) {
                const int first = pick(size + 1);
                for (int i = 0, n = 1 + pick(3); i < n; ++i) {
                    rows << first + i;
                    items.push_back(fresh());
                }
            } else {
                for (int r = 0; r <= size + static_cast<int>(items.size()); ++r) {
                    if (pick(3) == 0) {
                        rows << r;
                        items.push_back(fresh());
                    }
                }
            }
            if (!rows.isEmpty())
                model.insertItems(rows, std::move(items));
            break;
        }
        case 6:
            if (pick(10) == 0)
                model.setList(ToDoList());
            break;
        default:
            break;
        }
        // Asking makes them: ask for some now and then, so that both kept and missing ones are there.
        for (int r = 0; r < model.size(); ++r) {
            if (pick(3) == 0 || step % 50 == 49) {
                ASSERT_EQ(model.searchKey(r, folding), ItemFilter::searchKey(model.item(r), folding))
                    << "step " << step << " row " << r;
            }
        }
    }
}

// The shown rows are only narrowed when every row the new filter passes also passed the old one.
TEST_F(ItemFilterTest, OnlyAFilterThatPassesNoMoreRowsNarrowsTheShownOnes)
{
    auto filter = [](const QString& text, ItemFilter::StatusSet statuses = ItemFilter::AllStatuses,
                     const QLocale& locale = QLocale::c()) {
        ItemFilter f(locale);
        f.setText(text);
        f.setStatuses(statuses);
        return f;
    };
    const ItemFilter::StatusSet open = ItemFilter::bit(ItemStatus::Open);
    EXPECT_TRUE(filter(QStringLiteral("Plum")).narrows(filter(QStringLiteral("plu"))));
    EXPECT_TRUE(filter(QStringLiteral("a plu")).narrows(filter(QStringLiteral("plu"))));
    EXPECT_TRUE(filter(QStringLiteral("plu"), open).narrows(filter(QStringLiteral("plu"))));
    EXPECT_FALSE(filter(QStringLiteral("plu")).narrows(filter(QStringLiteral("plum"))));
    EXPECT_FALSE(filter(QStringLiteral("plum")).narrows(filter(QStringLiteral("plu"), open)));
    EXPECT_FALSE(filter(QStringLiteral("plum"), ItemFilter::AllStatuses, QLocale(QLocale::Turkish))
                     .narrows(filter(QStringLiteral("plu"))));
}
