#pragma once

#include <QFont>
#include <QTableView>

class QHeaderView;

// The list's view: a report-style list of whole rows under a header of column captions. A table view
// with its row header hidden, not a tree view: a tree view keeps a record of every row and builds them
// all again after any row comes or goes, which at a million rows takes longer than a frame (so does the
// table's own row header, which UniformRowHeader replaces). All rows have the height of one line of the
// rows' font; the keys move as in a list (Home and End go to the first and last row, Left and Right
// scroll sideways).
class ReportView : public QTableView
{
    Q_OBJECT

public:
    explicit ReportView(QWidget* parent = nullptr);

    QHeaderView* header() const { return horizontalHeader(); }
    // The font the model gives the rows' texts, which sets the rows' height. A change of height passes
    // every row once (the row header's resizes): a change of the settings, not of a row.
    void setRowFont(const QFont& font);

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void changeEvent(QEvent* event) override;

private:
    void fitRowHeight();

    QFont m_rowFont;
};
