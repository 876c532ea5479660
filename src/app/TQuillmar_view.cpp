// The list view: display settings, colours, clicks, sorting, the status bar counts, the check-box tool
// buttons, opening an item's document, the tool bar picture and the calendar page's colours.
#include "app/TQuillmar.h"

#include "app/GridDelegate.h"
#include "app/ItemFilterModel.h"
#include "app/ItemStyleModel.h"
#include "calendar/CalendarPage.h"
#include "config/Colors.h"
#include "config/IniFile.h"
#include "config/Paths.h"
#include "config/Settings.h"
#include "dialogs/FileDialog.h"
#include "dialogs/MessageBox.h"
#include "menus/TFlatMenuPainter.h"
#include "model/ListFile.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/Regional.h"

#include "app/PictureToolBar.h"
#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QImageReader>
#include <QItemSelection>
#include <QLabel>
#include <QMenu>
#include <QStyle>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QTreeView>
#include <QUrl>

namespace {
// A settings value that must be a colour or a whole number and is not.
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

void TQuillmar::connectListView()
{
    connect(lstToDo, &QTreeView::clicked, this, [this] { lstToDoClick(); });
    connect(lstToDo, &QTreeView::doubleClicked, this, [this] {
        if (actEdit->isVisible() && actEdit->isEnabled())
            actEdit->trigger();
    });
    connect(lstToDo, &QTreeView::customContextMenuRequested, this, [this](const QPoint& pos) {
        actOpenUpdate();
        m_listPopup->popup(lstToDo->viewport()->mapToGlobal(pos));
    });
    connect(lstToDo->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        lstToDoSelectItem();
        actOpenUpdate();
    });
    connect(lstToDo->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { lstToDoColumnClick(column); });
    connect(lstToDo->header(), &QHeaderView::sectionResized, this, [this](int column, int, int size) {
        // The designed minimum widths of "Actions" and "Priority" hold while the user drags; stored widths
        // (0 hides a column) are applied as they are.
        if (m_loadingColumnWidths || size == 0)
            return;
        const int minimum = column == 0 ? 100 : (column == 1 ? 10 : 0);
        if (size < minimum)
            QTimer::singleShot(
                0, this, [this, column, minimum] { lstToDo->header()->resizeSection(column, minimum); });
    });

    // Any change of the rows: the counts. The calendar page follows the rows itself.
    auto changed = [this] { UpdateStatusBar(); };
    ToDoListModel* model = listModel();
    connect(model, &QAbstractItemModel::modelReset, this, changed);
    connect(model, &QAbstractItemModel::rowsInserted, this, changed);
    connect(model, &QAbstractItemModel::rowsRemoved, this, changed);
    connect(model, &QAbstractItemModel::layoutChanged, this, changed);
    connect(model, &QAbstractItemModel::dataChanged, this, [this, changed] {
        changed();
        actOpenUpdate();
    });
    connect(m_pages, &QTabWidget::currentChanged, this, [this](int page) {
        if (page != 1)
            return;
        ensureCalendarPage();
    });
}

void TQuillmar::applyCalendarColors()
{
    if (!m_calendarPage)
        return;
    m_calendarPage->setCalendarColor(m_calendarBackground);
    m_calendarPage->setMemoColors(m_calendarMemoBackground, m_calendarMemoText);
    m_calendarPage->setItemFontName(ItemFontName);
    m_calendarPage->setListFont(lstToDo->font());
}

QList<int> TQuillmar::selectedRows() const
{
    // The view shows the rows the find bar lets through: commands act on the list rows behind them.
    QList<int> rows;
    const QItemSelection selection = lstToDo->selectionModel()->selection();
    for (const QItemSelectionRange& range : selection) {
        for (int r = range.top(); r <= range.bottom(); ++r)
            rows.append(m_filterModel->sourceRow(r));
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void TQuillmar::selectRows(const QList<int>& rows)
{
    // Rows the find bar leaves out cannot be selected.
    QList<int> sorted;
    sorted.reserve(rows.size());
    for (int r : rows) {
        if (const int shown = m_filterModel->proxyRow(r); shown >= 0)
            sorted.append(shown);
    }
    std::sort(sorted.begin(), sorted.end());
    QItemSelection selection;
    const int lastColumn = ToDoListModel::ColumnCount - 1;
    // One range per run of neighbouring rows, so selecting thousands stays quick.
    for (qsizetype i = 0; i < sorted.size();) {
        qsizetype j = i;
        while (j + 1 < sorted.size() && sorted[j + 1] <= sorted[j] + 1)
            ++j;
        selection.select(m_filterModel->index(sorted[i], 0), m_filterModel->index(sorted[j], lastColumn));
        i = j + 1;
    }
    lstToDo->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void TQuillmar::LoadMainSettings()
{
    const QString file = SettingsFilePath();
    // One read for all values instead of one per value: nothing writes the file in between.
    EnsureIniFile(file);
    const IniFile ini = IniFile::load(file);
    try {
        OpenColor = readColor(ini, QStringLiteral("Open Item Color"), QStringLiteral("clPurple"));
        PendingColor = readColor(ini, QStringLiteral("Pending Item Color"), QStringLiteral("clblue"));
        CompletedColor = readColor(ini, QStringLiteral("Completed Item Color"), QStringLiteral("clgray"));
        OverdueColor = readColor(ini, QStringLiteral("Overdue Item Color"), QStringLiteral("clred"));
        TodayColor = readColor(ini, QStringLiteral("Today Item Color"), QStringLiteral("clred"));
        m_styleModel->setStatusColors(
            {ItemStyleModel::toQColor(PendingColor), ItemStyleModel::toQColor(OverdueColor),
             ItemStyleModel::toQColor(OpenColor), ItemStyleModel::toQColor(CompletedColor),
             ItemStyleModel::toQColor(TodayColor)});

        ListColor =
            LightenColor(readColor(ini, QStringLiteral("Background Color"), QStringLiteral("clwhite")), 200);
        {
            QPalette p = lstToDo->palette();
            p.setColor(QPalette::Base, ItemStyleModel::toQColor(ListColor));
            p.setColor(QPalette::AlternateBase, ItemStyleModel::toQColor(ListColor));
            lstToDo->setPalette(p);
            m_calendarBackground = ItemStyleModel::toQColor(ListColor);
        }

        const quint32 titleBar = readColor(ini, QStringLiteral("TitleBar Color"), QStringLiteral("clnavy"));
        const QColor memoColor = ItemStyleModel::toQColor(LightenColor(titleBar, 200));
        m_calendarMemoBackground = memoColor;
        MenuPainter1->setIconBackColor(memoColor);
        for (QTextEdit* memo : {ActionMemo, RemarksMemo}) {
            QPalette p = memo->palette();
            p.setColor(QPalette::Base, memoColor);
            memo->setPalette(p);
        }
        {
            QPalette p = m_toolbarCaption->palette();
            p.setColor(QPalette::Window, ItemStyleModel::toQColor(titleBar));
            m_toolbarCaption->setPalette(p);
        }

        const QColor titleFont = ItemStyleModel::toQColor(
            readColor(ini, QStringLiteral("TitleFont Color"), QStringLiteral("clwhite")));
        {
            QPalette p = m_toolbarCaption->palette();
            p.setColor(QPalette::WindowText, titleFont);
            m_toolbarCaption->setPalette(p);
            m_calendarMemoText = titleFont;
            // Styles ignore a tool bar label's palette; a style sheet is honoured everywhere.
            m_toolbarCaption->setStyleSheet(
                QStringLiteral(
                    "QLabel { background-color: %1; color: %2; padding: 3px 12px; border-radius: 3px; }")
                    .arg(ItemStyleModel::toQColor(titleBar).name(), titleFont.name()));
        }

        // Only the exact text "False" turns the grid off.
        const bool grid = ini.value(QStringLiteral("ToDo Grid"), QStringLiteral("ShowGrid"),
                                    QStringLiteral("True")) != QLatin1String("False");
        if (auto* delegate = qobject_cast<GridDelegate*>(lstToDo->itemDelegate()))
            delegate->setShowGrid(grid);
        lstToDo->viewport()->update();

        const int listFontSize =
            readInteger(ini, QStringLiteral("Table"), QStringLiteral("TextSize"), QStringLiteral("0")) + 9;
        AlarmLeadTime =
            ini.value(QStringLiteral("Alarm"), QStringLiteral("PreAlarm Time"), QStringLiteral("0"));
        ItemFontSize = readInteger(ini, QStringLiteral("Font"), QStringLiteral("Size"), QStringLiteral("11"));
        SoundFile = ini.value(QStringLiteral("Alarm"), QStringLiteral("Sound File"), QString());
        ItemFontName = ini.value(QStringLiteral("Font"), QStringLiteral("Name"), QStringLiteral("Tahoma"));

        const QString bitmap = ini.value(QStringLiteral("Bitmap"), QStringLiteral("Name"), QString());
        if (bitmap.isEmpty()) {
            m_toolBar->clearPicture();
            actRemoveToolbarImage->setEnabled(false);
        } else
            applyToolbarPicture(bitmap, false);

        QFont listFont = lstToDo->font();
        if (listFontSize > 0)
            listFont.setPointSize(listFontSize);
        listFont.setFamily(ItemFontName);
        lstToDo->setFont(listFont);
        QFont pageFont = m_pages->tabBar()->font();
        pageFont.setFamily(ItemFontName);
        m_pages->tabBar()->setFont(pageFont);
        applyCalendarColors();

        QFont itemFont(ItemFontName);
        if (ItemFontSize > 0)
            itemFont.setPointSize(ItemFontSize);
        m_styleModel->setItemFont(itemFont);
        fitDesignedWidths(itemFont);
    } catch (const BadSetting&) {
        MessageBox::information(this, QStringLiteral("couldnt load colors"));
    }
}

void TQuillmar::fitDesignedWidths(const QFont& itemFont)
{
    // Dates and times written in the user's formats must not be cut off in their designed columns.
    const QFontMetrics metrics(itemFont);
    const int margin = 3 * lstToDo->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, lstToDo) + 10;
    const int dateWidth = metrics.horizontalAdvance(Regional::dateToText(QDate(2028, 12, 28))) + margin;
    const int timeWidth = metrics.horizontalAdvance(Regional::timeToText(QTime(23, 58, 58))) + margin;
    for (int column : {2, 3, 7}) {
        const int wanted =
            std::max(kDesignedColumnWidths[static_cast<size_t>(column)], column == 7 ? timeWidth : dateWidth);
        const int old = m_designedWidths[static_cast<size_t>(column)];
        m_designedWidths[static_cast<size_t>(column)] = wanted;
        if (lstToDo->columnWidth(column) == old)
            lstToDo->header()->resizeSection(column, wanted);
    }
}

void TQuillmar::UpdateStatusBar()
{
    const int rows = listModel()->size();
    if (rows == 0)
        return;
    const int completed = listModel()->checkedCount();
    m_statusPanels[1]->setText(
        QStringLiteral("Items pending: %1, completed : %2").arg(rows - completed).arg(completed));
}

void TQuillmar::lstToDoClick()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    const ToDoItem& item = listModel()->item(rows.first());
    ActionMemo->setPlainText(item.actionText());
    RemarksMemo->setPlainText(item.valueText(ToDoItem::Remarks));
    lstToDo->viewport()->update();
}

void TQuillmar::lstToDoSelectItem()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    const ToDoItem& item = listModel()->item(rows.first());
    QString action = item.actionText();
    // The memos follow the keyboard too, not only the mouse.
    ActionMemo->setPlainText(action);
    RemarksMemo->setPlainText(item.valueText(ToDoItem::Remarks));
    action.replace(QLatin1String("\r\n"), QLatin1String(" "));
    action.replace(QLatin1Char('\n'), QLatin1Char(' '));
    setToolTip(action);
    setStatusHint(action);
}

void TQuillmar::lstToDoColumnClick(int column)
{
    if (column < 0 || column >= ToDoListModel::ColumnCount)
        return;
    m_sortKind = ItemSorter::kindForColumn(column, m_sortKind);
    const bool descending = m_sortDescending[static_cast<size_t>(column)];
    const std::vector<int> order =
        ItemSorter::sortOrder(listModel()->list().items, column, m_sortKind, descending, SortChecked);
    m_document->sortRows(order);
    m_sortDescending[static_cast<size_t>(column)] = !descending;

    // Show which way the column went: text A to Z and dates earliest first are "ascending", numbers go
    // largest first on the first click.
    const bool upward = (m_sortKind == SortKind::Number) ? descending : !descending;
    lstToDo->header()->setSortIndicatorShown(true);
    lstToDo->header()->setSortIndicator(column, upward ? Qt::AscendingOrder : Qt::DescendingOrder);
    if (const QModelIndexList shown = lstToDo->selectionModel()->selectedRows(); !shown.isEmpty())
        lstToDo->scrollTo(*std::min_element(shown.begin(), shown.end()));
}

void TQuillmar::BtnCheckSelectedClick()
{
    QList<int> rows;
    const auto& items = listModel()->list().items;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].checked())
            rows.append(static_cast<int>(i));
    }
    selectRows(rows);
}

void TQuillmar::BtnUncheckSelectedClick()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    m_document->invertChecked(rows);
}

void TQuillmar::actSortCheckedExecute()
{
    SortChecked = !SortChecked;
    actSortChecked->setChecked(SortChecked);
}

void TQuillmar::actOpenUpdate()
{
    const QList<int> rows = selectedRows();
    bool enabled = false;
    if (rows.size() == 1) {
        const QString path = listModel()->item(rows.first()).valueText(ToDoItem::FileLocation);
        enabled = !path.isEmpty() && QFileInfo(path).isFile();
    }
    actOpen->setEnabled(enabled);
}

void TQuillmar::actOpenExecute()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    const QString path = listModel()->item(rows.first()).valueText(ToDoItem::FileLocation);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    // The desktop's own association opens it; no shell ever sees the path.
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        MessageBox::information(
            this,
            QStringLiteral("No program could be started to open %1.").arg(QDir::toNativeSeparators(path)));
}
