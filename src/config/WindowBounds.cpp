#include "config/WindowBounds.h"

#include "config/Config.h"
#include "config/IniFile.h"

namespace {
const QString kNormal = QStringLiteral("wsnormal");
} // namespace

WindowBounds WindowBounds::read(const IniFile& ini, int columns)
{
    using K = Config::Key;
    WindowBounds b;
    const QString state = Config::text(ini, K::WindowState);
    b.state = state == kNormal                        ? State::Normal
              : state == QLatin1String("wsminimized") ? State::Minimized
                                                      : State::Maximized;
    if (b.state == State::Normal) {
        b.left = Config::integer(ini, K::WindowLeft);
        b.top = Config::integer(ini, K::WindowTop);
        b.width = Config::integer(ini, K::WindowWidth);
        b.height = Config::integer(ini, K::WindowHeight);
        b.listHeight = Config::integer(ini, K::ListHeight);
        b.actionWidth = Config::integer(ini, K::ActionWidth);
    }
    for (int i = 0; i < columns; ++i) {
        const std::optional<int> width = Config::integer(ini, K::ColumnWidth, QString::number(i));
        b.columnWidths.append(!width || *width == 99 || *width < 0 ? -1 : *width);
    }
    return b;
}

void WindowBounds::writeTo(IniFile& ini) const
{
    using K = Config::Key;
    Config::setText(ini, K::WindowState,
                    state == State::Normal      ? kNormal
                    : state == State::Minimized ? QStringLiteral("wsminimized")
                                                : QStringLiteral("wsmaximized"));
    if (state != State::Normal)
        return;
    auto writeNumber = [&ini](K key, const std::optional<int>& v) {
        if (v)
            Config::setInteger(ini, key, *v);
    };
    writeNumber(K::WindowLeft, left);
    writeNumber(K::WindowTop, top);
    writeNumber(K::WindowWidth, width);
    writeNumber(K::WindowHeight, height);
    writeNumber(K::ListHeight, listHeight);
    writeNumber(K::ActionWidth, actionWidth);
    for (int i = 0; i < columnWidths.size(); ++i)
        Config::setInteger(ini, K::ColumnWidth, std::max(0, columnWidths[i]), QString::number(i));
}
