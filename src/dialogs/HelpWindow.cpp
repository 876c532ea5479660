#include "dialogs/HelpWindow.h"

#include "config/LanguageTexts.h"
#include "config/Paths.h"

#include <QAction>
#include <QFileInfo>
#include <QShortcut>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

HelpWindow::HelpWindow(const QUrl& manual, QWidget* owner)
    : QWidget(nullptr, Qt::Window), m_owner(owner), m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    const LanguageTexts& texts = LanguageTexts::shared();
    setWindowTitle(texts.text("Help", "Caption"));
    resize(680, 620);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenExternalLinks(true);

    auto* bar = new QToolBar(this);
    bar->setIconSize(QSize(18, 18));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QAction* back = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), texts.text("Help", "Back"),
                                   m_browser, &QTextBrowser::backward);
    back->setShortcut(QKeySequence::Back);
    back->setEnabled(false);
    QAction* forward = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward),
                                      texts.text("Help", "Forward"), m_browser, &QTextBrowser::forward);
    forward->setShortcut(QKeySequence::Forward);
    forward->setEnabled(false);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_browser);

    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    m_browser->setSource(manual);
}

void HelpWindow::present()
{
    if (!m_placed && m_owner) {
        m_placed = true;
        const QRect around = m_owner->frameGeometry();
        move(around.center() - rect().center());
    }
    show();
    raise();
    activateWindow();
}

QUrl HelpWindow::manualFor(const QString& language)
{
    for (const QString& name :
         {QStringLiteral("manual.%1.html").arg(language), QStringLiteral("manual.html")}) {
        for (const QString& folder : {ProgramFolder(), SharedDataFolder()}) {
            if (QFileInfo::exists(folder + name))
                return QUrl::fromLocalFile(folder + name);
        }
        if (QFileInfo::exists(QStringLiteral(":/docs/") + name))
            return QUrl(QStringLiteral("qrc:/docs/") + name);
    }
    return QUrl(QStringLiteral("qrc:/docs/manual.html"));
}
