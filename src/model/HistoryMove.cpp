#include "model/HistoryMove.h"

#include "model/ListFile.h"

#include <QMetaObject>

#include <utility>

HistoryMove::HistoryMove(QObject* parent) : QObject(parent) {}

HistoryMove::~HistoryMove()
{
    if (m_result.valid())
        m_result.wait();
}

void HistoryMove::start(RowChange change, const QString& historyPath, HistoryTail::BeforeAppend beforeAppend)
{
    Q_ASSERT(!busy());
    const auto count = static_cast<qint32>(change.rowCount());
    m_change = std::move(change);
    // The items stay where they are, unchanged, until wait() has taken the outcome.
    const std::vector<ToDoItem>* items = &m_change->items();
    m_result = std::async(
        std::launch::async, [this, items, count, historyPath, beforeAppend = std::move(beforeAppend)] {
            Appended out;
            const QByteArray records = SerializeRecords(*items);
            // A simulated crash leaves the thread here and comes out of wait() through the future.
            out.result = RowChange::appendToHistory(records, count, historyPath, out.point, beforeAppend);
            QMetaObject::invokeMethod(
                this, [this] { Q_EMIT finished(); }, Qt::QueuedConnection);
            return out;
        });
}

std::optional<HistoryMove::Outcome> HistoryMove::wait()
{
    if (!m_result.valid())
        return std::nullopt;
    Appended done = m_result.get();
    Outcome out{*std::exchange(m_change, std::nullopt), std::move(done.result)};
    if (out.result)
        out.change.setHistoryPoint(done.point);
    return out;
}
