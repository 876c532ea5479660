#include "menus/TFlatMenuManager.h"

#include "menus/TFlatMenuPainter.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <utility>

namespace {
TFlatMenuManager* g_manager = nullptr;
} // namespace

TFlatMenuManager* TFlatMenuManager::instance()
{
    if (!g_manager)
        g_manager = new TFlatMenuManager;
    return g_manager;
}

TFlatMenuManager* TFlatMenuManager::existing()
{
    return g_manager;
}

TFlatMenuManager::TFlatMenuManager()
{
    qApp->installEventFilter(this);
}

TFlatMenuManager::~TFlatMenuManager()
{
    if (qApp)
        qApp->removeEventFilter(this);
    g_manager = nullptr;
}

void TFlatMenuManager::registerPainter(TFlatMenuPainter* painter)
{
    if (!m_painters.contains(painter))
        m_painters.append(painter);
    choose();
}

void TFlatMenuManager::unregisterPainter(TFlatMenuPainter* painter)
{
    if (m_active == painter) {
        takeBackAll();
        m_active = nullptr;
    }
    m_painters.removeAll(painter);
    if (m_painters.isEmpty()) {
        delete this;
        return;
    }
    choose();
}

void TFlatMenuManager::choose()
{
    TFlatMenuPainter* next = nullptr;
    for (TFlatMenuPainter* p : std::as_const(m_painters)) {
        if (p->active() && !p->disableSubclassing()) {
            next = p;
            break;
        }
    }
    if (next == m_active)
        return;
    // The windows move over to the new painter; without one they get their own look back.
    QList<QPointer<QWidget>> windows = m_treated;
    takeBackAll();
    m_active = next;
    if (!m_active) {
        m_waiting.clear();
        return;
    }
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible())
            windows.append(w);
    }
    for (const QPointer<QWidget>& w : windows)
        queue(w);
}

void TFlatMenuManager::takeBackAll()
{
    for (const QPointer<QWidget>& w : std::as_const(m_treated)) {
        if (w && m_active)
            m_active->takeBackWindow(w);
    }
    m_treated.clear();
}

bool TFlatMenuManager::wantsWindow(QWidget* window) const
{
    if (!window || !window->isWindow() || TFlatMenuPainter::keepsPlatformLook(window))
        return false;
    const Qt::WindowType type = window->windowType();
    if (type != Qt::Window && type != Qt::Dialog)
        return false;
    for (const TFlatMenuPainter* p : m_painters) {
        if (p->owner() == window)
            return false;
    }
    for (const QPointer<QWidget>& w : m_treated) {
        if (w == window)
            return false;
    }
    return true;
}

void TFlatMenuManager::queue(QWidget* window)
{
    if (!m_active || !wantsWindow(window) || m_waiting.contains(window))
        return;
    m_waiting.append(window);
    if (!m_treatPending) {
        m_treatPending = true;
        QTimer::singleShot(0, this, &TFlatMenuManager::treatQueue);
    }
}

void TFlatMenuManager::treatQueue()
{
    m_treatPending = false;
    const QList<QPointer<QWidget>> waiting = std::exchange(m_waiting, {});
    for (const QPointer<QWidget>& w : waiting) {
        if (w && m_active && wantsWindow(w)) {
            m_active->applyToWindow(w);
            m_treated.append(w);
        }
    }
}

bool TFlatMenuManager::eventFilter(QObject* watched, QEvent* event)
{
    // A widget made after its window was taken over is polished before it first shows: painters that
    // detect new parts take it over then.
    if (event->type() == QEvent::Polish && watched->isWidgetType()) {
        for (TFlatMenuPainter* p : std::as_const(m_painters)) {
            if (p->active() && p->autoDetect())
                p->detected(static_cast<QWidget*>(watched));
        }
    }
    // A window coming up for the first time is taken over before it is first painted.
    if (event->type() == QEvent::Show && m_active && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        if (w->isWindow() && wantsWindow(w)) {
            m_active->applyToWindow(w);
            m_treated.append(w);
        }
    }
    return false;
}
