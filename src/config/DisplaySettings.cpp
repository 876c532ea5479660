#include "config/DisplaySettings.h"

#include "config/Colors.h"
#include "config/Config.h"
#include "config/IniFile.h"
#include "config/StyleItem.h"

#include <optional>

namespace {
// A value that must be a colour or a whole number and is not.
struct BadSetting
{
};

// The style sections the window reads, by their place in StyleItem::sections().
enum Section
{
    Table = 3,
    Background,
    Open,
    Pending,
    Completed,
    Overdue,
    Today,
    TitleBar,
    TitleFont
};

// A section without a colour gets the window's own.
quint32 readColor(const IniFile& ini, Section section, const char* defaultColor)
{
    const QString arg = StyleItem::sections().at(section);
    const std::optional<quint32> c =
        TextToColor(Config::stored(ini, Config::Key::StyleColor, arg).value_or(QLatin1String(defaultColor)));
    if (!c)
        throw BadSetting{};
    return *c;
}

int readInteger(const IniFile& ini, Config::Key key, const QString& arg = QString())
{
    const std::optional<int> v = Config::integer(ini, key, arg);
    if (!v)
        throw BadSetting{};
    return *v;
}
} // namespace

quint32 DisplaySettings::memoColor() const
{
    return LightenColor(titleBarColor, 200);
}

DisplaySettings DisplaySettings::read(const IniFile& ini, const DisplaySettings& before)
{
    DisplaySettings s = before;
    s.readUpTo = 0;
    try {
        s.openColor = readColor(ini, Open, "clPurple");
        s.pendingColor = readColor(ini, Pending, "clblue");
        s.completedColor = readColor(ini, Completed, "clgray");
        s.overdueColor = readColor(ini, Overdue, "clred");
        s.todayColor = readColor(ini, Today, "clred");
        s.readUpTo = ListColor;
        s.listColor = LightenColor(readColor(ini, Background, "clwhite"), 200);
        s.readUpTo = TitleBarColor;
        s.titleBarColor = readColor(ini, TitleBar, "clnavy");
        s.readUpTo = TitleFontColor;
        s.titleFontColor = readColor(ini, TitleFont, "clwhite");
        s.readUpTo = Grid;
        s.showGrid = Config::flag(ini, Config::Key::ShowGrid);
        s.readUpTo = AlarmLead;
        // The stored size counts from 9 points.
        s.listFontSize = readInteger(ini, Config::Key::StyleTextSize, StyleItem::sections().at(Table)) + 9;
        s.alarmLeadTime = Config::text(ini, Config::Key::PreAlarmTime);
        s.readUpTo = Fonts;
        s.itemFontSize = readInteger(ini, Config::Key::FontSize);
        // The path as stored: the player decides what a missing file sounds like.
        s.soundFile = Config::stored(ini, Config::Key::SoundFile).value_or(QString());
        s.itemFontName = Config::text(ini, Config::Key::FontName);
        s.toolbarPicture = Config::text(ini, Config::Key::ToolbarPicture);
        s.readUpTo = GroupCount;
    } catch (const BadSetting&) {
    }
    return s;
}
