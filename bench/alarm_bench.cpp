// One alarm tick over 100,000 rows against a plain loop over 100,000 ready due moments (doubles) that
// does the same comparison. The tick reads the rows' cached Target and Alarm Time, so after the first tick
// it parses nothing; the ratio printed at the end should stay within 10. The same for a tick over the
// standard list and a shown external list together (the timer's usual work while another list is shown),
// against the plain loop over twice as many doubles.
#include "BenchUtil.h"
#include "model/AlarmScanner.h"
#include "platform/Regional.h"

#include <vector>

namespace {
using namespace benchutil;
constexpr int kRows = 100000;
const QDate kToday(2026, 3, 14);

// Targets around today, an alarm on every third row: the same moments the floor below holds.
ToDoList makeAlarmList()
{
    ToDoList list = makeList(kRows);
    for (int i = 0; i < kRows; ++i) {
        ToDoItem& item = list.items[i];
        item.setValue(ToDoItem::Target, i % 5 == 0
                                            ? QByteArray()
                                            : Regional::dateToText(kToday.addDays(i % 30 - 15)).toLatin1());
        if (i % 3 == 0)
            item.setValue(ToDoItem::AlarmTime,
                          Regional::timeToText(QTime(0, 0).addSecs((i * 37) % 86400)).toLatin1());
    }
    return list;
}

struct Fixture
{
    Fixture()
    {
        Regional::setFormats(QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm:ss"));
        list = makeAlarmList();
        // The floor: the due moment of each row as a ready day count, as a precomputed index would hold.
        moments.reserve(kRows);
        for (int i = 0; i < kRows; ++i)
            moments.push_back(kToday.toJulianDay() + (i % 30 - 15) + ((i * 37) % 86400) / 86400.0);
        AlarmScanner warm;
        warm.tick(list, QDateTime(kToday, QTime(12, 0)));
    }
    ToDoList list;
    ToDoList external = makeAlarmList();
    std::vector<double> moments;
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

// Ticks one second apart, as the timer does.
struct Ticker
{
    AlarmScanner scanner;
    QDateTime now = QDateTime(kToday, QTime(8, 0));
    Ticker() { scanner.start(now); }
    int tick(const ToDoList& list)
    {
        now = now.addSecs(1);
        return static_cast<int>(scanner.tick(list, now).size());
    }
    int tickBoth(const ToDoList& standard, const ToDoList& shown)
    {
        now = now.addSecs(1);
        const ToDoList* const lists[] = {&shown, &standard};
        return static_cast<int>(scanner.tick(lists, now).size());
    }
};

int floorLoop(const std::vector<double>& moments, double lo, double hi)
{
    int hits = 0;
    for (double m : moments)
        hits += (m > lo && m <= hi) ? 1 : 0;
    return hits;
}

void BM_AlarmTick(benchmark::State& state)
{
    Fixture& f = fixture();
    Ticker t;
    for (auto _ : state)
        benchmark::DoNotOptimize(t.tick(f.list));
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_AlarmTick)->Unit(benchmark::kMicrosecond);

void BM_FloorDoubles(benchmark::State& state)
{
    Fixture& f = fixture();
    double lo = kToday.toJulianDay() + 0.3;
    for (auto _ : state) {
        benchmark::DoNotOptimize(floorLoop(f.moments, lo, lo + 1.0 / 86400));
        lo += 1.0 / 86400;
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_FloorDoubles)->Unit(benchmark::kMicrosecond);

// What a tick would cost if it parsed every row: the formats change, so every cache is stale.
void BM_TickAfterFormatChange(benchmark::State& state)
{
    Fixture& f = fixture();
    Ticker t;
    for (auto _ : state) {
        Regional::setFormats(QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm:ss"));
        benchmark::DoNotOptimize(t.tick(f.list));
    }
}
BENCHMARK(BM_TickAfterFormatChange)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();

    Fixture& f = fixture();
    Ticker t;
    double lo = kToday.toJulianDay() + 0.3;
    int sink = 0;
    const double tick = 1e6 * bestSeconds([&] { sink += t.tick(f.list); }, 200);
    const double floor = 1e6 * bestSeconds(
                                   [&] {
                                       sink += floorLoop(f.moments, lo, lo + 1.0 / 86400);
                                       lo += 1.0 / 86400;
                                   },
                                   200);
    Ticker both;
    AlarmScanner().tick(f.external, QDateTime(kToday, QTime(12, 0))); // its Targets parsed, as when shown
    const double twoLists = 1e6 * bestSeconds([&] { sink += both.tickBoth(f.list, f.external); }, 200);
    std::vector<double> twice = f.moments;
    twice.insert(twice.end(), f.moments.begin(), f.moments.end());
    const double floor2 = 1e6 * bestSeconds(
                                    [&] {
                                        sink += floorLoop(twice, lo, lo + 1.0 / 86400);
                                        lo += 1.0 / 86400;
                                    },
                                    200);
    benchmark::DoNotOptimize(sink);
    std::printf(
        "alarm tick over %d rows: %.1f us; plain loop over %d doubles: %.1f us; ratio %.2f (target <= 10)\n",
        kRows, tick, kRows, floor, tick / floor);
    std::printf("alarm tick over the standard and a shown list, %d rows each: %.1f us; plain loop over %d "
                "doubles: %.1f us; ratio %.2f (target <= 10)\n",
                kRows, twoLists, 2 * kRows, floor2, twoLists / floor2);
    benchmark::Shutdown();
    return 0;
}
