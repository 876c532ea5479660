#pragma once

#include <QLabel>

// A one-line label for the status bar that gives way when the bar is short of room: it shrinks and cuts
// its text with "…" instead of pushing its neighbours off the bar or clipping in mid-letter. Pointing at a
// cut text shows all of it.
class ElidedLabel : public QLabel
{
public:
    using QLabel::QLabel;

    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString shownText() const;
};
