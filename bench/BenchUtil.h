#pragma once

// Pieces every benchmark program needs: realistic rows, the file floors, timing and the ratio table that
// each program prints at its end.
#include "model/ToDoList.h"

#include <QCoreApplication>
#include <QDir>
#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <string>
#include <unistd.h>

namespace benchutil {
// The quillmar program the benchmarks start: QUILLMAR_BIN, else the one built beside the bench folder.
inline QString quillmarProgram()
{
    const QString named = qEnvironmentVariable("QUILLMAR_BIN");
    return named.isEmpty()
               ? QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../quillmar"))
               : named;
}

using SteadyClock = std::chrono::steady_clock;

inline QTemporaryDir& workDir()
{
    static QTemporaryDir dir;
    return dir;
}

inline double seconds(SteadyClock::time_point a, SteadyClock::time_point b)
{
    return std::chrono::duration<double>(b - a).count();
}

// The best of several runs is the one the machine's other load disturbed least.
template <class F> double bestSeconds(F&& f, int runs)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = SteadyClock::now();
        f();
        best = std::min(best, seconds(t0, SteadyClock::now()));
    }
    return best;
}

// Row i of makeList: about 240 bytes, texts of varying length (some of two lines, some needing escapes in
// HTML), dates in "dd.MM.yyyy", Targets spread over December 2026.
inline ToDoItem makeItem(int i)
{
    static const char* actions[] = {"Call the plumber about the leaking kitchen tap",
                                    "Prepare slides for the \"quarterly review\" meeting",
                                    "Renew the car insurance before the end of the month",
                                    "Order new toner & paper for the <office> printer",
                                    "Book train tickets to Hamburg, for the trade fair"};
    static const char* remarks[] = {"Ask for a written quote first and check the references",
                                    "Figures from finance still missing, remind Dora on Monday",
                                    "Compare at least three offers before deciding anything",
                                    "Check the model number\r\non the old one",
                                    "Window seat, return on Friday evening, no night trains"};
    static const char* owners[] = {"Anna Schmidt", "Bob Miller", "Chen Wei", "Dora Jansen"};
    static const char* projects[] = {"Household", "Q3 Review", "Car", "Office", "Trade Fair 2026"};
    ToDoItem item = ToDoItem::make(actions[i % 5], i % 7 == 0);
    item.setValue(ToDoItem::Priority, QByteArray::number(i % 5 + 1));
    item.setValue(ToDoItem::DateIn, "03.11.2026");
    item.setValue(ToDoItem::Target, QByteArray::number(i % 28 + 1) + ".12.2026");
    item.setValue(ToDoItem::Remarks, remarks[(i / 5) % 5]);
    item.setValue(ToDoItem::Owner, owners[i % 4]);
    item.setValue(ToDoItem::ProjectName, projects[(i / 3) % 5]);
    if (i % 3 == 0)
        item.setValue(ToDoItem::AlarmTime, "14:30:00");
    item.setValue(ToDoItem::FileLocation,
                  "/home/anna/Documents/plans/offer-" + QByteArray::number(i) + ".pdf");
    return item;
}

// The list of count rows made by makeItem, with the owner and project names they use.
inline ToDoList makeList(int count)
{
    ToDoList list;
    list.items.reserve(count);
    for (int i = 0; i < count; ++i)
        list.items.push_back(makeItem(i));
    list.OwnerNames = {"Anna Schmidt", "Bob Miller", "Chen Wei", "Dora Jansen"};
    list.ProjectNames = {"Household", "Q3 Review", "Car", "Office", "Trade Fair 2026"};
    return list;
}

// A save floor as the program's own saves do it: the same bytes through a save file, committed.
inline void commitBytes(const QString& path, const QByteArray& bytes)
{
    QSaveFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    f.commit();
}

// The bare save floor: the same bytes to a temporary file, synced, renamed over the target.
inline void writeSyncRename(const QByteArray& bytes, const std::string& target)
{
    const std::string tmp = target + ".floor";
    const int fd = ::open(tmp.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            break;
        done += n;
    }
    ::fsync(fd);
    ::close(fd);
    ::rename(tmp.c_str(), target.c_str());
}

inline std::map<std::string, double>& ratios()
{
    static std::map<std::string, double> r;
    return r;
}

// op and floor are the totals over all iterations, the floor measured alongside in the same loop.
inline void reportRatio(benchmark::State& state, const std::string& name, double op, double floor)
{
    state.counters["floor_ms"] = 1000 * floor / state.iterations();
    state.counters["x_floor"] = op / floor;
    ratios()[name] = op / floor;
}

// main() of a program whose benchmarks report through reportRatio.
inline int runAndPrintRatios(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\nRatios against the floors measured in this run:\n");
    for (const auto& [name, ratio] : ratios())
        std::printf("  %-48s %5.2fx\n", name.c_str(), ratio);
    return 0;
}
} // namespace benchutil
