// The window layout kept in the settings file: position and size, the list height, the action memo's
// width and the column widths.
#include "app/TQuillmar.h"

#include "config/IniFile.h"
#include "config/Paths.h"
#include "config/Settings.h"
#include "model/ListFile.h"
#include "platform/FileSystem.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QSplitter>
#include <QStyle>
#include <QTextEdit>
#include <QTimer>
#include <QTreeView>

namespace {
const QString kBounds = QStringLiteral("Bounds");
const QString kColumns = QStringLiteral("Columnwidth");

// A layout value that is missing or not a whole number keeps the designed value.
std::optional<int> layoutValue(const IniFile& ini, const QString& key)
{
    bool ok = false;
    const int v = ini.value(kBounds, key, QString()).trimmed().toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}
} // namespace

void TQuillmar::LoadWindowLayout()
{
    const QString file = SettingsFilePath();
    // One read for all values instead of one per value: nothing writes the file in between.
    EnsureIniFile(file);
    const IniFile ini = IniFile::load(file);
    const QString state = ini.value(kBounds, QStringLiteral("WindowState"), QStringLiteral("wsnormal"));
    // Only a window that was left in its normal state gets its bounds back; a maximised or minimised one
    // starts as designed.
    if (state == QLatin1String("wsnormal")) {
        QRect bounds(pos(), size());
        if (const auto v = layoutValue(ini, QStringLiteral("Left")))
            bounds.moveLeft(*v);
        if (const auto v = layoutValue(ini, QStringLiteral("Top")))
            bounds.moveTop(*v);
        if (const auto v = layoutValue(ini, QStringLiteral("Width")); v && *v > 0)
            bounds.setWidth(*v);
        if (const auto v = layoutValue(ini, QStringLiteral("Height")); v && *v > 0)
            bounds.setHeight(*v);
        move(bounds.topLeft());
        resize(bounds.size());
        if (const auto v = layoutValue(ini, QStringLiteral("ListHeight")); v && *v >= 0)
            m_listHeight = *v;
        if (const auto v = layoutValue(ini, QStringLiteral("ActionWidth")); v && *v >= 0)
            m_actionWidth = *v;
        applySplitterSizes();
    }
    UseBeginDate = ReadIniBool(file, QStringLiteral("ToDo Grid"), QStringLiteral("UseBeginDate"), true);
}

void TQuillmar::applySplitterSizes()
{
    if (m_listHeight >= 0) {
        const int total = std::max(ListSplitter->height(), m_listHeight + 60);
        ListSplitter->setSizes(
            {m_listHeight, std::max(10, total - m_listHeight - ListSplitter->handleWidth())});
    }
    if (m_actionWidth >= 0) {
        const int total = std::max(MemoSplitter->width(), m_actionWidth + 60);
        MemoSplitter->setSizes(
            {m_actionWidth, std::max(10, total - m_actionWidth - MemoSplitter->handleWidth())});
    }
}

void TQuillmar::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        // Now that the splitters have their real size, give the list and the action memo theirs.
        applySplitterSizes();
    }
}

void TQuillmar::SaveWindowLayout()
{
    const QString file = SettingsFilePath();
    QString state = QStringLiteral("wsnormal");
    if (isMinimized())
        state = QStringLiteral("wsminimized");
    else if (isMaximized() || isFullScreen())
        state = QStringLiteral("wsmaximized");

    // One load and at most one write: the same keys, in the same order, as one value at a time would leave
    // them. A layout that did not change since the last save leaves the file alone, which spares every
    // ordinary exit a synced file replacement.
    if (!EnsureIniFile(file))
        return;
    IoResult loaded;
    IniFile ini = IniFile::load(file, &loaded);
    if (!loaded)
        return;
    const QString before = ini.toText();
    auto writeLast = [&ini](const QString& key, const QString& value) {
        ini.removeKey(kBounds, key);
        ini.setValue(kBounds, key, value);
    };
    writeLast(QStringLiteral("WindowState"), state);
    if (state == QLatin1String("wsnormal")) {
        writeLast(QStringLiteral("Left"), QString::number(pos().x()));
        writeLast(QStringLiteral("Top"), QString::number(pos().y()));
        writeLast(QStringLiteral("Width"), QString::number(width()));
        writeLast(QStringLiteral("Height"), QString::number(height()));
        writeLast(QStringLiteral("ListHeight"), QString::number(lstToDo->height()));
        writeLast(QStringLiteral("ActionWidth"), QString::number(ActionMemo->width()));
        for (int i = 0; i < ToDoListModel::ColumnCount; ++i)
            ini.setValue(kColumns, QStringLiteral("Column%1").arg(i),
                         QString::number(std::max(0, lstToDo->columnWidth(i))));
    }
    if (ini.toText() != before)
        ini.save(file);
}

void TQuillmar::LoadColumnWidths()
{
    const IniFile ini = IniFile::load(SettingsFilePath());
    m_loadingColumnWidths = true;
    for (int i = 0; i < ToDoListModel::ColumnCount; ++i) {
        bool ok = false;
        const int width =
            ini.value(kColumns, QStringLiteral("Column%1").arg(i), QStringLiteral("99")).trimmed().toInt(&ok);
        // 99 means "as designed"; 0 hides the column.
        if (!ok || width == 99 || width < 0)
            continue;
        lstToDo->header()->resizeSection(i, width);
    }
    m_loadingColumnWidths = false;
}

void TQuillmar::fitColumnsToHeaders()
{
    // Every caption readable with room for the sort arrow ("Pri" and "Project Na" are no captions).
    QHeaderView* header = lstToDo->header();
    const QFontMetrics metrics(header->font());
    const int room = 3 * header->style()->pixelMetric(QStyle::PM_HeaderMargin) + 16;
    for (int i = 1; i < ToDoListModel::ColumnCount; ++i) {
        const int wanted = metrics.horizontalAdvance(ToDoListModel::columnCaption(i)) + room;
        int& designed = m_designedWidths[static_cast<size_t>(i)];
        if (designed < wanted) {
            designed = wanted;
            header->resizeSection(i, wanted);
        }
    }
}

void TQuillmar::fillActionsColumn()
{
    // "Actions" takes the width the other columns leave, never less than its minimum: no horizontal scroll
    // bar while everything fits, and no empty band right of the last column.
    QHeaderView* header = lstToDo->header();
    int others = 0;
    for (int i = 1; i < ToDoListModel::ColumnCount; ++i)
        others += header->isSectionHidden(i) ? 0 : header->sectionSize(i);
    const int width = std::max(100, lstToDo->viewport()->width() - others);
    if (header->sectionSize(0) != width)
        header->resizeSection(0, width);
}

bool TQuillmar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lstToDo->viewport() && event->type() == QEvent::Resize)
        fillActionsColumn();
    // The rows are being drawn for the first time: what waited for the first frame follows once it is out.
    if (watched == lstToDo->viewport() && event->type() == QEvent::Paint && !m_firstFrameShown)
        QTimer::singleShot(0, this, &TQuillmar::afterFirstFrame);
    return QMainWindow::eventFilter(watched, event);
}
