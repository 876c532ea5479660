#include "dialogs/BinaryClock.h"

namespace {
constexpr int kWeights[BinaryClock::kBitCount] = {16, 8, 4, 2, 1, 32, 16, 8, 4, 2, 1, 32, 16, 8, 4, 2, 1};
} // namespace

int BinaryClock::weight(int index)
{
    return kWeights[index];
}

BinaryClock::Column BinaryClock::column(int index)
{
    return index < 5 ? Hours : index < 11 ? Minutes : Seconds;
}

QString BinaryClock::caption(int index)
{
    const int w = weight(index);
    return w < 10 ? QStringLiteral(" %1 ").arg(w) : QString::number(w);
}

std::array<bool, BinaryClock::kBitCount> BinaryClock::bits(const QTime& time)
{
    std::array<bool, kBitCount> lit{};
    int rest[3] = {time.hour(), time.minute(), time.second()};
    for (int i = 0; i < kBitCount; ++i) {
        int& value = rest[column(i)];
        if (value >= weight(i)) {
            lit[size_t(i)] = true;
            value -= weight(i);
        }
    }
    return lit;
}
