#include "config/StyleItem.h"

const QStringList& StyleItem::sections()
{
    static const QStringList names = {
        QStringLiteral("Header"),
        QStringLiteral("Footer"),
        QStringLiteral("Table Header"),
        QStringLiteral("Table"),
        QStringLiteral("Background Color"),
        QStringLiteral("Open Item Color"),
        QStringLiteral("Pending Item Color"),
        QStringLiteral("Completed Item Color"),
        QStringLiteral("Overdue Item Color"),
        QStringLiteral("Today Item Color"),
        QStringLiteral("TitleBar color"),
        QStringLiteral("TitleFont Color"),
    };
    return names;
}

StyleItem::Controls StyleItem::controlsAt(int position)
{
    if (position == 0 || position == 1)
        return {true, true, true, true};
    if (position == 2)
        return {false, true, true, false};
    if (position == 3)
        return {false, true, false, false};
    if (position >= 4 && position < Count)
        return {false, false, true, false};
    return {};
}
