#pragma once

#include <QPixmap>
#include <QToolBar>

// A tool bar that can show a picture behind its buttons. The picture is drawn as the bar's background,
// tiled; the buttons keep their own colours above it, so a light or dark picture never hides them.
class PictureToolBar : public QToolBar
{
    Q_OBJECT

public:
    explicit PictureToolBar(const QString& title, QWidget* parent = nullptr);

    void setPicture(const QPixmap& picture);
    void clearPicture() { setPicture(QPixmap()); }
    bool hasPicture() const { return !m_picture.isNull(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
};
