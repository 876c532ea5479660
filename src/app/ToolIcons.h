#pragma once

#include <QIcon>

// The tool bar and window icons, drawn at run time so they stay sharp at any scale and need no image
// plugins.
class ToolIcons
{
public:
    enum Kind
    {
        App,
        Add,
        Edit,
        Delete,
        ToHistory,
        CheckSelected,
        UncheckSelected,
        SortChecked,
        Open,
        Help,
        Sync
    };
    static QIcon icon(Kind kind);
};
