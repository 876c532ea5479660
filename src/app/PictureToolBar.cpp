#include "app/PictureToolBar.h"

#include <QPainter>

PictureToolBar::PictureToolBar(const QString& title, QWidget* parent) : QToolBar(title, parent) {}

void PictureToolBar::setPicture(const QPixmap& picture)
{
    m_picture = picture;
    update();
}

void PictureToolBar::paintEvent(QPaintEvent* event)
{
    QToolBar::paintEvent(event);
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    painter.drawTiledPixmap(rect(), m_picture);
}
