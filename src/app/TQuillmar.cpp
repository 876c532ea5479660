#include "app/TQuillmar.h"

#include "app/GridDelegate.h"
#include "app/ToolIcons.h"
#include "config/Paths.h"
#include "config/Settings.h"
#include "dialogs/MessageBox.h"
#include "platform/Clock.h"
#include "platform/InstanceLock.h"
#include "platform/Regional.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

// The manual is compiled into the library; a static library's resources must be registered by hand.
static void initQuillmarResources()
{
    Q_INIT_RESOURCE(app);
}

namespace
{

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

TQuillmar::TQuillmar(const QString& commandLineFile, QWidget* parent)
    : QMainWindow(parent)
    , m_commandLineFile(commandLineFile)
{
    initQuillmarResources();
    setObjectName(QStringLiteral("Quillmar"));
    m_designedWidths = kDesignedColumnWidths;
    m_model = new ToDoListModel(this);

    createActions();
    createControls();
    createMenus();
    FormCreate();

    setupItemCommands();
    setupAlarms();
    setupExchangeCommands();
}

TQuillmar::~TQuillmar()
{
    FormDestroy();
}

QString TQuillmar::settingsPath() const
{
    return SettingsFilePath();
}

QSize TQuillmar::designedSize()
{
    // Roomier than the classic 757 x 390, which leaves a nine-column list three rows high on a modern
    // screen; a stored normal-state size replaces it from the second start on.
    return QSize(960, 600);
}

QString TQuillmar::standardCaption()
{
    return QStringLiteral("Quillmar from https://quillmar.example.org");
}

void TQuillmar::createActions()
{
    auto make = [this](const char* name, const QString& text, QObject* receiver = nullptr) {
        auto* action = new QAction(text, receiver ? receiver : this);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };

    OpenStandardToDo = make("OpenStandardToDo", QStringLiteral("Open standard ToDo  "));
    Openlistfromfile1 = make("Openlistfromfile1", QStringLiteral("Load history Todo list"));
    applyHint(Openlistfromfile1, QStringLiteral("Load history ToDo list"));
    Savelistas1 = make("Savelistas1", QStringLiteral("Save history Todo"));
    applyHint(Savelistas1, QStringLiteral("Saves history file"));
    New1 = make("New1", QStringLiteral("New external ToDo list"));
    Open1 = make("Open1", QStringLiteral("Open external ToDo list"));
    Save1 = make("Save1", QStringLiteral("Save external ToDo list"));
    ExporttoCSV1 = make("ExporttoCSV1", QStringLiteral("Export to CSV"));
    ImportfromCSV1 = make("ImportfromCSV1", QStringLiteral("Import from CSV"));
    actMakeHTML = make("actMakeHTML", QStringLiteral("Export to HTML"));
    applyHint(actMakeHTML, QStringLiteral("Create HTML file"));
    ExitMenu = make("ExitMenu", QStringLiteral("Exit"));

    actInsAction = make("actInsAction", QStringLiteral("Add Action"));
    actInsAction->setIcon(ToolIcons::icon(ToolIcons::Add));
    applyHint(actInsAction, QStringLiteral("Add new todo item"));
    actEdit = make("actEdit", QStringLiteral("Edit Action"));
    actEdit->setIcon(ToolIcons::icon(ToolIcons::Edit));
    applyHint(actEdit, QStringLiteral("Edit todo item"));
    ActDeleteItem = make("ActDeleteItem", QStringLiteral("Delete Item"));
    ActDeleteItem->setIcon(ToolIcons::icon(ToolIcons::Delete));
    applyHint(ActDeleteItem, QStringLiteral("Delete todo item"));
    actDeleteToHistory = make("actDeleteToHistory", QStringLiteral("Move selected to history"));
    actDeleteToHistory->setIcon(ToolIcons::icon(ToolIcons::ToHistory));
    applyHint(actDeleteToHistory, QStringLiteral("Delete all selected items."));
    Settings1 = make("Settings1", QStringLiteral("Settings"));
    ToolbarImage1 = make("ToolbarImage1", QStringLiteral("Toolbar Image"));
    actSortChecked = make("actSortChecked", QStringLiteral("Sort checked"));
    actSortChecked->setCheckable(true);
    actSortChecked->setIcon(ToolIcons::icon(ToolIcons::SortChecked));
    applyHint(actSortChecked,
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

    Help1 = make("Help1", QStringLiteral("Help"));
    Help1->setShortcut(QKeySequence::HelpContents);
    About1 = make("About1", QStringLiteral("About"));
    actOpen = make("actOpen", QStringLiteral("Open Document"));
    RestoreQuillmar1 = make("RestoreQuillmar1", QStringLiteral("Restore Quillmar"));
    Exit1 = make("Exit1", QStringLiteral("Exit"));

    // Their commands come with the settings dialog and the about box; until then they stay out of sight.
    Settings1->setVisible(false);
    About1->setVisible(false);

    connect(OpenStandardToDo, &QAction::triggered, this, [this] { OpenStandardList(); });
    connect(Openlistfromfile1, &QAction::triggered, this, [this] { LoadHistoryList(); });
    connect(Savelistas1, &QAction::triggered, this, [this] {
        const IoResult r = SaveHistoryList();
        if (!r)
            MessageBox::information(this, r.error);
    });
    connect(New1, &QAction::triggered, this, [this] { NewEmptyList(); });
    connect(Open1, &QAction::triggered, this, [this] { OpenExternalList(); });
    connect(Save1, &QAction::triggered, this, [this] {
        const IoResult r = SaveExternalList();
        if (!r)
            MessageBox::information(this, r.error);
    });
    connect(ExitMenu, &QAction::triggered, this, [this] { ExitMenuClick(); });
    connect(Exit1, &QAction::triggered, this, [this] { ExitMenuClick(); });
    connect(RestoreQuillmar1, &QAction::triggered, this, [this] { RestoreQuillmar1Click(); });
    connect(Help1, &QAction::triggered, this, [this] { Help1Click(); });
    connect(ToolbarImage1, &QAction::triggered, this, [this] { ToolbarImage1Click(); });
    connect(actSortChecked, &QAction::triggered, this, [this] { actSortCheckedExecute(); });
    connect(BtnCheckSelected, &QAction::triggered, this, [this] { BtnCheckSelectedClick(); });
    connect(BtnUncheckSelected, &QAction::triggered, this, [this] { BtnUncheckSelectedClick(); });
    connect(actOpen, &QAction::triggered, this, [this] { actOpenExecute(); });
}

void TQuillmar::createMenus()
{
    FileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    FileMenu->addAction(OpenStandardToDo);
    FileMenu->addAction(Openlistfromfile1);
    FileMenu->addAction(Savelistas1);
    FileMenu->addSeparator();
    ImExportMenu = FileMenu->addMenu(QStringLiteral("Im-Export"));
    ImExportMenu->addAction(New1);
    ImExportMenu->addAction(Open1);
    ImExportMenu->addAction(Save1);
    ImExportMenu->addSeparator();
    ImExportMenu->addAction(ExporttoCSV1);
    ImExportMenu->addAction(ImportfromCSV1);
    ImExportMenu->addAction(actMakeHTML);
    FileMenu->addSeparator();
    FileMenu->addAction(ExitMenu);

    ToolsMenu = menuBar()->addMenu(QStringLiteral("&Tools"));
    ToolsMenu->addAction(actInsAction);
    ToolsMenu->addAction(actEdit);
    ToolsMenu->addAction(ActDeleteItem);
    ToolsMenu->addAction(actDeleteToHistory);
    ToolsMenu->addSeparator();
    ToolsMenu->addAction(Settings1);
    ToolsMenu->addAction(ToolbarImage1);
    ToolsMenu->addAction(actSortChecked);

    HelpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
    HelpMenu->addAction(Help1);
    HelpMenu->addAction(About1);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->addAction(actInsAction);
    PopupMenu1->addAction(actEdit);
    PopupMenu1->addAction(ActDeleteItem);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(actOpen);

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    PopupMenu2->addAction(RestoreQuillmar1);
    PopupMenu2->addSeparator();
    PopupMenu2->addAction(Exit1);
}

void TQuillmar::createControls()
{
    setWindowTitle(QStringLiteral("Quillmar?"));
    setWindowIcon(ToolIcons::icon(ToolIcons::App));
    resize(designedSize());
    move(237, 150);

    ToolBar1 = new QToolBar(QStringLiteral("Tool bar"), this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(22, 22));
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    applyHint(ToolBar1, QStringLiteral("Choose your action"));
    ToolbarCaption = new QLabel(QStringLiteral("   Quillmar ?"), ToolBar1);
    ToolbarCaption->setObjectName(QStringLiteral("ToolbarCaption"));
    {
        QFont f = ToolbarCaption->font();
        f.setBold(true);
        f.setPointSizeF(f.pointSizeF() * 1.15);
        ToolbarCaption->setFont(f);
    }
    ToolbarCaption->setContentsMargins(4, 2, 14, 2);
    ToolbarCaption->setAutoFillBackground(true);
    ToolbarCaption->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    ToolBar1->addWidget(ToolbarCaption);
    ToolBar1->addAction(actInsAction);
    ToolBar1->addAction(actEdit);
    ToolBar1->addAction(ActDeleteItem);
    ToolBar1->addAction(actDeleteToHistory);
    ToolBar1->addSeparator();
    ToolBar1->addAction(BtnCheckSelected);
    ToolBar1->addAction(BtnUncheckSelected);
    ToolBar1->addSeparator();
    ToolBar1->addAction(actSortChecked);
    addToolBar(Qt::TopToolBarArea, ToolBar1);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setDocumentMode(true);

    // Page "ToDo List": the list above, the two memos below.
    lstToDo = new QTreeView;
    lstToDo->setObjectName(QStringLiteral("lstToDo"));
    lstToDo->setModel(m_model);
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
    header->setStretchLastSection(true);
    header->setMinimumSectionSize(0);
    header->setSortIndicatorShown(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int i = 0; i < ToDoListModel::ColumnCount; ++i)
        header->resizeSection(i, m_designedWidths[static_cast<size_t>(i)]);

    ActionMemo = new QTextEdit;
    ActionMemo->setObjectName(QStringLiteral("ActionMemo"));
    RemarksMemo = new QTextEdit;
    RemarksMemo->setObjectName(QStringLiteral("RemarksMemo"));
    for (QTextEdit* memo : {ActionMemo, RemarksMemo}) {
        memo->setReadOnly(true);
        memo->setAcceptRichText(false);
        memo->setMinimumHeight(10);
        memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }
    applyHint(ActionMemo, QStringLiteral("Shows content of the action|Shows the total content of the action. The "
                                         "memo field is resizable."));
    applyHint(RemarksMemo, QStringLiteral("Shows content of the remarcs|Shows the total content of the remarks. "
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
    PageControl1->addTab(listPage, QStringLiteral("ToDo List"));

    // Page "Calendar": built when first looked at, which keeps start-up quick.
    m_calendarPage = new QWidget;
    m_calendarPage->setObjectName(QStringLiteral("CalendarPage"));
    auto* calendarPage = m_calendarPage;
    PageControl1->addTab(calendarPage, QStringLiteral("Calendar"));
    setCentralWidget(PageControl1);

    // Status bar: date of the start, item counts, the current hint.
    for (size_t i = 0; i < StatusPanels.size(); ++i) {
        StatusPanels[i] = new QLabel;
        StatusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        StatusPanels[i]->setContentsMargins(4, 0, 4, 0);
    }
    StatusPanels[0]->setMinimumWidth(100);
    StatusPanels[1]->setMinimumWidth(180);
    StatusPanels[2]->setMinimumWidth(50);
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->addWidget(StatusPanels[0]);
    statusBar()->addWidget(StatusPanels[1]);
    statusBar()->addWidget(StatusPanels[2], 1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    Timer1->start();

    connectListView();
}

void TQuillmar::ensureCalendarPage()
{
    if (CalendarView)
        return;
    auto* calendarLayout = new QHBoxLayout(m_calendarPage);
    calendarLayout->setContentsMargins(6, 6, 6, 6);
    CalendarView = new QCalendarWidget;
    CalendarView->setObjectName(QStringLiteral("CalendarView"));
    CalendarView->setGridVisible(true);
    CalendarView->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    CalendarMemo = new QTextEdit;
    CalendarMemo->setObjectName(QStringLiteral("CalendarMemo"));
    CalendarMemo->setReadOnly(true);
    calendarLayout->addWidget(CalendarView, 3);
    calendarLayout->addWidget(CalendarMemo, 2);
    applyCalendarColors();
    connect(CalendarView, &QCalendarWidget::selectionChanged, this, [this] { refreshCalendar(); });
    connect(CalendarView, &QCalendarWidget::currentPageChanged, this, [this] { refreshCalendar(); });
}

void TQuillmar::createTray()
{
    TrayIcon = new QSystemTrayIcon(windowIcon(), this);
    TrayIcon->setToolTip(QStringLiteral("Quillmar").left(63));
    TrayIcon->setContextMenu(PopupMenu2);
    connect(TrayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger)
            RestoreQuillmar1Click();
    });
}

bool TQuillmar::trayAvailable() const
{
    return TrayIcon && QSystemTrayIcon::isSystemTrayAvailable();
}

void TQuillmar::FormCreate()
{
    ListMode = TListMode::NoList;
    ExternalFileName.clear();
    ListSaved = true;

    InitDataPaths();
    InitSettingsFilePath();
    if (const QString warning = ApplyCodePageSetting(SettingsFilePath()); !warning.isEmpty())
        MessageBox::information(this, warning);

    LoadWindowLayout();
    LoadMainSettings();
    LoadDateFormat();
    StatusPanels[0]->setText(Regional::dateToText(Clock::today()));

    // The name lists start empty with the model. On the very first start there is no list yet: make its
    // folder, and leave the texts in English (language files belong to later starts).
    if (!QFileInfo::exists(StandardListPath()))
        EnsureFolderOf(StandardListPath());

    OpenStandardList();
    LoadColumnWidths();
    createTray();
}

void TQuillmar::LoadDateFormat()
{
    DateFormatText = ReadDateFormat(SettingsFilePath(), QStringLiteral("m.d.yyyy"));
}

void TQuillmar::FormActivate()
{
    ListSaved = false;
}

bool TQuillmar::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::StatusTip:
        // The long part of every hint goes to the last status panel.
        setStatusHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    case QEvent::WindowActivate:
        FormActivate();
        break;
    default:
        break;
    }
    return QMainWindow::event(event);
}

void TQuillmar::setStatusHint(const QString& text)
{
    StatusPanels[2]->setText(text);
}

void TQuillmar::closeEvent(QCloseEvent* event)
{
    if (m_exiting) {
        event->accept();
        return;
    }
    // FormCloseQuery, then FormClose: the window only goes out of sight, the program keeps running.
    SaveCurrentList();
    event->ignore();
    if (trayAvailable()) {
        hide();
        TrayIcon->show();
    } else {
        // Without a tray a hidden window could never be brought back.
        showMinimized();
    }
}

void TQuillmar::RestoreQuillmar1Click()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
    if (TrayIcon)
        TrayIcon->hide();
}

void TQuillmar::activateFromOtherInstance(const QString& listFile)
{
    RestoreQuillmar1Click();
    if (listFile.isEmpty())
        return;
    m_commandLineFile = listFile;
    m_commandLineHandedOver = true;
    OpenStandardList();
    m_commandLineHandedOver = false;
}

void TQuillmar::adoptInstanceLock(std::unique_ptr<InstanceLock> lock)
{
    m_instanceLock = std::move(lock);
}

void TQuillmar::ExitMenuClick()
{
    if (!SaveCurrentList()
        && MessageBox::question(this, QStringLiteral("The list could not be saved.\r\nExit anyway and lose "
                                                     "its changes?"))
               != MessageBox::Yes)
        return;
    QCoreApplication::processEvents();
    m_exiting = true;
    if (TrayIcon)
        TrayIcon->hide();
    QCoreApplication::quit();
}

void TQuillmar::saveEverything()
{
    // Nobody may be there to answer: a changed external list is written back to its own file without
    // asking, and messages go to standard error.
    const bool wasUnattended = MessageBox::unattended();
    MessageBox::setUnattended(true);
    SaveCurrentList();
    SaveWindowLayout();
    m_layoutSaved = true;
    MessageBox::setUnattended(wasUnattended);
}

void TQuillmar::FormDestroy()
{
    if (!m_layoutSaved)
        SaveWindowLayout();
    m_layoutSaved = true;
    if (m_helpWindow)
        m_helpWindow->close();
    if (TrayIcon)
        TrayIcon->hide();
}

void TQuillmar::Help1Click()
{
    if (!m_helpWindow) {
        m_helpWindow = new QTextBrowser;
        m_helpWindow->setAttribute(Qt::WA_DeleteOnClose);
        m_helpWindow->setWindowTitle(QStringLiteral("Quillmar Help"));
        m_helpWindow->setWindowIcon(ToolIcons::icon(ToolIcons::Help));
        m_helpWindow->setOpenExternalLinks(true);
        m_helpWindow->resize(640, 600);
        // A manual installed beside the program wins over the one built in.
        const QString installed = ProgramFolder() + QStringLiteral("manual.html");
        m_helpWindow->setSource(QFileInfo::exists(installed) ? QUrl::fromLocalFile(installed)
                                                             : QUrl(QStringLiteral("qrc:/docs/manual.html")));
    }
    m_helpWindow->show();
    m_helpWindow->raise();
    m_helpWindow->activateWindow();
}
