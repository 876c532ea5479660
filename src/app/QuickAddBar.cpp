#include "app/QuickAddBar.h"

#include "app/Hints.h"
#include "config/LanguageTexts.h"
#include "platform/Clock.h"
#include "platform/Regional.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>

QuickAddBar::QuickAddBar(std::function<bool(const QString&)> add, QWidget* parent)
    : QLineEdit(parent), m_add(std::move(add))
{
    setObjectName(QStringLiteral("QuickAdd"));
    setClearButtonEnabled(true);
    connect(this, &QLineEdit::returnPressed, this, [this] {
        if (!text().trimmed().isEmpty() && m_add(text()))
            clear();
    });
    retranslate();
}

void QuickAddBar::retranslate()
{
    const LanguageTexts& texts = LanguageTexts::shared();
    const QString example = Regional::dateToText(Clock::today().addDays(7));
    setPlaceholderText(texts.text("QuickAdd", "Placeholder").arg(example));
    applyHint(this, texts.text("QuickAdd", "Hint"));
}

void QuickAddBar::followTypingIn(QAbstractItemView* view)
{
    m_view = view;
    view->installEventFilter(this);
}

bool QuickAddBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_view && event->type() == QEvent::KeyPress && isEnabled()) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString typed = key->text();
        // Space checks a row and shortcuts stay shortcuts: only printable letters, digits and signs move.
        const bool printable = !typed.isEmpty() && typed.at(0).isPrint() && !typed.at(0).isSpace();
        if (printable && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            setFocus(Qt::ShortcutFocusReason);
            insert(typed);
            return true;
        }
    }
    return QLineEdit::eventFilter(watched, event);
}

void QuickAddBar::keyPressEvent(QKeyEvent* event)
{
    // Escape leaves the line (its text stays) for the list it came from.
    if (event->key() == Qt::Key_Escape && m_view) {
        m_view->setFocus(Qt::ShortcutFocusReason);
        return;
    }
    QLineEdit::keyPressEvent(event);
}
