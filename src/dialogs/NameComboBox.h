#pragma once

#include <QByteArrayList>
#include <QComboBox>

#include <functional>

class QMenu;

// The owner or project box of the item editor: an editable box over a list of names that the user keeps
// with its pop-up menu (Add Text, Delete Item, Clear All) and the Enter key. Its text is the item's
// owner or project, whether or not the list holds it; changing the list never changes that text.
class NameComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit NameComboBox(QWidget* parent = nullptr);

    // Offers names (bytes as the list file keeps them) and shows current as the box's text.
    void setNames(const QByteArrayList& names, const QString& current);
    // The names as the user left them.
    QByteArrayList names() const;
    // Decides whether a typed name may join the list (the list file must be able to hold it).
    void setNameCheck(std::function<bool(const QString&)> check) { m_check = std::move(check); }
    QMenu* menu() const { return m_menu; }

    // The pop-up menu's commands.
    void addTypedName();
    void deleteSelectedName();
    void clearNames();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QMenu* m_menu;
    std::function<bool(const QString&)> m_check;
};
