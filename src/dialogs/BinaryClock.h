#pragma once

#include <QString>
#include <QTime>

#include <array>

// The about box's binary clock: five hour bits and six each for minutes and seconds, one label per bit.
// The labels are kept in the order the clock goes through them, each column from its highest weight
// down: hours 16..1, minutes 32..1, seconds 32..1.
class BinaryClock
{
public:
    static constexpr int kBitCount = 17;
    enum Column
    {
        Hours,
        Minutes,
        Seconds
    };

    // The weight of the label at index, and which column it belongs to.
    static int weight(int index);
    static Column column(int index);
    // What the label shows: its weight, a one-digit weight between blanks (" 1 ").
    static QString caption(int index);

    // The lit labels for a time: a bit is lit while the rest of its column's value reaches its weight.
    static std::array<bool, kBitCount> bits(const QTime& time);
};
