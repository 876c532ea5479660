#include "config/SettingsValues.h"

#include "config/Colors.h"
#include "config/IniFile.h"
#include "config/Settings.h"
#include "platform/FileSystem.h"

#include <QFileInfo>

#include <optional>

namespace {
const QString kTrue = QStringLiteral("True");
const QString kFalse = QStringLiteral("False");

// Decimal with an optional sign, or hexadecimal after "$" or "0x", as the settings' integers are read.
std::optional<int> parseInteger(const QString& text)
{
    const QString t = text.trimmed();
    bool ok = false;
    int v = 0;
    if (t.startsWith(QLatin1Char('$')))
        v = t.mid(1).toInt(&ok, 16);
    else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = t.mid(2).toInt(&ok, 16);
    else
        v = t.toInt(&ok, 10);
    return ok ? std::optional<int>(v) : std::nullopt;
}

// Reads values and notes, for the user, each one that had to fall back to its default.
class Reader
{
public:
    Reader(const IniFile& ini, QStringList* problems) : m_ini(ini), m_problems(problems) {}

    QString text(const QString& section, const char* key, const QString& defaultValue) const
    {
        return m_ini.value(section, QLatin1String(key), defaultValue);
    }

    int integer(const QString& section, const char* key, int defaultValue) const
    {
        const QString t = text(section, key, QString::number(defaultValue));
        if (const auto v = parseInteger(t))
            return *v;
        note(section, key, t, QStringLiteral("is not a whole number; %1 is shown instead").arg(defaultValue));
        return defaultValue;
    }

    quint32 color(const QString& section, const char* key) const
    {
        const QString t = text(section, key, QStringLiteral("000000"));
        if (const auto c = TextToColor(t))
            return *c;
        note(section, key, t, QStringLiteral("is not a colour; black is shown instead"));
        return 0;
    }

    // Word form: only the exact text "False" is false.
    bool word(const QString& section, const char* key) const { return text(section, key, kTrue) != kFalse; }

    // Numeric form: non-zero is true; a text that is no integer gives the default.
    bool numeric(const QString& section, const char* key, bool defaultValue) const
    {
        const auto t = m_ini.value(section, QLatin1String(key));
        if (!t)
            return defaultValue;
        const QString s = t->trimmed();
        bool ok = false;
        const qint64 v = s.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? s.mid(2).toLongLong(&ok, 16)
                                                                                : s.toLongLong(&ok, 10);
        return ok ? v != 0 : defaultValue;
    }

private:
    void note(const QString& section, const char* key, const QString& value, const QString& what) const
    {
        if (m_problems)
            m_problems->append(
                QStringLiteral("\"%1\" / \"%2\": \"%3\" %4.").arg(section, QLatin1String(key), value, what));
    }

    const IniFile& m_ini;
    QStringList* m_problems;
};

// What one WriteIniString does: the key goes, then comes back as the last of its section.
void writeString(IniFile& ini, const QString& section, const char* key, const QString& value)
{
    ini.removeKey(section, QLatin1String(key));
    ini.setValue(section, QLatin1String(key), value);
}
} // namespace

SettingsValues::SettingsValues()
{
    for (int i = 0; i < StyleItem::Count; ++i)
        StyleItems[static_cast<size_t>(i)].section = StyleItem::sections().at(i);
}

SettingsValues SettingsValues::read(const QString& file, QStringList* problems, IoResult* result)
{
    IoResult loaded;
    const IniFile ini = IniFile::load(file, &loaded);
    if (result)
        *result = loaded;
    return fromIni(ini, problems);
}

SettingsValues SettingsValues::fromIni(const IniFile& ini, QStringList* problems)
{
    SettingsValues v;
    const Reader r(ini, problems);
    for (StyleItem& item : v.StyleItems) {
        item.Text = r.text(item.section, "Text", QString());
        item.TextSize = r.integer(item.section, "TextSize", 0);
        item.ColorSet = ini.value(item.section, QStringLiteral("Color")).has_value();
        item.Color = r.color(item.section, "Color");
        item.Position = r.integer(item.section, "Position", 0);
    }
    const QString grid = QStringLiteral("ToDo Grid");
    v.DateFormat = r.text(QStringLiteral("Date"), "DateFormat", v.DateFormat);
    v.ShowGrid = r.word(grid, "ShowGrid");
    v.AutoStart = r.word(grid, "AutoStart");
    v.UseBeginDate = r.numeric(grid, "UseBeginDate", true);
    v.Language = r.text(QStringLiteral("Language File"), "Selected", v.Language);
    const QString alarm = QStringLiteral("Alarm");
    v.PreAlarmTime = r.integer(alarm, "PreAlarm Time", 0);
    v.SoundFile = r.text(alarm, "Sound File", QString());
    if (!v.SoundFile.isEmpty() && !QFileInfo(v.SoundFile).isFile())
        v.SoundFile.clear();
    const QString font = QStringLiteral("Font");
    v.FontName = r.text(font, "Name", v.FontName);
    v.FontSize = r.integer(font, "Size", 11);
    return v;
}

void SettingsValues::writeTo(IniFile& ini) const
{
    for (const StyleItem& item : StyleItems) {
        writeString(ini, item.section, "Text", item.Text);
        writeString(ini, item.section, "TextSize", QString::number(item.TextSize));
        if (item.ColorSet)
            writeString(ini, item.section, "Color", ColorToText(item.Color));
        writeString(ini, item.section, "Position", QString::number(item.Position));
    }
    const QString grid = QStringLiteral("ToDo Grid");
    writeString(ini, QStringLiteral("Date"), "DateFormat", DateFormat);
    writeString(ini, grid, "ShowGrid", ShowGrid ? kTrue : kFalse);
    writeString(ini, grid, "AutoStart", AutoStart ? kTrue : kFalse);
    writeString(ini, QStringLiteral("Language File"), "Selected", Language);
    ini.setValue(grid, QStringLiteral("UseBeginDate"),
                 UseBeginDate ? QStringLiteral("1") : QStringLiteral("0"));
    const QString alarm = QStringLiteral("Alarm");
    writeString(ini, alarm, "PreAlarm Time", QString::number(PreAlarmTime));
    writeString(ini, alarm, "Sound File", SoundFile);
    const QString font = QStringLiteral("Font");
    writeString(ini, font, "Name", FontName);
    writeString(ini, font, "Size", QString::number(FontSize));
}

IoResult SettingsValues::write(const QString& file) const
{
    return ChangeIniFile(file, [this](IniFile& ini) { writeTo(ini); });
}
