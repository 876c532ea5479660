#pragma once

class ListViewController;
class QMainWindow;

// The window's layout kept in the settings file: position and size, the list's height, the action memo's
// width and the column widths (rules in config/WindowBounds.h).
class WindowLayout
{
public:
    WindowLayout(QMainWindow* window, ListViewController* list) : m_window(window), m_list(list) {}

    void load();
    // The column widths wait for the list: a list file may be opened with its own widths first.
    void loadColumnWidths();
    // A layout that did not change since the last save leaves the file alone, which spares every ordinary
    // exit a synced file replacement.
    void save();
    // Splitter sizes need the window's real size: again once it is first shown.
    void applySplitterSizes();

private:
    QMainWindow* m_window;
    ListViewController* m_list;
    int m_listHeight = -1;
    int m_actionWidth = -1;
};
