#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// One of the twelve colour and text sections of the settings file. "Header" to "Overdue Item Color" are
// read by the HTML export; the colour sections from "Background Color" on by the main window.
struct StyleItem
{
    // What the settings dialog lets the user change for an item: its controls are enabled accordingly.
    struct Controls
    {
        bool text = false;
        bool size = false;
        bool color = false;
        bool position = false;

        bool operator==(const Controls&) const = default;
    };

    static constexpr int Count = 12;

    QString section;
    QString Text;
    int TextSize = 0;
    quint32 Color = 0;
    // Whether the item has a colour of its own: one stored in the file, or one the user picked. Without
    // it no colour is written, so the list and the HTML page keep their own defaults.
    bool ColorSet = false;
    // 0 left, 1 centre, 2 right.
    int Position = 0;

    // The section names in the order of the dialog's list.
    static const QStringList& sections();
    // Header and Footer use everything; Table Header its size and colour; Table its size only; the eight
    // colour items only their colour. Positions outside the list enable nothing.
    static Controls controlsAt(int position);
};
