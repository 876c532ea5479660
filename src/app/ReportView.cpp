#include "app/ReportView.h"

#include "app/UniformRowHeader.h"

#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionViewItem>

ReportView::ReportView(QWidget* parent) : QTableView(parent)
{
    setVerticalHeader(new UniformRowHeader(this));
    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setMinimumSectionSize(1);
    setCornerButtonEnabled(false);
    // The delegate draws the grid lines, where the settings want them.
    setShowGrid(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    horizontalHeader()->setHighlightSections(false);
    fitRowHeight();
}

void ReportView::setRowFont(const QFont& font)
{
    m_rowFont = font;
    fitRowHeight();
}

void ReportView::fitRowHeight()
{
    // The height a cell with a check box and a line of text asks for, in the view's font and in the rows'
    // (bold where a row's state wants it).
    QFont bold = m_rowFont.resolve(font());
    bold.setBold(true);
    int height = 0;
    for (const QFont& f : {font(), bold}) {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        option.font = f;
        option.fontMetrics = QFontMetrics(f);
        option.features |= QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
        option.text = QStringLiteral("Xg");
        height = std::max(
            height, style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this).height());
    }
    if (verticalHeader()->defaultSectionSize() != height)
        verticalHeader()->setDefaultSectionSize(height);
}

void ReportView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitRowHeight();
    QTableView::changeEvent(event);
}

QModelIndex ReportView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex current = currentIndex();
    const int column = current.isValid() ? current.column() : 0;
    switch (cursorAction) {
    case MoveLeft:
    case MoveRight: {
        QScrollBar* bar = horizontalScrollBar();
        const int step = cursorAction == MoveLeft ? -bar->singleStep() : bar->singleStep();
        bar->setValue(bar->value() + 2 * step);
        return current;
    }
    case MoveHome:
        return model() && model()->rowCount(rootIndex()) > 0 ? model()->index(0, column, rootIndex())
                                                             : current;
    case MoveEnd: {
        const int rows = model() ? model()->rowCount(rootIndex()) : 0;
        return rows > 0 ? model()->index(rows - 1, column, rootIndex()) : current;
    }
    default:
        return QTableView::moveCursor(cursorAction, modifiers);
    }
}
