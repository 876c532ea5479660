#pragma once

#include "calendar/TStringsCalendar.h"

// A month calendar with a range of dates chosen by mouse: a click sets both ends on the clicked day, a
// Shift+click moves the end. The days of a range that spans more than one day are painted in RangeColor;
// cells with lines keep their own colour.
class TRngSelCalendar : public TStringsCalendar
{
    Q_OBJECT

public:
    explicit TRngSelCalendar(QWidget* parent = nullptr);

    QColor RangeColor() const { return m_rangeColor; }
    void setRangeColor(const QColor& color);
    QDate RangeStart() const { return m_rangeStart; }
    QDate RangeEnd() const { return m_rangeEnd; }
    void setRangeStart(const QDate& date);
    void setRangeEnd(const QDate& date);

Q_SIGNALS:
    // After every mouse release, with the range as it then is.
    void rangeSelected();

protected:
    void chooseCellColors(CellPaint& cell) override;
    void released(Qt::MouseButton button, Qt::KeyboardModifiers modifiers) override;

private:
    QColor m_rangeColor{0x00, 0x00, 0xFF};
    QDate m_rangeStart;
    QDate m_rangeEnd;
};
