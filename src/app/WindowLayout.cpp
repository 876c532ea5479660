#include "app/WindowLayout.h"

#include "app/ListViewController.h"
#include "app/ReportView.h"
#include "config/IniFile.h"
#include "config/Paths.h"
#include "config/Settings.h"
#include "config/WindowBounds.h"
#include "platform/FileSystem.h"

#include <QMainWindow>
#include <QSplitter>
#include <QTextEdit>

void WindowLayout::load()
{
    const QString file = SettingsFilePath();
    EnsureIniFile(file);
    const WindowBounds b = WindowBounds::read(IniFile::load(file), ToDoListModel::ColumnCount);
    if (b.state != WindowBounds::State::Normal)
        return;
    QRect bounds(m_window->pos(), m_window->size());
    if (b.left)
        bounds.moveLeft(*b.left);
    if (b.top)
        bounds.moveTop(*b.top);
    if (b.width && *b.width > 0)
        bounds.setWidth(*b.width);
    if (b.height && *b.height > 0)
        bounds.setHeight(*b.height);
    m_window->move(bounds.topLeft());
    m_window->resize(bounds.size());
    if (b.listHeight && *b.listHeight >= 0)
        m_listHeight = *b.listHeight;
    if (b.actionWidth && *b.actionWidth >= 0)
        m_actionWidth = *b.actionWidth;
    applySplitterSizes();
}

void WindowLayout::applySplitterSizes()
{
    QSplitter* list = m_list->listSplitter();
    QSplitter* memos = m_list->memoSplitter();
    if (m_listHeight >= 0) {
        const int total = std::max(list->height(), m_listHeight + 60);
        list->setSizes({m_listHeight, std::max(10, total - m_listHeight - list->handleWidth())});
    }
    if (m_actionWidth >= 0) {
        const int total = std::max(memos->width(), m_actionWidth + 60);
        memos->setSizes({m_actionWidth, std::max(10, total - m_actionWidth - memos->handleWidth())});
    }
}

void WindowLayout::loadColumnWidths()
{
    m_list->setColumnWidths(
        WindowBounds::read(IniFile::load(SettingsFilePath()), ToDoListModel::ColumnCount).columnWidths);
}

void WindowLayout::save()
{
    const QString file = SettingsFilePath();
    WindowBounds b;
    if (m_window->isMinimized())
        b.state = WindowBounds::State::Minimized;
    else if (m_window->isMaximized() || m_window->isFullScreen())
        b.state = WindowBounds::State::Maximized;
    else {
        b.left = m_window->pos().x();
        b.top = m_window->pos().y();
        b.width = m_window->width();
        b.height = m_window->height();
        b.listHeight = m_list->view()->height();
        b.actionWidth = m_list->actionMemo()->width();
        b.columnWidths = m_list->columnWidths();
    }
    if (!EnsureIniFile(file))
        return;
    IoResult loaded;
    IniFile ini = IniFile::load(file, &loaded);
    if (!loaded)
        return;
    const QString before = ini.toText();
    b.writeTo(ini);
    if (ini.toText() != before)
        ini.save(file);
}
