#include "app/FilterBar.h"

#include "config/LanguageTexts.h"

#include <QAction>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalBlocker>
#include <QStyle>
#include <QToolButton>

namespace {
// The statuses in the drop-down, in the order a day goes by.
struct StatusEntry
{
    ItemStatus status;
    const char* key; // of the "FindBar" texts
};
constexpr StatusEntry kStatusEntries[] = {{ItemStatus::Open, "Status0"},
                                          {ItemStatus::Pending, "Status1"},
                                          {ItemStatus::Today, "Status2"},
                                          {ItemStatus::Overdue, "Status3"},
                                          {ItemStatus::Completed, "Status4"}};

QString barText(const char* key)
{
    return LanguageTexts::shared().text("FindBar", key);
}
} // namespace

FilterBar::FilterBar(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FilterBar"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 3, 4, 3);

    m_label = new QLabel(this);
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("FilterText"));
    m_text->setClearButtonEnabled(true);
    m_label->setBuddy(m_text);
    connect(m_text, &QLineEdit::textChanged, this, [this] { Q_EMIT filterChanged(text(), statuses()); });

    m_statusMenu = new QMenu(this);
    m_statusMenu->setObjectName(QStringLiteral("FilterStatusMenu"));
    m_allStatuses = m_statusMenu->addAction(QString());
    m_statusMenu->addSeparator();
    for (const StatusEntry& entry : kStatusEntries) {
        QAction* action = m_statusMenu->addAction(QString());
        action->setCheckable(true);
        action->setChecked(true);
        connect(action, &QAction::toggled, this, &FilterBar::statusesChanged);
        m_statusActions[static_cast<size_t>(entry.status)] = action;
    }
    connect(m_allStatuses, &QAction::triggered, this, [this] {
        for (QAction* action : m_statusActions) {
            const QSignalBlocker block(action);
            action->setChecked(true);
        }
        statusesChanged();
    });
    m_statusButton = new QToolButton(this);
    m_statusButton->setObjectName(QStringLiteral("FilterStatuses"));
    m_statusButton->setMenu(m_statusMenu);
    m_statusButton->setPopupMode(QToolButton::InstantPopup);
    m_statusButton->setToolButtonStyle(Qt::ToolButtonTextOnly);

    m_closeButton = new QToolButton(this);
    m_closeButton->setObjectName(QStringLiteral("FilterClose"));
    m_closeButton->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    m_closeButton->setAutoRaise(true);
    connect(m_closeButton, &QToolButton::clicked, this, &FilterBar::closeBar);

    layout->addWidget(m_label);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_statusButton);
    layout->addWidget(m_closeButton);
    setFocusProxy(m_text);
    retranslate();
}

void FilterBar::retranslate()
{
    m_label->setText(barText("Item0"));
    m_text->setPlaceholderText(barText("Item1"));
    m_allStatuses->setText(barText("Item2"));
    m_closeButton->setToolTip(barText("Item4"));
    for (const StatusEntry& entry : kStatusEntries)
        m_statusActions[static_cast<size_t>(entry.status)]->setText(barText(entry.key));
    showStatuses();
}

QString FilterBar::text() const
{
    return m_text->text();
}

ItemFilter::StatusSet FilterBar::statuses() const
{
    ItemFilter::StatusSet set = 0;
    for (size_t i = 0; i < m_statusActions.size(); ++i) {
        if (m_statusActions[i]->isChecked())
            set |= ItemFilter::bit(static_cast<ItemStatus>(i));
    }
    return set;
}

void FilterBar::openBar()
{
    show();
    m_text->setFocus(Qt::ShortcutFocusReason);
    m_text->selectAll();
}

void FilterBar::closeBar()
{
    const bool filtering = !text().isEmpty() || statuses() != ItemFilter::AllStatuses;
    {
        const QSignalBlocker blockText(m_text);
        m_text->clear();
        for (QAction* action : m_statusActions) {
            const QSignalBlocker block(action);
            action->setChecked(true);
        }
    }
    showStatuses();
    hide();
    if (filtering)
        Q_EMIT filterChanged(text(), statuses());
    Q_EMIT closed();
}

void FilterBar::keyPressEvent(QKeyEvent* event)
{
    // Escape in the field (which leaves it to its parent) ends the finding.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        closeBar();
        return;
    }
    QWidget::keyPressEvent(event);
}

void FilterBar::statusesChanged()
{
    showStatuses();
    Q_EMIT filterChanged(text(), statuses());
}

void FilterBar::showStatuses()
{
    QStringList chosen;
    for (const StatusEntry& entry : kStatusEntries) {
        if (m_statusActions[static_cast<size_t>(entry.status)]->isChecked())
            chosen << m_statusActions[static_cast<size_t>(entry.status)]->text();
    }
    if (chosen.size() == static_cast<qsizetype>(m_statusActions.size()))
        m_statusButton->setText(barText("Item2"));
    else if (chosen.isEmpty())
        m_statusButton->setText(barText("Item3"));
    else
        m_statusButton->setText(chosen.join(QStringLiteral(", ")));
}
