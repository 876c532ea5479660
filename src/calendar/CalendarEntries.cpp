#include "calendar/CalendarEntries.h"

#include "model/ToDoListModel.h"

namespace {
// Model columns: 0 is "Actions", column value k is column k + 1.
QString captionOf(int value)
{
    return ToDoListModel::columnCaption(value + 1);
}
} // namespace

CalendarEntries::Captions CalendarEntries::currentCaptions()
{
    return {captionOf(ToDoItem::Target), captionOf(ToDoItem::DateIn), captionOf(ToDoItem::AlarmTime)};
}

void CalendarEntries::appendLines(QStringList& lines, const ToDoItem& item, int row, Kind kind,
                                  const Captions& captions)
{
    lines.append(QLatin1Char('<') + QString::number(row) + QLatin1Char('>') +
                 (kind == Kind::Target ? captions.target : captions.dateIn));
    const QByteArrayView alarm = item.value(ToDoItem::AlarmTime);
    lines.append(QLatin1Char('<') + captions.alarmTime + QLatin1Char('>') +
                 (alarm.isEmpty() ? QString() : item.valueText(ToDoItem::AlarmTime)));
    lines.append(item.actionText());
}

std::optional<int> CalendarEntries::ItemIndexFromLine(QStringView line)
{
    if (!line.startsWith(QLatin1Char('<')))
        return std::nullopt;
    const qsizetype close = line.indexOf(QLatin1Char('>'));
    if (close < 2)
        return std::nullopt;
    bool ok = false;
    const int row = line.mid(1, close - 1).toInt(&ok);
    return ok && row >= 0 ? std::optional<int>(row) : std::nullopt;
}

QString CalendarEntries::popupCaption(const QString& indexLine, const QString& actionLine)
{
    return indexLine + QLatin1Char(' ') + (QLatin1Char('"') + actionLine + QLatin1Char('"')).left(30);
}
