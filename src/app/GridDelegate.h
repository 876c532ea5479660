#pragma once

#include <QStyledItemDelegate>

// Draws the list's cells with optional grid lines, as a report-style list with grid lines shows them.
class GridDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit GridDelegate(QObject* parent = nullptr);

    void setShowGrid(bool show) { m_showGrid = show; }
    bool showGrid() const { return m_showGrid; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // A selected row's text stays readable on the selection colour (contrast 4.5:1 at least): where the
    // desktop's text colour does not, black or white, whichever reads better.
    static void makeSelectionReadable(QPalette& palette);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    bool m_showGrid = true;
};
