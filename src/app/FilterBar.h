#pragma once

#include "model/ItemFilter.h"

#include <QWidget>

#include <array>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QToolButton;

// The find bar above the list: a field for text that the shown rows must contain (in any column) and a
// drop-down of the statuses they may have. Escape in it, or its close button, clears it and hides it.
class FilterBar : public QWidget
{
    Q_OBJECT

public:
    explicit FilterBar(QWidget* parent = nullptr);

    QString text() const;
    ItemFilter::StatusSet statuses() const;
    // Shows the bar with the focus in its field, the text selected for typing over.
    void openBar();
    // Clears it and hides it; filterChanged follows when it was filtering.
    void closeBar();
    // Puts the texts of the language files on the bar.
    void retranslate();

Q_SIGNALS:
    void filterChanged(const QString& text, ItemFilter::StatusSet statuses);
    void closed();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void statusesChanged();
    void showStatuses();

    QLabel* m_label;
    QLineEdit* m_text;
    QToolButton* m_statusButton;
    QToolButton* m_closeButton;
    QAction* m_allStatuses;
    QMenu* m_statusMenu;
    // By ItemStatus number.
    std::array<QAction*, 5> m_statusActions{};
};
