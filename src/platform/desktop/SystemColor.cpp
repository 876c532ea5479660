#include "platform/desktop/SystemColor.h"

#include <QGuiApplication>
#include <QPalette>

QColor SystemColor::toQColor(quint32 color)
{
    if ((color & 0xFF000000u) == 0x80000000u) {
        // The system colours of the settings file, in their index order, mapped onto the palette.
        static const QPalette::ColorRole roles[] = {QPalette::Mid,
                                                    QPalette::Window,
                                                    QPalette::Highlight,
                                                    QPalette::Mid,
                                                    QPalette::Window,
                                                    QPalette::Base,
                                                    QPalette::Shadow,
                                                    QPalette::WindowText,
                                                    QPalette::Text,
                                                    QPalette::HighlightedText,
                                                    QPalette::Mid,
                                                    QPalette::Midlight,
                                                    QPalette::Dark,
                                                    QPalette::Highlight,
                                                    QPalette::HighlightedText,
                                                    QPalette::Button,
                                                    QPalette::Dark,
                                                    QPalette::PlaceholderText,
                                                    QPalette::ButtonText,
                                                    QPalette::WindowText,
                                                    QPalette::Light,
                                                    QPalette::Shadow,
                                                    QPalette::Midlight,
                                                    QPalette::ToolTipText,
                                                    QPalette::ToolTipBase};
        const quint32 index = color & 0xFFu;
        const QPalette palette = QGuiApplication::palette();
        if (index < sizeof(roles) / sizeof(roles[0]))
            return palette.color(roles[index]);
        return palette.color(QPalette::WindowText);
    }
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}
