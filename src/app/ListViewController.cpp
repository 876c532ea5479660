#include "app/ListViewController.h"

#include "app/GridDelegate.h"
#include "app/Hints.h"
#include "app/ItemFilterModel.h"
#include "app/ItemStyleModel.h"
#include "app/ReportView.h"
#include "app/ToolIcons.h"
#include "config/DisplaySettings.h"
#include "config/LanguageTexts.h"
#include "dialogs/MessageBox.h"
#include "model/ListDocument.h"
#include "platform/Regional.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelection>
#include <QKeyEvent>
#include <QMenu>
#include <QSplitter>
#include <QStyle>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

ListViewController::ListViewController(ListDocument* document, ItemFilterModel* rows, QWidget* window)
    : QObject(window), m_document(document), m_rows(rows), m_window(window)
{
    m_designedWidths = kDesignedColumnWidths;
    createActions();
    createWidgets();
    applyHints();
    connectView();
}

ToDoListModel* ListViewController::model() const
{
    return m_document->model();
}

void ListViewController::createActions()
{
    auto make = [this](const char* name, const QString& text, ToolIcons::Kind icon) {
        auto* action = new QAction(text, this);
        action->setObjectName(QString::fromLatin1(name));
        action->setIcon(ToolIcons::icon(icon));
        return action;
    };
    m_sortCheckedAction = make("actSortChecked", QStringLiteral("Sort &checked"), ToolIcons::SortChecked);
    m_sortCheckedAction->setCheckable(true);
    m_selectCompletedAction = make("BtnCheckSelected", QString(), ToolIcons::CheckSelected);
    m_uncheckAction = make("BtnUncheckSelected", QString(), ToolIcons::UncheckSelected);
    m_openAction = new QAction(QStringLiteral("&Open Document"), this);
    m_openAction->setObjectName(QStringLiteral("actOpen"));

    connect(m_sortCheckedAction, &QAction::triggered, this, [this] {
        m_sortChecked = !m_sortChecked;
        m_sortCheckedAction->setChecked(m_sortChecked);
    });
    connect(m_selectCompletedAction, &QAction::triggered, this, &ListViewController::selectCompleted);
    connect(m_uncheckAction, &QAction::triggered, this, &ListViewController::uncheckSelected);
    connect(m_openAction, &QAction::triggered, this, &ListViewController::openDocument);
}

void ListViewController::createWidgets()
{
    m_view = new ReportView;
    m_view->setObjectName(QStringLiteral("lstToDo"));
    m_view->setModel(m_rows);
    // The selected rows are worked out once per change of the selection or of the shown rows (the
    // selection model follows those first: it was connected to them before).
    auto forget = [this] { m_selected.reset(); };
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this, forget);
    connect(m_rows, &QAbstractItemModel::rowsInserted, this, forget);
    connect(m_rows, &QAbstractItemModel::rowsRemoved, this, forget);
    connect(m_rows, &QAbstractItemModel::layoutChanged, this, forget);
    connect(m_rows, &QAbstractItemModel::modelReset, this, forget);
    // The header does not mark columns whose every row is selected: finding out walks the rows of the
    // list for each column it paints. It gets a selection of its own, which stays empty.
    m_view->header()->setSelectionModel(new QItemSelectionModel(m_rows, m_view->header()));
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    m_view->setItemDelegate(new GridDelegate(m_view));
    m_view->setTextElideMode(Qt::ElideRight);
    QHeaderView* header = m_view->header();
    header->setSectionsMovable(false);
    header->setSectionsClickable(true);
    // "Actions" takes what width is left (fillActionsColumn), not "File Location".
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(0);
    header->setSortIndicatorShown(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int i = 0; i < ToDoListModel::ColumnCount; ++i)
        header->resizeSection(i, m_designedWidths[static_cast<size_t>(i)]);
    fitColumnsToHeaders();
    m_view->viewport()->installEventFilter(this);
    m_view->installEventFilter(this);
    connect(header, &QHeaderView::sectionResized, this, [this](int column) {
        if (column > 0)
            fillActionsColumn();
    });

    m_actionMemo = new QTextEdit;
    m_actionMemo->setObjectName(QStringLiteral("ActionMemo"));
    m_remarksMemo = new QTextEdit;
    m_remarksMemo->setObjectName(QStringLiteral("RemarksMemo"));
    for (QTextEdit* memo : {m_actionMemo, m_remarksMemo}) {
        memo->setReadOnly(true);
        memo->setAcceptRichText(false);
        memo->setMinimumHeight(10);
        // Narrow windows keep both memos readable rather than one of them a sliver.
        memo->setMinimumWidth(120);
        memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }

    m_memoSplitter = new QSplitter(Qt::Horizontal);
    m_memoSplitter->setObjectName(QStringLiteral("MemoSplitter"));
    m_memoSplitter->setHandleWidth(3);
    m_memoSplitter->setChildrenCollapsible(false);
    m_memoSplitter->addWidget(m_actionMemo);
    m_memoSplitter->addWidget(m_remarksMemo);
    m_memoSplitter->setStretchFactor(0, 0);
    m_memoSplitter->setStretchFactor(1, 1);
    m_memoSplitter->setSizes({337, 420});

    m_listSplitter = new QSplitter(Qt::Vertical);
    m_listSplitter->setObjectName(QStringLiteral("ListSplitter"));
    m_listSplitter->setHandleWidth(4);
    m_listSplitter->setChildrenCollapsible(false);
    m_listSplitter->addWidget(m_view);
    m_listSplitter->addWidget(m_memoSplitter);
    m_listSplitter->setStretchFactor(0, 1);
    m_listSplitter->setStretchFactor(1, 0);
    m_listSplitter->setSizes({208, 90});

    m_page = new QWidget;
    auto* listLayout = new QVBoxLayout(m_page);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->addWidget(m_listSplitter);

    m_popup = new QMenu(m_window);
    m_popup->setObjectName(QStringLiteral("ListPopup"));
    m_popupSeparator = m_popup->addSeparator();
    m_popup->addAction(m_openAction);
}

QList<QAction*> ListViewController::toolBarActions() const
{
    return {m_selectCompletedAction, m_uncheckAction, nullptr, m_sortCheckedAction};
}

void ListViewController::addToPopup(const QList<QAction*>& itemActions)
{
    m_popup->insertActions(m_popupSeparator, itemActions);
}

void ListViewController::connectView()
{
    connect(m_view, &QAbstractItemView::clicked, this, [this] {
        showSelected(false);
        m_view->viewport()->update();
    });
    connect(m_view, &QAbstractItemView::doubleClicked, this, &ListViewController::rowActivated);
    connect(m_view, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        updateOpenCommand();
        m_popup->popup(m_view->viewport()->mapToGlobal(pos));
    });
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        // The memos follow the keyboard too, not only the mouse.
        showSelected(true);
        updateOpenCommand();
    });
    connect(m_view->header(), &QHeaderView::sectionClicked, this, &ListViewController::sortByColumn);
    connect(m_view->header(), &QHeaderView::sectionResized, this, [this](int column, int, int size) {
        // The designed minimum widths of "Actions" and "Priority" hold while the user drags; stored widths
        // (0 hides a column) are applied as they are.
        if (m_loadingColumnWidths || size == 0)
            return;
        const int minimum = column == 0 ? 100 : (column == 1 ? 10 : 0);
        if (size < minimum)
            QTimer::singleShot(0, this,
                               [this, column, minimum] { m_view->header()->resizeSection(column, minimum); });
    });
    connect(model(), &QAbstractItemModel::dataChanged, this, [this] {
        // An edited row shows its new texts at once, not only after the next click.
        showSelected(false);
        updateOpenCommand();
    });
    // The memos show a row; when rows go, so does what they showed (the selection fills them again).
    connect(model(), &QAbstractItemModel::rowsRemoved, this, &ListViewController::clearMemos);
    connect(model(), &QAbstractItemModel::modelReset, this, &ListViewController::clearMemos);
}

bool ListViewController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_view->viewport() && event->type() == QEvent::Resize)
        fillActionsColumn();
    // Select all as one range of rows: the view's own walks every row.
    if (watched == m_view && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::SelectAll)) {
        if (m_rows->rowCount() > 0)
            m_view->selectionModel()->select(
                QItemSelection(m_rows->index(0, 0),
                               m_rows->index(m_rows->rowCount() - 1, ToDoListModel::ColumnCount - 1)),
                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

QList<int> ListViewController::selectedRows() const
{
    if (m_selected)
        return *m_selected;
    // Ranges in the order of the shown rows, which is the list's: the rows come out ascending, and
    // overlapping ranges are counted once.
    std::vector<std::pair<int, int>> ranges;
    for (const QItemSelectionRange& range : m_view->selectionModel()->selection())
        ranges.emplace_back(range.top(), range.bottom());
    std::sort(ranges.begin(), ranges.end());
    QList<int> rows;
    int next = 0;
    for (const auto& [top, bottom] : ranges) {
        for (int r = std::max(top, next); r <= bottom; ++r)
            rows.append(m_rows->sourceRow(r));
        next = std::max(next, bottom + 1);
    }
    m_selected = rows;
    return rows;
}

void ListViewController::selectRows(const QList<int>& rows)
{
    QList<int> sorted;
    if (m_rows->shownCount() == model()->size()) {
        // Every row shown: list rows are shown rows (undo selects a million rows put back).
        sorted = rows;
    } else {
        sorted.reserve(rows.size());
        for (int r : rows) {
            if (const int shown = m_rows->proxyRow(r); shown >= 0)
                sorted.append(shown);
        }
    }
    if (!std::is_sorted(sorted.begin(), sorted.end()))
        std::sort(sorted.begin(), sorted.end());
    QItemSelection selection;
    const int lastColumn = ToDoListModel::ColumnCount - 1;
    // One range per run of neighbouring rows, so selecting thousands stays quick.
    for (qsizetype i = 0; i < sorted.size();) {
        qsizetype j = i;
        while (j + 1 < sorted.size() && sorted[j + 1] <= sorted[j] + 1)
            ++j;
        selection.select(m_rows->index(sorted[i], 0), m_rows->index(sorted[j], lastColumn));
        i = j + 1;
    }
    m_view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

bool ListViewController::isShown(int row) const
{
    return m_rows->proxyRow(row) >= 0;
}

void ListViewController::showRow(int row)
{
    const int shown = m_rows->proxyRow(row);
    if (shown < 0)
        return;
    const QModelIndex index = m_rows->index(shown, 0);
    // The keys go on from there, the selection stays.
    m_view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    m_view->scrollTo(index);
}

void ListViewController::scrollToSelection()
{
    if (const QModelIndexList shown = m_view->selectionModel()->selectedRows(); !shown.isEmpty())
        m_view->scrollTo(*std::min_element(shown.begin(), shown.end()));
}

void ListViewController::clearMemos()
{
    m_actionMemo->clear();
    m_remarksMemo->clear();
}

void ListViewController::showSelected(bool withHint)
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    const ToDoItem& item = model()->item(rows.first());
    QString action = item.actionText();
    m_actionMemo->setPlainText(action);
    m_remarksMemo->setPlainText(item.valueText(ToDoItem::Remarks));
    if (!withHint)
        return;
    action.replace(QLatin1String("\r\n"), QLatin1String(" "));
    action.replace(QLatin1Char('\n'), QLatin1Char(' '));
    Q_EMIT selectionShown(action);
}

void ListViewController::sortByColumn(int column)
{
    if (column < 0 || column >= ToDoListModel::ColumnCount)
        return;
    // The order of every row, an import's too.
    m_document->finishPendingChanges();
    m_sortKind = ItemSorter::kindForColumn(column, m_sortKind);
    const bool descending = m_sortDescending[static_cast<size_t>(column)];
    const std::vector<int> order =
        ItemSorter::sortOrder(model()->list().items, column, m_sortKind, descending, m_sortChecked);
    m_document->sortRows(order);
    m_sortDescending[static_cast<size_t>(column)] = !descending;

    // Show which way the column went: text A to Z and dates earliest first are "ascending", numbers go
    // largest first on the first click.
    const bool upward = (m_sortKind == SortKind::Number) ? descending : !descending;
    m_view->header()->setSortIndicatorShown(true);
    m_view->header()->setSortIndicator(column, upward ? Qt::AscendingOrder : Qt::DescendingOrder);
    scrollToSelection();
}

void ListViewController::selectCompleted()
{
    QList<int> rows;
    const auto& items = model()->list().items;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].checked())
            rows.append(static_cast<int>(i));
    }
    selectRows(rows);
}

void ListViewController::uncheckSelected()
{
    const QList<int> rows = selectedRows();
    if (!rows.isEmpty())
        m_document->invertChecked(rows);
}

void ListViewController::updateOpenCommand()
{
    const QList<int> rows = selectedRows();
    bool enabled = false;
    if (rows.size() == 1) {
        const QString path = model()->item(rows.first()).valueText(ToDoItem::FileLocation);
        enabled = !path.isEmpty() && QFileInfo(path).isFile();
    }
    m_openAction->setEnabled(enabled);
}

void ListViewController::openDocument()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    const QString path = model()->item(rows.first()).valueText(ToDoItem::FileLocation);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    // The desktop's own association opens it; no shell ever sees the path.
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        MessageBox::information(
            m_window,
            LanguageTexts::shared().text("Messages", "NoProgram").arg(QDir::toNativeSeparators(path)));
}

void ListViewController::applyDisplay(const DisplaySettings& s)
{
    if (s.has(DisplaySettings::ListColor)) {
        QPalette p = m_view->palette();
        p.setColor(QPalette::Base, ItemStyleModel::toQColor(s.listColor));
        p.setColor(QPalette::AlternateBase, ItemStyleModel::toQColor(s.listColor));
        m_view->setPalette(p);
    }
    if (s.has(DisplaySettings::TitleBarColor)) {
        for (QTextEdit* memo : {m_actionMemo, m_remarksMemo}) {
            QPalette p = memo->palette();
            p.setColor(QPalette::Base, ItemStyleModel::toQColor(s.memoColor()));
            memo->setPalette(p);
        }
    }
    if (s.has(DisplaySettings::Grid)) {
        if (auto* delegate = qobject_cast<GridDelegate*>(m_view->itemDelegate()))
            delegate->setShowGrid(s.showGrid);
        m_view->viewport()->update();
    }
    if (!s.has(DisplaySettings::Fonts))
        return;
    QFont listFont = m_view->font();
    if (s.listFontSize > 0)
        listFont.setPointSize(s.listFontSize);
    listFont.setFamily(s.itemFontName);
    m_view->setFont(listFont);
    QFont itemFont(s.itemFontName);
    if (s.itemFontSize > 0)
        itemFont.setPointSize(s.itemFontSize);
    // The memos show the selected row's texts in the rows' own font.
    for (QTextEdit* memo : {m_actionMemo, m_remarksMemo})
        memo->setFont(itemFont);
    m_view->setRowFont(itemFont);
    fitDesignedWidths(itemFont);
}

void ListViewController::fitDesignedWidths(const QFont& itemFont)
{
    // Dates and times written in the user's formats must not be cut off in their designed columns, also
    // where a row's state draws them bold.
    QFont bold = itemFont;
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    const int margin = 3 * m_view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_view) + 10;
    const int dateWidth = metrics.horizontalAdvance(Regional::dateToText(QDate(2028, 12, 28))) + margin;
    const int timeWidth = metrics.horizontalAdvance(Regional::timeToText(QTime(23, 58, 58))) + margin;
    for (int column : {2, 3, 7}) {
        const int wanted =
            std::max(kDesignedColumnWidths[static_cast<size_t>(column)], column == 7 ? timeWidth : dateWidth);
        const int old = m_designedWidths[static_cast<size_t>(column)];
        m_designedWidths[static_cast<size_t>(column)] = wanted;
        if (m_view->columnWidth(column) == old)
            m_view->header()->resizeSection(column, wanted);
    }
}

void ListViewController::fitColumnsToHeaders()
{
    // Every caption of the language in effect readable with room for the sort arrow ("Pri", "Project Na"
    // and "Zuständi" are no captions). A column the user has made wider or narrower keeps its width.
    QHeaderView* header = m_view->header();
    const QFontMetrics metrics(header->font());
    const int room = 3 * header->style()->pixelMetric(QStyle::PM_HeaderMargin) + 16;
    for (int i = 1; i < ToDoListModel::ColumnCount; ++i) {
        const QString caption = m_view->model()->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString();
        const int wanted = metrics.horizontalAdvance(caption) + room;
        int& designed = m_designedWidths[static_cast<size_t>(i)];
        if (designed < wanted) {
            const int old = designed;
            designed = wanted;
            if (header->sectionSize(i) == old)
                header->resizeSection(i, wanted);
        }
    }
}

void ListViewController::fillActionsColumn()
{
    // "Actions" takes the width the other columns leave, never less than its minimum: no horizontal scroll
    // bar while everything fits, and no empty band right of the last column.
    QHeaderView* header = m_view->header();
    int others = 0;
    for (int i = 1; i < ToDoListModel::ColumnCount; ++i)
        others += header->isSectionHidden(i) ? 0 : header->sectionSize(i);
    const int width = std::max(100, m_view->viewport()->width() - others);
    if (header->sectionSize(0) != width)
        header->resizeSection(0, width);
}

void ListViewController::setColumnWidths(const QList<int>& widths)
{
    m_loadingColumnWidths = true;
    for (int i = 0; i < std::min<int>(widths.size(), ToDoListModel::ColumnCount); ++i) {
        if (widths[i] >= 0)
            m_view->header()->resizeSection(i, widths[i]);
    }
    m_loadingColumnWidths = false;
}

QList<int> ListViewController::columnWidths() const
{
    QList<int> widths;
    for (int i = 0; i < ToDoListModel::ColumnCount; ++i)
        widths.append(m_view->columnWidth(i));
    return widths;
}

void ListViewController::retranslate()
{
    const LanguageTexts& texts = LanguageTexts::shared();
    m_openAction->setText(texts.text("Item1", "Item5"));
    m_sortCheckedAction->setText(texts.text("Item1", "Item7"));
    applyHints();
    fitColumnsToHeaders();
}

void ListViewController::applyHints()
{
    const LanguageTexts& texts = LanguageTexts::shared();
    auto t = [&texts](const char* key) { return texts.text("Hints_Main", key); };
    applyHint(m_sortCheckedAction, t("SortChecked"));
    m_selectCompletedAction->setText(t("SelectCompleted"));
    applyHint(m_selectCompletedAction, t("SelectCompletedHint"));
    m_uncheckAction->setText(t("Uncheck"));
    applyHint(m_uncheckAction, t("UncheckHint"));
    applyHint(m_view, t("List"));
    applyHint(m_actionMemo, t("ActionMemo"));
    applyHint(m_remarksMemo, t("RemarksMemo"));
}
