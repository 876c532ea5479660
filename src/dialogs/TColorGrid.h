#pragma once

#include "config/ColorGridCells.h"

#include <QWidget>

#include <optional>

// A small colour picker: sixteen cells; the left button picks the foreground colour, any other button
// the background colour, and dragging with a button held keeps picking under the pointer. The picked cells
// are labelled "FG", "BG" or "FB". Keys: the arrows move the focus cell, Space picks it as the
// foreground.
class TColorGrid : public QWidget
{
    Q_OBJECT

public:
    using Ordering = ColorGridCells::Ordering;

    explicit TColorGrid(QWidget* parent = nullptr);

    // When a click sets a disabled colour, it enables that colour first.
    bool ClickEnablesColor() const { return m_clickEnablesColor; }
    void setClickEnablesColor(bool on) { m_clickEnablesColor = on; }
    Ordering GridOrdering() const { return m_ordering; }
    void setGridOrdering(Ordering ordering);
    // -1 for none.
    int ForegroundIndex() const { return m_foreground; }
    void setForegroundIndex(int index);
    int BackgroundIndex() const { return m_background; }
    void setBackgroundIndex(int index);
    bool ForegroundEnabled() const { return m_foregroundEnabled; }
    void setForegroundEnabled(bool on);
    bool BackgroundEnabled() const { return m_backgroundEnabled; }
    void setBackgroundEnabled(bool on);
    // The cell that shows the focus frame.
    int Selection() const { return m_selection; }
    void setSelection(int index);

    // The colour of the foreground cell (0x00BBGGRR), none when there is no foreground cell.
    std::optional<quint32> ForegroundColor() const;
    // The first cell showing the colour, system colours taken at their current value; -1 for none.
    static int ColorToIndex(quint32 color);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

Q_SIGNALS:
    // An enabled colour changed its cell.
    void OnChange();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void pickAt(const QPoint& pos, bool foreground);

    bool m_clickEnablesColor = false;
    Ordering m_ordering = Ordering::go4x4;
    int m_foreground = 0;
    int m_background = 0;
    bool m_foregroundEnabled = true;
    bool m_backgroundEnabled = true;
    int m_selection = 0;
    // Which colour a drag with the button held keeps setting.
    bool m_dragForeground = true;
};
