#pragma once

#include <QLineEdit>

#include <functional>

class QAbstractItemView;

// The quick-add line above the list: the user types an item and presses Enter. What the line means is
// QuickAddParser's business and adding it the item commands'; the line only keeps the text until it was
// taken (a refused text stays, so nothing typed is lost). Typing into the list starts a line here.
class QuickAddBar : public QLineEdit
{
    Q_OBJECT

public:
    // add returns whether the text became an item.
    QuickAddBar(std::function<bool(const QString&)> add, QWidget* parent = nullptr);

    // Printable keys typed while view has the focus continue here.
    void followTypingIn(QAbstractItemView* view);
    void retranslate();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::function<bool(const QString&)> m_add;
    QAbstractItemView* m_view = nullptr;
};
