#include "config/SettingsValues.h"

#include "config/Config.h"
#include "config/IniFile.h"
#include "config/Settings.h"

namespace {
using Key = Config::Key;

// Reads values and notes, for the user, each one that had to fall back to its default.
class Reader
{
public:
    Reader(const IniFile& ini, QStringList* problems) : m_ini(ini), m_problems(problems) {}

    int integer(Key key, const QString& arg = QString()) const
    {
        if (const auto v = Config::integer(m_ini, key, arg))
            return *v;
        const int fallback = Config::parseInteger(Config::defaultText(key)).value_or(0);
        note(key, arg, QStringLiteral("is not a whole number; %1 is shown instead").arg(fallback));
        return fallback;
    }

    quint32 color(const QString& section) const
    {
        if (!Config::stored(m_ini, Key::StyleColor, section))
            return 0;
        if (const auto c = Config::color(m_ini, Key::StyleColor, section))
            return *c;
        note(Key::StyleColor, section, QStringLiteral("is not a colour; black is shown instead"));
        return 0;
    }

private:
    void note(Key key, const QString& arg, const QString& what) const
    {
        if (m_problems)
            m_problems->append(QStringLiteral("\"%1\" / \"%2\": \"%3\" %4.")
                                   .arg(Config::section(key, arg), Config::name(key, arg),
                                        Config::stored(m_ini, key, arg).value_or(QString()), what));
    }

    const IniFile& m_ini;
    QStringList* m_problems;
};
} // namespace

SettingsValues::SettingsValues()
    : CodePage(Config::defaultText(Key::CodePage)), Language(Config::defaultText(Key::Language)),
      FontName(Config::defaultText(Key::FontName)),
      FontSize(Config::parseInteger(Config::defaultText(Key::FontSize)).value_or(0))
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
        item.Text = Config::text(ini, Key::StyleText, item.section);
        item.TextSize = r.integer(Key::StyleTextSize, item.section);
        item.ColorSet = Config::stored(ini, Key::StyleColor, item.section).has_value();
        item.Color = r.color(item.section);
        item.Position = r.integer(Key::StylePosition, item.section);
    }
    // The dialog's own default, written back when the file has none.
    v.DateFormat = Config::stored(ini, Key::DateFormat).value_or(v.DateFormat);
    v.CodePage = Config::text(ini, Key::CodePage);
    v.ShowGrid = Config::flag(ini, Key::ShowGrid);
    v.AutoStart = Config::flag(ini, Key::AutoStart);
    v.UseBeginDate = Config::flag(ini, Key::UseBeginDate);
    v.Language = Config::text(ini, Key::Language);
    v.PreAlarmTime = r.integer(Key::PreAlarmTime);
    v.SoundFile = Config::text(ini, Key::SoundFile);
    v.FontName = Config::text(ini, Key::FontName);
    v.FontSize = r.integer(Key::FontSize);
    return v;
}

QStringList SettingsValues::codePagesOffered(const QString& current)
{
    const QString utf8 = QStringLiteral("UTF-8");
    if (current.compare(utf8, Qt::CaseInsensitive) == 0 ||
        current.compare(QLatin1String("utf8"), Qt::CaseInsensitive) == 0)
        return {utf8};
    return {Config::defaultText(Key::CodePage), utf8};
}

void SettingsValues::writeTo(IniFile& ini) const
{
    for (const StyleItem& item : StyleItems) {
        Config::setText(ini, Key::StyleText, item.Text, item.section);
        Config::setInteger(ini, Key::StyleTextSize, item.TextSize, item.section);
        if (item.ColorSet)
            Config::setColor(ini, Key::StyleColor, item.Color, item.section);
        Config::setInteger(ini, Key::StylePosition, item.Position, item.section);
    }
    Config::setText(ini, Key::DateFormat, DateFormat);
    // Written only when changed: the key keeps its place, and a file without it gets none for nothing.
    if (CodePage.compare(Config::text(ini, Key::CodePage), Qt::CaseInsensitive) != 0)
        Config::setText(ini, Key::CodePage, CodePage);
    Config::setFlag(ini, Key::ShowGrid, ShowGrid);
    Config::setFlag(ini, Key::AutoStart, AutoStart);
    Config::setText(ini, Key::Language, Language);
    Config::setFlag(ini, Key::UseBeginDate, UseBeginDate);
    Config::setInteger(ini, Key::PreAlarmTime, PreAlarmTime);
    Config::setText(ini, Key::SoundFile, SoundFile);
    Config::setText(ini, Key::FontName, FontName);
    Config::setInteger(ini, Key::FontSize, FontSize);
}

IoResult SettingsValues::write(const QString& file) const
{
    return ChangeIniFile(file, [this](IniFile& ini) { writeTo(ini); });
}
