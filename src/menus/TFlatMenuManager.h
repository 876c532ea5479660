#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;
class TFlatMenuPainter;

// The one object all flat menu painters share. It knows the painters and picks the active one (the
// first that is active and does not disable subclassing); every window of the application that has no
// painter of its own and no "Tag" 999 is given to the active painter when it comes up, and taken back
// when that painter goes. Made by the first painter and destroyed with the last.
class TFlatMenuManager : public QObject
{
    Q_OBJECT

public:
    static TFlatMenuManager* instance();
    // Nullptr while no painter exists.
    static TFlatMenuManager* existing();

    void registerPainter(TFlatMenuPainter* painter);
    void unregisterPainter(TFlatMenuPainter* painter);
    // Picks the active painter again after a painter's Active or DisableSubclassing changed.
    void choose();
    TFlatMenuPainter* activePainter() const { return m_active; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TFlatMenuManager();
    ~TFlatMenuManager() override;
    bool wantsWindow(QWidget* window) const;
    void queue(QWidget* window);
    void treatQueue();
    void takeBackAll();

    QList<TFlatMenuPainter*> m_painters;
    QPointer<TFlatMenuPainter> m_active;
    QList<QPointer<QWidget>> m_treated;
    QList<QPointer<QWidget>> m_waiting;
    bool m_treatPending = false;
};
