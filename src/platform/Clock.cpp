#include "platform/Clock.h"

namespace {
QDateTime g_fixed;
// The day of the outermost OperationDay alive; invalid when none is.
QDate g_operationDay;
} // namespace

QDateTime Clock::now()
{
    return g_fixed.isValid() ? g_fixed : QDateTime::currentDateTime();
}

QDate Clock::today()
{
    return g_operationDay.isValid() ? g_operationDay : now().date();
}

void Clock::setNow(const QDateTime& fixed)
{
    g_fixed = fixed;
}

void Clock::reset()
{
    g_fixed = QDateTime();
}

Clock::OperationDay::OperationDay() : OperationDay(g_operationDay.isValid() ? g_operationDay : now().date())
{
}

Clock::OperationDay::OperationDay(const QDate& day) : m_outermost(!g_operationDay.isValid())
{
    if (m_outermost)
        g_operationDay = day.isValid() ? day : now().date();
}

Clock::OperationDay::~OperationDay()
{
    if (m_outermost)
        g_operationDay = QDate();
}

QDate Clock::OperationDay::day() const
{
    return g_operationDay;
}
