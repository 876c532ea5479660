#pragma once

#include <QPixmap>

// The about box's pictures, drawn at run time: the picture at the top of the box and the small pattern
// that fills the box when it asks for a background picture it was not given.
class AboutPictures
{
public:
    static QPixmap topPicture(const QSize& size, qreal devicePixelRatio = 1.0);
    static QPixmap backgroundPattern();
};
