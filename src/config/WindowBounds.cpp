#include "config/WindowBounds.h"

#include "config/IniFile.h"

namespace {
const QString kBounds = QStringLiteral("Bounds");
const QString kColumns = QStringLiteral("Columnwidth");
const QString kNormal = QStringLiteral("wsnormal");

std::optional<int> number(const IniFile& ini, const QString& section, const QString& key)
{
    bool ok = false;
    const int v = ini.value(section, key, QString()).trimmed().toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

QString columnKey(int column)
{
    return QStringLiteral("Column%1").arg(column);
}
} // namespace

WindowBounds WindowBounds::read(const IniFile& ini, int columns)
{
    WindowBounds b;
    const QString state = ini.value(kBounds, QStringLiteral("WindowState"), kNormal);
    b.state = state == kNormal                        ? State::Normal
              : state == QLatin1String("wsminimized") ? State::Minimized
                                                      : State::Maximized;
    if (b.state == State::Normal) {
        b.left = number(ini, kBounds, QStringLiteral("Left"));
        b.top = number(ini, kBounds, QStringLiteral("Top"));
        b.width = number(ini, kBounds, QStringLiteral("Width"));
        b.height = number(ini, kBounds, QStringLiteral("Height"));
        b.listHeight = number(ini, kBounds, QStringLiteral("ListHeight"));
        b.actionWidth = number(ini, kBounds, QStringLiteral("ActionWidth"));
    }
    for (int i = 0; i < columns; ++i) {
        const std::optional<int> width = number(ini, kColumns, columnKey(i));
        b.columnWidths.append(!width || *width == 99 || *width < 0 ? -1 : *width);
    }
    return b;
}

void WindowBounds::writeTo(IniFile& ini) const
{
    auto writeLast = [&ini](const QString& key, const QString& value) {
        ini.removeKey(kBounds, key);
        ini.setValue(kBounds, key, value);
    };
    writeLast(QStringLiteral("WindowState"), state == State::Normal      ? kNormal
                                             : state == State::Minimized ? QStringLiteral("wsminimized")
                                                                         : QStringLiteral("wsmaximized"));
    if (state != State::Normal)
        return;
    auto writeNumber = [&writeLast](const QString& key, const std::optional<int>& v) {
        if (v)
            writeLast(key, QString::number(*v));
    };
    writeNumber(QStringLiteral("Left"), left);
    writeNumber(QStringLiteral("Top"), top);
    writeNumber(QStringLiteral("Width"), width);
    writeNumber(QStringLiteral("Height"), height);
    writeNumber(QStringLiteral("ListHeight"), listHeight);
    writeNumber(QStringLiteral("ActionWidth"), actionWidth);
    for (int i = 0; i < columnWidths.size(); ++i)
        ini.setValue(kColumns, columnKey(i), QString::number(std::max(0, columnWidths[i])));
}
