#include "app/TQuillmar.h"

#include "app/GridDelegate.h"
#include "app/ItemFilterModel.h"
#include "app/ItemStyleModel.h"
#include "app/ListUndoStack.h"
#include "app/ToolIcons.h"
#include "app/WindowPrompter.h"
#include "calendar/CalendarPage.h"
#include "config/Paths.h"
#include "config/Settings.h"
#include "dialogs/HelpWindow.h"
#include "dialogs/MessageBox.h"
#include "menus/TFlatMenuPainter.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/InstanceLock.h"
#include "platform/Regional.h"
#include "platform/desktop/DesktopNotifier.h"

#include "app/PictureToolBar.h"
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextEdit>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

// The manual is compiled into the library; a static library's resources must be registered by hand.
static void initQuillmarResources()
{
    Q_INIT_RESOURCE(app);
}

namespace {

// A hint is "short|long": the short part shows at the control, the long one in the status bar.
void applyHint(QObject* target, const QString& hint)
{
    QString text = hint;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    const qsizetype bar = text.indexOf(QLatin1Char('|'));
    const QString shortHint = bar < 0 ? text : text.left(bar);
    QString longHint = bar < 0 ? text : text.mid(bar + 1);
    longHint.replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (auto* action = qobject_cast<QAction*>(target)) {
        action->setToolTip(shortHint);
        action->setStatusTip(longHint);
    } else if (auto* widget = qobject_cast<QWidget*>(target)) {
        widget->setToolTip(shortHint);
        widget->setStatusTip(longHint);
    }
}
} // namespace

TQuillmar::TQuillmar(QWidget* parent) : QMainWindow(parent)
{
    initQuillmarResources();
    setObjectName(QStringLiteral("Quillmar"));
    m_designedWidths = kDesignedColumnWidths;
    InitDataPaths();
    InitSettingsFilePath();
    m_document = new ListDocument({StandardListPath(), HistoryListPath(), DataFolder()}, this);
    m_reminders.setSettingsPath(SettingsFilePath());
    m_prompter = std::make_unique<WindowPrompter>(this);
    m_styleModel = new ItemStyleModel(m_document->model(), this);
    m_filterModel = new ItemFilterModel(m_document->model(), m_styleModel, this);
    m_undoStack = new ListUndoStack(m_document, this);
    m_handOverTimer = new QTimer(this);
    m_handOverTimer->setInterval(200);
    connect(m_handOverTimer, &QTimer::timeout, this, &TQuillmar::processHandOvers);

    createActions();
    createControls();
    createMenus();
    setupMenusAndAbout();
    FormCreate();

    setupItemCommands();
    setupAlarms();
    setupExchangeCommands();
    setupEditCommands();
    // Language files belong to later starts: the first one, without a list yet, stays in English.
    if (QFileInfo::exists(StandardListPath()))
        ApplyLanguageTexts();
    connect(m_document, &ListDocument::listSwitched, this, &TQuillmar::documentSwitched);
    connect(m_document, &ListDocument::modifiedChanged, this,
            [this](bool modified) { setWindowModified(modified); });
    connect(m_document, &ListDocument::autosaveFailed, this, [this](const QString& error) {
        setStatusHint(QStringLiteral("The list could not be saved: ") + error);
    });
    documentSwitched();
}

TQuillmar::~TQuillmar()
{
    FormDestroy();
}

QSize TQuillmar::designedSize()
{
    // Roomier than the classic 757 x 390, which leaves a nine-column list three rows high on a modern
    // screen, but never larger than the screen; a stored normal-state size replaces it from the second
    // start on.
    QSize size(1120, 640);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 0.95);
    return size;
}

void TQuillmar::createActions()
{
    auto make = [this](const char* name, const QString& text, QObject* receiver = nullptr) {
        auto* action = new QAction(text, receiver ? receiver : this);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };

    OpenStandardToDo = make("OpenStandardToDo", QStringLiteral("&Open standard ToDo  "));
    actLoadHistory = make("actLoadHistory", QStringLiteral("Load &history Todo list"));
    applyHint(actLoadHistory, QStringLiteral("Load history ToDo list"));
    actSaveHistory = make("actSaveHistory", QStringLiteral("&Save history Todo"));
    applyHint(actSaveHistory, QStringLiteral("Saves history file"));
    actNewExternal = make("actNewExternal", QStringLiteral("&New external ToDo list"));
    actOpenExternal = make("actOpenExternal", QStringLiteral("&Open external ToDo list"));
    actSaveExternal = make("actSaveExternal", QStringLiteral("&Save external ToDo list"));
    actExportCSV = make("actExportCSV", QStringLiteral("Export to &CSV"));
    actImportCSV = make("actImportCSV", QStringLiteral("&Import from CSV"));
    actMakeHTML = make("actMakeHTML", QStringLiteral("Export to &HTML"));
    applyHint(actMakeHTML, QStringLiteral("Create HTML file"));
    actExit = make("actExit", QStringLiteral("E&xit"));

    actInsAction = make("actInsAction", QStringLiteral("&Add Action"));
    actInsAction->setIcon(ToolIcons::icon(ToolIcons::Add));
    applyHint(actInsAction, QStringLiteral("Add new todo item"));
    actEdit = make("actEdit", QStringLiteral("&Edit Action"));
    actEdit->setIcon(ToolIcons::icon(ToolIcons::Edit));
    applyHint(actEdit, QStringLiteral("Edit todo item"));
    ActDeleteItem = make("ActDeleteItem", QStringLiteral("&Delete Item"));
    ActDeleteItem->setIcon(ToolIcons::icon(ToolIcons::Delete));
    applyHint(ActDeleteItem, QStringLiteral("Delete todo item"));
    actDeleteToHistory = make("actDeleteToHistory", QStringLiteral("&Move selected to history"));
    actDeleteToHistory->setIcon(ToolIcons::icon(ToolIcons::ToHistory));
    applyHint(actDeleteToHistory, QStringLiteral("Delete all selected items."));
    actSettings = make("actSettings", QStringLiteral("&Settings"));
    actToolbarImage = make("actToolbarImage", QStringLiteral("Toolbar &Image"));
    actRemoveToolbarImage = make("actRemoveToolbarImage", QStringLiteral("&No toolbar image"));
    actRemoveToolbarImage->setEnabled(false);
    actSortChecked = make("actSortChecked", QStringLiteral("Sort &checked"));
    actSortChecked->setCheckable(true);
    actSortChecked->setIcon(ToolIcons::icon(ToolIcons::SortChecked));
    applyHint(
        actSortChecked,
        QStringLiteral("Toggle \"Sort checked items\" on off.\r\n\r\nUse: If \"Sort checked items\" is on "
                       "then,\r\nsorting the listview by clicking on the column\r\nheader will consider the "
                       "status of the todo item."));
    BtnCheckSelected = make("BtnCheckSelected", QStringLiteral("Select completed items"));
    BtnCheckSelected->setIcon(ToolIcons::icon(ToolIcons::CheckSelected));
    applyHint(BtnCheckSelected, QStringLiteral("Select completed items,\r\ni.o. to delete later on"));
    BtnUncheckSelected = make("BtnUncheckSelected", QStringLiteral("Uncheck selected items"));
    BtnUncheckSelected->setIcon(ToolIcons::icon(ToolIcons::UncheckSelected));
    applyHint(BtnUncheckSelected, QStringLiteral("Uncheck all selected items\r\ne.g. used for history file, "
                                                 "where\r\nusually all items are checked!"));

    actHelp = make("actHelp", QStringLiteral("&Help"));
    actHelp->setShortcut(QKeySequence::HelpContents);
    // Keys for what is done most: add (Ctrl+N, Insert), edit (F2; Enter on a row), open an external list,
    // leave.
    actInsAction->setShortcuts({QKeySequence::New, QKeySequence(Qt::Key_Insert)});
    actEdit->setShortcut(QKeySequence(Qt::Key_F2));
    actOpenExternal->setShortcut(QKeySequence::Open);
    actExit->setShortcut(QKeySequence::Quit);
    actAbout = make("actAbout", QStringLiteral("&About"));
    actOpen = make("actOpen", QStringLiteral("&Open Document"));
    actRestore = make("actRestore", QStringLiteral("&Restore Quillmar"));
    actTrayExit = make("actTrayExit", QStringLiteral("E&xit"));

    // The list commands are the document's operations; the window only asks its questions.
    auto listCommand = [this](QAction* action, bool (ListDocument::*operation)(ListPrompter&)) {
        connect(action, &QAction::triggered, this,
                [this, operation] { (m_document->*operation)(*m_prompter); });
    };
    listCommand(OpenStandardToDo, &ListDocument::OpenStandardList);
    listCommand(actLoadHistory, &ListDocument::LoadHistoryList);
    listCommand(actSaveHistory, &ListDocument::SaveHistoryList);
    listCommand(actNewExternal, &ListDocument::NewEmptyList);
    listCommand(actOpenExternal, &ListDocument::OpenExternalList);
    listCommand(actSaveExternal, &ListDocument::SaveExternalList);
    connect(actExit, &QAction::triggered, this, &TQuillmar::exitProgram);
    connect(actTrayExit, &QAction::triggered, this, &TQuillmar::exitProgram);
    connect(actRestore, &QAction::triggered, this, &TQuillmar::restoreFromTray);
    connect(actHelp, &QAction::triggered, this, &TQuillmar::showHelp);
    connect(actToolbarImage, &QAction::triggered, this, &TQuillmar::chooseToolbarImage);
    connect(actRemoveToolbarImage, &QAction::triggered, this, &TQuillmar::removeToolbarImage);
    connect(actSettings, &QAction::triggered, this, &TQuillmar::SettingsMnuClick);
    connect(actSortChecked, &QAction::triggered, this, &TQuillmar::actSortCheckedExecute);
    connect(BtnCheckSelected, &QAction::triggered, this, &TQuillmar::BtnCheckSelectedClick);
    connect(BtnUncheckSelected, &QAction::triggered, this, &TQuillmar::BtnUncheckSelectedClick);
    connect(actOpen, &QAction::triggered, this, &TQuillmar::actOpenExecute);
}

void TQuillmar::createMenus()
{
    m_fileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    m_fileMenu->addAction(OpenStandardToDo);
    m_fileMenu->addAction(actLoadHistory);
    m_fileMenu->addAction(actSaveHistory);
    m_fileMenu->addSeparator();
    m_imExportMenu = m_fileMenu->addMenu(QStringLiteral("&Im-Export"));
    m_imExportMenu->addAction(actNewExternal);
    m_imExportMenu->addAction(actOpenExternal);
    m_imExportMenu->addAction(actSaveExternal);
    m_imExportMenu->addSeparator();
    m_imExportMenu->addAction(actExportCSV);
    m_imExportMenu->addAction(actImportCSV);
    m_imExportMenu->addAction(actMakeHTML);
    m_fileMenu->addSeparator();
    m_fileMenu->addAction(actExit);

    m_toolsMenu = menuBar()->addMenu(QStringLiteral("&Tools"));
    m_toolsMenu->addAction(actInsAction);
    m_toolsMenu->addAction(actEdit);
    m_toolsMenu->addAction(ActDeleteItem);
    m_toolsMenu->addAction(actDeleteToHistory);
    m_toolsMenu->addSeparator();
    m_toolsMenu->addAction(actSettings);
    m_toolsMenu->addAction(actToolbarImage);
    m_toolsMenu->addAction(actRemoveToolbarImage);
    m_toolsMenu->addAction(actSortChecked);

    m_helpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
    m_helpMenu->addAction(actHelp);
    m_helpMenu->addAction(actAbout);

    m_listPopup = new QMenu(this);
    m_listPopup->setObjectName(QStringLiteral("ListPopup"));
    m_listPopup->addAction(actInsAction);
    m_listPopup->addAction(actEdit);
    m_listPopup->addAction(ActDeleteItem);
    m_listPopup->addSeparator();
    m_listPopup->addAction(actOpen);

    m_trayPopup = new QMenu(this);
    m_trayPopup->setObjectName(QStringLiteral("TrayPopup"));
    m_trayPopup->addAction(actRestore);
    m_trayPopup->addSeparator();
    m_trayPopup->addAction(actTrayExit);
}

void TQuillmar::createControls()
{
    setWindowTitle(QStringLiteral("Quillmar?"));
    setWindowIcon(ToolIcons::icon(ToolIcons::App));
    // Until a layout is stored: the designed size, within the screen, centred on it.
    QRect bounds(QPoint(237, 150), designedSize());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        bounds.moveCenter(screen->availableGeometry().center());
    resize(bounds.size());
    move(bounds.topLeft());

    m_toolBar = new PictureToolBar(QStringLiteral("Tool bar"), this);
    m_toolBar->setObjectName(QStringLiteral("ToolBar"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(22, 22));
    m_toolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    applyHint(m_toolBar, QStringLiteral("Choose your action"));
    m_toolbarCaption = new QLabel(QStringLiteral("   Quillmar ?"), m_toolBar);
    m_toolbarCaption->setObjectName(QStringLiteral("ToolbarCaption"));
    {
        QFont f = m_toolbarCaption->font();
        f.setBold(true);
        f.setPointSizeF(f.pointSizeF() * 1.15);
        m_toolbarCaption->setFont(f);
    }
    m_toolbarCaption->setContentsMargins(4, 2, 14, 2);
    m_toolbarCaption->setAutoFillBackground(true);
    m_toolbarCaption->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    m_toolBar->addWidget(m_toolbarCaption);
    m_toolBar->addAction(actInsAction);
    m_toolBar->addAction(actEdit);
    m_toolBar->addAction(ActDeleteItem);
    m_toolBar->addAction(actDeleteToHistory);
    m_toolBar->addSeparator();
    m_toolBar->addAction(BtnCheckSelected);
    m_toolBar->addAction(BtnUncheckSelected);
    m_toolBar->addSeparator();
    m_toolBar->addAction(actSortChecked);
    addToolBar(Qt::TopToolBarArea, m_toolBar);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("Pages"));
    m_pages->setDocumentMode(true);

    // Page "ToDo List": the list above, the two memos below.
    lstToDo = new QTreeView;
    lstToDo->setObjectName(QStringLiteral("lstToDo"));
    lstToDo->setModel(m_filterModel);
    lstToDo->setRootIsDecorated(false);
    lstToDo->setItemsExpandable(false);
    lstToDo->setUniformRowHeights(true);
    lstToDo->setAllColumnsShowFocus(true);
    lstToDo->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstToDo->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstToDo->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstToDo->setContextMenuPolicy(Qt::CustomContextMenu);
    lstToDo->setItemDelegate(new GridDelegate(lstToDo));
    lstToDo->setTextElideMode(Qt::ElideRight);
    applyHint(lstToDo, QStringLiteral("Click header to sort|Click on header to sort"));
    QHeaderView* header = lstToDo->header();
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
    lstToDo->viewport()->installEventFilter(this);
    connect(header, &QHeaderView::sectionResized, this, [this](int column) {
        if (column > 0)
            fillActionsColumn();
    });

    ActionMemo = new QTextEdit;
    ActionMemo->setObjectName(QStringLiteral("ActionMemo"));
    RemarksMemo = new QTextEdit;
    RemarksMemo->setObjectName(QStringLiteral("RemarksMemo"));
    for (QTextEdit* memo : {ActionMemo, RemarksMemo}) {
        memo->setReadOnly(true);
        memo->setAcceptRichText(false);
        memo->setMinimumHeight(10);
        // Narrow windows keep both memos readable rather than one of them a sliver.
        memo->setMinimumWidth(120);
        memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }
    applyHint(ActionMemo,
              QStringLiteral("Shows content of the action|Shows the total content of the action. The "
                             "memo field is resizable."));
    applyHint(RemarksMemo,
              QStringLiteral("Shows content of the remarcs|Shows the total content of the remarks. "
                             "The memo field is resizable."));

    MemoSplitter = new QSplitter(Qt::Horizontal);
    MemoSplitter->setObjectName(QStringLiteral("MemoSplitter"));
    MemoSplitter->setHandleWidth(3);
    MemoSplitter->setChildrenCollapsible(false);
    MemoSplitter->addWidget(ActionMemo);
    MemoSplitter->addWidget(RemarksMemo);
    MemoSplitter->setStretchFactor(0, 0);
    MemoSplitter->setStretchFactor(1, 1);
    MemoSplitter->setSizes({337, 420});

    ListSplitter = new QSplitter(Qt::Vertical);
    ListSplitter->setObjectName(QStringLiteral("ListSplitter"));
    ListSplitter->setHandleWidth(4);
    ListSplitter->setChildrenCollapsible(false);
    ListSplitter->addWidget(lstToDo);
    ListSplitter->addWidget(MemoSplitter);
    ListSplitter->setStretchFactor(0, 1);
    ListSplitter->setStretchFactor(1, 0);
    ListSplitter->setSizes({208, 90});

    auto* listPage = new QWidget;
    auto* listLayout = new QVBoxLayout(listPage);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->addWidget(ListSplitter);
    m_pages->addTab(listPage, QStringLiteral("ToDo List"));

    // Page "Calendar": built when first looked at, which keeps start-up quick.
    m_calendarTab = new QWidget;
    m_calendarTab->setObjectName(QStringLiteral("CalendarTab"));
    m_pages->addTab(m_calendarTab, QStringLiteral("Calendar"));
    setCentralWidget(m_pages);

    // Status bar: date of the start, item counts, the current hint.
    for (size_t i = 0; i < m_statusPanels.size(); ++i) {
        m_statusPanels[i] = new QLabel;
        m_statusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_statusPanels[i]->setContentsMargins(4, 0, 4, 0);
    }
    m_statusPanels[0]->setMinimumWidth(100);
    m_statusPanels[1]->setMinimumWidth(180);
    m_statusPanels[2]->setMinimumWidth(50);
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->addWidget(m_statusPanels[0]);
    statusBar()->addWidget(m_statusPanels[1]);
    statusBar()->addWidget(m_statusPanels[2], 1);

    m_alarmTimer = new QTimer(this);
    m_alarmTimer->setObjectName(QStringLiteral("AlarmTimer"));
    m_alarmTimer->setInterval(1000);
    // Started with the alarms, once the list is loaded (startAlarms).

    connectListView();
}

void TQuillmar::ensureCalendarPage()
{
    if (m_calendarPage)
        return;
    auto* calendarLayout = new QVBoxLayout(m_calendarTab);
    calendarLayout->setContentsMargins(0, 0, 0, 0);
    m_calendarPage = new CalendarPage(listModel());
    m_calendarPage->setObjectName(QStringLiteral("CalendarPage"));
    applyCalendarColors();
    connect(m_calendarPage, &CalendarPage::addItemRequested, this, &TQuillmar::AddItem);
    connect(m_calendarPage, &CalendarPage::editItemRequested, this, &TQuillmar::EditItem);
    MenuPainter1->takeOver(m_calendarPage);
    // Added last: the page fills itself as it is shown.
    calendarLayout->addWidget(m_calendarPage);
    m_calendarPage->show();
}

void TQuillmar::createTray()
{
    if (m_trayIcon)
        return;
    m_trayIcon = new QSystemTrayIcon(windowIcon(), this);
    m_trayIcon->setToolTip(QStringLiteral("Quillmar").left(63));
    m_trayIcon->setContextMenu(m_trayPopup);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger)
            restoreFromTray();
    });
    // Alarms of a hidden window are told through the tray where there is one.
    if (!m_notifier)
        m_notifier = std::make_shared<SystemNotifier>(m_trayIcon);
}

bool TQuillmar::trayAvailable() const
{
    return m_trayIcon && QSystemTrayIcon::isSystemTrayAvailable();
}

void TQuillmar::FormCreate()
{
    if (const QString warning = ApplyCodePageSetting(SettingsFilePath()); !warning.isEmpty())
        MessageBox::information(this, warning);

    LoadWindowLayout();
    LoadMainSettings();
    LoadDateFormat();
    m_statusPanels[0]->setText(Regional::dateToText(Clock::today()));

    // On the very first start there is no list yet: make its folder, and leave the texts in English
    // (language files belong to later starts).
    if (!QFileInfo::exists(StandardListPath()))
        EnsureFolderOf(StandardListPath());
}

void TQuillmar::startUp(const QString& commandLineFile)
{
    m_document->startUp(commandLineFile, *m_prompter);
    LoadColumnWidths();
    m_startedUp = true;
    // A window on its way to the screen shows its rows first and looks for missed alarms right after; one
    // that is not shown looks now. Should the first frame never be reported, the alarms start anyway.
    if (!isVisible() || m_firstFrameShown)
        startAlarms();
    else
        QTimer::singleShot(2000, this, &TQuillmar::afterFirstFrame);
}

void TQuillmar::afterFirstFrame()
{
    if (m_firstFrameShown)
        return;
    m_firstFrameShown = true;
    Q_EMIT firstFrameShown();
    createTray();
    if (m_startedUp)
        startAlarms();
}

void TQuillmar::LoadDateFormat()
{
    DateFormatText = ReadDateFormat(SettingsFilePath(), QStringLiteral("m.d.yyyy"));
}

bool TQuillmar::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::StatusTip:
        // The long part of every hint goes to the last status panel.
        setStatusHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    default:
        break;
    }
    return QMainWindow::event(event);
}

void TQuillmar::setStatusHint(const QString& text)
{
    m_statusPanels[2]->setText(text);
}

void TQuillmar::closeEvent(QCloseEvent* event)
{
    if (m_exiting) {
        event->accept();
        return;
    }
    // The window only goes out of sight, the program keeps running: the list is saved first, and a list
    // that could not be saved stays in memory, marked modified.
    m_document->SaveCurrentList(*m_prompter);
    event->ignore();
    if (trayAvailable()) {
        hide();
        m_trayIcon->show();
    } else {
        // Without a tray a hidden window could never be brought back.
        showMinimized();
    }
}

void TQuillmar::restoreFromTray()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
    if (m_trayIcon)
        m_trayIcon->hide();
}

void TQuillmar::documentSwitched()
{
    setWindowTitle(m_document->caption() + QStringLiteral("[*]"));
    setWindowModified(m_document->isModified());
    m_statusPanels[1]->setText(m_document->mode() == ListMode::NoList ? QStringLiteral("No list is shown")
                                                                      : QString());
    UpdateStatusBar();
    updateListCommands();
}

void TQuillmar::updateListCommands()
{
    // Rows can only go into a list that has a place to be saved.
    const bool rowsAllowed = m_document->canChangeRows();
    actInsAction->setEnabled(rowsAllowed);
    actImportCSV->setEnabled(rowsAllowed);
    actSaveHistory->setEnabled(m_document->mode() == ListMode::History);
    updateItemCommands();
}

void TQuillmar::handOver(const QString& listFile)
{
    restoreFromTray();
    if (listFile.isEmpty())
        return;
    m_pendingHandOvers.append(listFile);
    processHandOvers();
}

void TQuillmar::processHandOvers()
{
    // While a dialog of this window is open, the file waits: an edit in progress must land in the list it
    // was started on.
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
        m_handOverTimer->start();
        return;
    }
    m_handOverTimer->stop();
    while (!m_pendingHandOvers.isEmpty())
        m_document->openListFile(m_pendingHandOvers.takeFirst(), *m_prompter);
}

void TQuillmar::adoptInstanceLock(std::unique_ptr<InstanceLock> lock)
{
    m_instanceLock = std::move(lock);
}

void TQuillmar::exitProgram()
{
    if (m_exiting || !m_document->prepareToLeave(*m_prompter))
        return;
    m_exiting = true;
    if (m_trayIcon)
        m_trayIcon->hide();
    QCoreApplication::quit();
}

void TQuillmar::endSession(bool final)
{
    UnattendedPrompter nobody;
    if (final) {
        // Nobody may be there to answer: no box may wait for a click from now on.
        m_prompter->setUnattended(true);
        MessageBox::setUnattended(true);
        m_exiting = true;
        if (m_trayIcon)
            m_trayIcon->hide();
    }
    // Typed but not yet confirmed is still the user's work: it goes into the list before it is saved.
    keepOpenItemEditor();
    m_document->endSession(nobody);
    SaveWindowLayout();
    m_layoutSaved = final;
}

void TQuillmar::FormDestroy()
{
    m_reminders.saveLastScan(Clock::now());
    if (!m_layoutSaved)
        SaveWindowLayout();
    m_layoutSaved = true;
    if (m_helpWindow)
        m_helpWindow->close();
    if (m_trayIcon)
        m_trayIcon->hide();
}

void TQuillmar::showHelp()
{
    if (!m_helpWindow) {
        // A manual beside the program, or in the installation's shared data, wins over the one built in.
        QUrl manual(QStringLiteral("qrc:/docs/manual.html"));
        for (const QString& folder : {ProgramFolder(), SharedDataFolder()}) {
            if (QFileInfo::exists(folder + QStringLiteral("manual.html"))) {
                manual = QUrl::fromLocalFile(folder + QStringLiteral("manual.html"));
                break;
            }
        }
        m_helpWindow = new HelpWindow(manual, this);
        m_helpWindow->setWindowIcon(ToolIcons::icon(ToolIcons::Help));
    }
    m_helpWindow->present();
}
