#pragma once

#include "config/Config.h"

#include <QString>

#include <array>

class IniFile;

// How the main window looks and rings, as the settings file says it. The values are read in a fixed order
// and a colour or whole number that is no such thing ends the reading: the groups read before it still
// count, the ones after it keep what the window had (the user is told once). Colours are 0x00BBGGRR.
struct DisplaySettings
{
    // In reading order; readUpTo says how many of them were read.
    enum Group
    {
        StatusColors, // open, pending, completed, overdue, today
        ListColor,
        TitleBarColor,
        TitleFontColor,
        Grid,
        AlarmLead, // read once the list's text size is a number
        Fonts,     // the list's and the items' fonts, the alarm sound and the tool bar picture
        GroupCount
    };

    quint32 openColor = 0x800080;
    quint32 pendingColor = 0xFF0000;
    quint32 completedColor = 0x808080;
    quint32 overdueColor = 0x0000FF;
    quint32 todayColor = 0x0000FF;
    // The list background, already lightened.
    quint32 listColor = 0xFFFFFF;
    quint32 titleBarColor = 0x800000;
    quint32 titleFontColor = 0xFFFFFF;
    bool showGrid = true;
    // 0 or less keeps the style's size.
    int listFontSize = 9;
    QString alarmLeadTime = QStringLiteral("0");
    int itemFontSize = 11;
    QString soundFile;
    QString itemFontName = Config::defaultText(Config::Key::FontName);
    // Empty: no picture behind the tool bar.
    QString toolbarPicture;

    int readUpTo = GroupCount;

    bool has(Group group) const { return group < readUpTo; }
    bool complete() const { return readUpTo == GroupCount; }
    // The memos' background: the title bar colour, lightened.
    quint32 memoColor() const;

    // Values the reading does not reach keep before's.
    static DisplaySettings read(const IniFile& ini, const DisplaySettings& before);
    static DisplaySettings read(const IniFile& ini) { return read(ini, DisplaySettings()); }
};
