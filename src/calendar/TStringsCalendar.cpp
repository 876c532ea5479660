#include "calendar/TStringsCalendar.h"

#include "calendar/CalendarLayout.h"

#include <QDropEvent>
#include <QFontMetrics>
#include <QMimeData>
#include <QPainter>

TStringsCalendar::TStringsCalendar(QWidget* parent) : TBaseCalendar(parent) {}

void TStringsCalendar::setCellStrings(int col, int row, std::optional<QStringList> lines)
{
    m_cells.setCellStrings(col, row, std::move(lines));
    update();
}

void TStringsCalendar::AddString(int col, int row, const QString& line, int day)
{
    if (m_cells.AddString(month(), col, row, line, day))
        update();
}

void TStringsCalendar::ClearStrings()
{
    m_cells.ClearStrings();
    UpdateCalendar();
}

void TStringsCalendar::setDroppedCell(DroppedCell hook)
{
    m_droppedCell = std::move(hook);
    setAcceptDrops(static_cast<bool>(m_droppedCell));
}

void TStringsCalendar::chooseCellColors(CellPaint& cell)
{
    if (cell.row >= 1) {
        if (const QDate date = month().dateOfCell(cell.col, cell.row); date.isValid() && m_needStrings) {
            if (std::optional<QStringList> lines =
                    m_needStrings(cell.col, cell.row, date, CellStrings(cell.col, cell.row)))
                m_cells.setCellStrings(cell.col, cell.row, std::move(lines));
        }
        if (CellStrings(cell.col, cell.row) && !cell.focused) {
            cell.background = SelectedColor();
            cell.text = SelectedFontColor();
        }
    }
    TBaseCalendar::chooseCellColors(cell);
}

void TStringsCalendar::paintCellContents(QPainter& painter, const CellPaint& cell)
{
    const QStringList* lines = CellStrings(cell.col, cell.row);
    if (!lines)
        return;
    const int t = painter.fontMetrics().height();
    if (t <= 0)
        return;
    painter.setPen(cell.text);
    const CalendarLayout::CellLines shown =
        CalendarLayout::cellLines(cell.rect.height(), t, static_cast<int>(lines->size()), m_linesPerEntry);
    const int places = shown.drawn + (shown.hiddenEntries > 0 ? 1 : 0);
    for (int i = 0; i < places; ++i) {
        const QRect lineRect(cell.rect.left(), cell.rect.top() + t * (i + 1), cell.rect.width(),
                             cell.rect.height() - t * (i + 1));
        // A day with more lines than fit says how many entries it hides, in its last place.
        QString text = i < shown.drawn ? lines->at(i) : m_moreText.arg(shown.hiddenEntries);
        text.replace(QLatin1Char('\n'), QLatin1Char(' ')).remove(QLatin1Char('\r'));
        painter.drawText(lineRect.adjusted(3, 1, -2, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         painter.fontMetrics().elidedText(text, Qt::ElideRight, lineRect.width() - 5));
    }
}

bool TStringsCalendar::acceptsDropAt(const QPoint& point, const QMimeData* data, int& col, int& row) const
{
    if (!m_droppedCell || !MouseToCell(point, col, row))
        return false;
    const bool accept = m_cellDragOver ? m_cellDragOver(col, row, data) : data->hasText();
    return accept && !Updating() && !ReadOnly() && !CellText(col, row).isEmpty();
}

void TStringsCalendar::dragEnterEvent(QDragEnterEvent* event)
{
    // Entering is always allowed; whether the cell under the pointer takes the drop is decided on each move.
    if (m_droppedCell)
        event->acceptProposedAction();
}

void TStringsCalendar::dragMoveEvent(QDragMoveEvent* event)
{
    int col = 0, row = 0;
    if (acceptsDropAt(event->position().toPoint(), event->mimeData(), col, row))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TStringsCalendar::dropEvent(QDropEvent* event)
{
    int col = 0, row = 0;
    if (!acceptsDropAt(event->position().toPoint(), event->mimeData(), col, row)) {
        event->ignore();
        return;
    }
    const QString line = m_droppedCell(col, row, event->mimeData());
    if (!line.isEmpty())
        AddString(col, row, line, 0);
    event->acceptProposedAction();
    setFocus();
    update();
}
