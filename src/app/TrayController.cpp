#include "app/TrayController.h"

#include "config/LanguageTexts.h"

#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

TrayController::TrayController(QWidget* window) : QObject(window), m_window(window)
{
    m_restoreAction = new QAction(QStringLiteral("&Restore Quillmar"), this);
    m_restoreAction->setObjectName(QStringLiteral("actRestore"));
    m_exitAction = new QAction(QStringLiteral("E&xit"), this);
    m_exitAction->setObjectName(QStringLiteral("actTrayExit"));
    connect(m_restoreAction, &QAction::triggered, this, &TrayController::restoreRequested);
    connect(m_exitAction, &QAction::triggered, this, &TrayController::exitRequested);

    m_popup = new QMenu(window);
    m_popup->setObjectName(QStringLiteral("TrayPopup"));
    m_popup->addAction(m_restoreAction);
    m_popup->addSeparator();
    m_popup->addAction(m_exitAction);
}

QSystemTrayIcon* TrayController::create()
{
    if (m_icon)
        return m_icon;
    m_icon = new QSystemTrayIcon(m_window->windowIcon(), this);
    m_icon->setToolTip(QStringLiteral("Quillmar").left(63));
    m_icon->setContextMenu(m_popup);
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger)
            Q_EMIT restoreRequested();
    });
    return m_icon;
}

bool TrayController::available() const
{
    return m_icon && QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayController::show()
{
    if (m_icon)
        m_icon->show();
}

void TrayController::hide()
{
    if (m_icon)
        m_icon->hide();
}

void TrayController::retranslate()
{
    m_restoreAction->setText(LanguageTexts::shared().text("TrayMenu", "Item0"));
    m_exitAction->setText(LanguageTexts::shared().text("TrayMenu", "Item1"));
}
