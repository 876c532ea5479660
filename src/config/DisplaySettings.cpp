#include "config/DisplaySettings.h"

#include "config/Colors.h"
#include "config/IniFile.h"

#include <optional>

namespace {
// A value that must be a colour or a whole number and is not.
struct BadSetting
{
};

quint32 readColor(const IniFile& ini, const QString& section, const QString& defaultValue)
{
    const std::optional<quint32> c = TextToColor(ini.value(section, QStringLiteral("Color"), defaultValue));
    if (!c)
        throw BadSetting{};
    return *c;
}

int readInteger(const IniFile& ini, const QString& section, const QString& key, const QString& defaultValue)
{
    bool ok = false;
    const int v = ini.value(section, key, defaultValue).trimmed().toInt(&ok);
    if (!ok)
        throw BadSetting{};
    return v;
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
        s.openColor = readColor(ini, QStringLiteral("Open Item Color"), QStringLiteral("clPurple"));
        s.pendingColor = readColor(ini, QStringLiteral("Pending Item Color"), QStringLiteral("clblue"));
        s.completedColor = readColor(ini, QStringLiteral("Completed Item Color"), QStringLiteral("clgray"));
        s.overdueColor = readColor(ini, QStringLiteral("Overdue Item Color"), QStringLiteral("clred"));
        s.todayColor = readColor(ini, QStringLiteral("Today Item Color"), QStringLiteral("clred"));
        s.readUpTo = ListColor;
        s.listColor =
            LightenColor(readColor(ini, QStringLiteral("Background Color"), QStringLiteral("clwhite")), 200);
        s.readUpTo = TitleBarColor;
        s.titleBarColor = readColor(ini, QStringLiteral("TitleBar Color"), QStringLiteral("clnavy"));
        s.readUpTo = TitleFontColor;
        s.titleFontColor = readColor(ini, QStringLiteral("TitleFont Color"), QStringLiteral("clwhite"));
        s.readUpTo = Grid;
        // Only the exact text "False" turns the grid off.
        s.showGrid = ini.value(QStringLiteral("ToDo Grid"), QStringLiteral("ShowGrid"),
                               QStringLiteral("True")) != QLatin1String("False");
        s.readUpTo = AlarmLead;
        // The stored size counts from 9 points.
        s.listFontSize =
            readInteger(ini, QStringLiteral("Table"), QStringLiteral("TextSize"), QStringLiteral("0")) + 9;
        s.alarmLeadTime =
            ini.value(QStringLiteral("Alarm"), QStringLiteral("PreAlarm Time"), QStringLiteral("0"));
        s.readUpTo = Fonts;
        s.itemFontSize =
            readInteger(ini, QStringLiteral("Font"), QStringLiteral("Size"), QStringLiteral("11"));
        s.soundFile = ini.value(QStringLiteral("Alarm"), QStringLiteral("Sound File"), QString());
        s.itemFontName = ini.value(QStringLiteral("Font"), QStringLiteral("Name"), QStringLiteral("Tahoma"));
        s.toolbarPicture = ini.value(QStringLiteral("Bitmap"), QStringLiteral("Name"), QString());
        s.readUpTo = GroupCount;
    } catch (const BadSetting&) {
    }
    return s;
}
