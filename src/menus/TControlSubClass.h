#pragma once

#include <QFont>
#include <QObject>
#include <QPalette>
#include <QPointer>

#include <optional>

class QStyle;
class QWidget;
class TFlatMenuPainter;

// What the flat menu painter attaches to each widget it takes over: it gives the widget the painter's
// style (and, for menus, the painter's font; for panels, bevel colours of their own), keeps what the widget
// had before to give it back, and repaints the widget's frame when the mouse or the focus comes or goes.
class TControlSubClass : public QObject
{
    Q_OBJECT

public:
    TControlSubClass(QWidget* control, TFlatMenuPainter* painter);
    // Gives the widget back what it had.
    ~TControlSubClass() override;

    QWidget* control() const { return m_control; }
    TFlatMenuPainter* painter() const { return m_painter; }
    // Set while the mouse is over the enabled control or it has the focus.
    bool highlighted() const { return m_highlight; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setHighlight(bool on);

    QPointer<QWidget> m_control;
    TFlatMenuPainter* m_painter;
    // The style the widget had set on itself (none: it used the application's).
    QPointer<QStyle> m_previousStyle;
    bool m_hadOwnStyle = false;
    bool m_hadHover = false;
    std::optional<QFont> m_previousFont;
    std::optional<QPalette> m_previousPalette;
    bool m_highlight = false;
};
