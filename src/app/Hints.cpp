#include "app/Hints.h"

#include <QAction>
#include <QWidget>

void applyHint(QObject* target, const QString& hint)
{
    QString text = hint;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    const qsizetype bar = text.indexOf(QLatin1Char('|'));
    const QString shortHint = bar < 0 ? text : text.left(bar);
    QString longHint = bar < 0 ? text : text.mid(bar + 1);
    longHint.replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (auto* action = qobject_cast<QAction*>(target)) {
        action->setToolTip(shortHint);
        action->setStatusTip(longHint);
    } else if (auto* widget = qobject_cast<QWidget*>(target)) {
        widget->setToolTip(shortHint);
        widget->setStatusTip(longHint);
    }
}
