#include "app/SyncActions.h"

#include "app/ElidedLabel.h"
#include "app/Hints.h"
#include "app/SyncController.h"
#include "app/ToolIcons.h"
#include "config/LanguageTexts.h"
#include "config/Paths.h"
#include "config/SyncSettings.h"
#include "platform/desktop/SecretStore.h"

#include <QAction>
#include <QLabel>

SyncActions::SyncActions(ListDocument* document, QObject* parent)
    : QObject(parent),
      m_controller(new SyncController(document, std::make_shared<KeychainSecretStore>(), this)),
      m_action(new QAction(ToolIcons::icon(ToolIcons::Sync), QString(), this)), m_panel(new ElidedLabel)
{
    m_action->setObjectName(QStringLiteral("actSync"));
    m_action->setShortcut(QKeySequence(Qt::Key_F5));
    m_panel->setObjectName(QStringLiteral("SyncStatus"));
    m_panel->setContentsMargins(4, 0, 4, 0);
    connect(m_action, &QAction::triggered, m_controller, &SyncController::syncNow);
    connect(m_controller, &SyncService::statusChanged, m_panel, [this](const QString& text) {
        m_panel->setText(text);
        // A long reason may not fit the panel.
        m_panel->setToolTip(text);
    });
    // What needs the user's attention stays on the panel until the next run, beyond the passing hint.
    connect(m_controller, &SyncController::needsAttention, m_panel,
            [this](const QString& note) { m_panel->setToolTip(m_panel->text() + QLatin1Char('\n') + note); });
    connect(m_controller, &SyncController::needsAttention, this, &SyncActions::notice);
    connect(m_controller, &SyncController::setUpChanged, this, &SyncActions::retranslate);
    retranslate();
}

void SyncActions::loadSettings()
{
    m_controller->takeSettings(SyncSettings::read(SettingsFilePath()));
}

void SyncActions::retranslate()
{
    const LanguageTexts& texts = LanguageTexts::shared();
    const bool setUp = m_controller->isSetUp();
    m_action->setText(texts.text("Sync", "Item0"));
    // Always there: an external list may be set up by the command line, and otherwise the status line
    // says where sync is set up.
    applyHint(m_action, texts.text("Sync", setUp ? "Hint0" : "NotSetUp"));
}
