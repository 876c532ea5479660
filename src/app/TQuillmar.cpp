#include "app/TQuillmar.h"

#include "app/AlarmCenter.h"
#include "app/EditCommands.h"
#include "app/ElidedLabel.h"
#include "app/ExchangeActions.h"
#include "app/Hints.h"
#include "app/ItemCommands.h"
#include "app/ItemFilterModel.h"
#include "app/ItemStyleModel.h"
#include "app/ListFileActions.h"
#include "app/ListUndoStack.h"
#include "app/ListViewController.h"
#include "app/PictureToolBar.h"
#include "app/QuickAddBar.h"
#include "app/ReportView.h"
#include "app/SettingsApplier.h"
#include "app/SyncActions.h"
#include "app/SyncController.h"
#include "app/ToolIcons.h"
#include "app/TrayController.h"
#include "app/WindowLayout.h"
#include "app/WindowPrompter.h"
#include "calendar/CalendarPage.h"
#include "config/LanguageTexts.h"
#include "config/Paths.h"
#include "config/Settings.h"
#include "dialogs/HelpWindow.h"
#include "dialogs/MessageBox.h"
#include "dialogs/TAboutBoxDlg.h"
#include "menus/TFlatMenuPainter.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/InstanceLock.h"
#include "platform/Regional.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QTranslator>
#include <QVBoxLayout>

// The manual is compiled into the library; a static library's resources must be registered by hand.
static void initQuillmarResources()
{
    Q_INIT_RESOURCE(app);
}

TQuillmar::TQuillmar(QWidget* parent) : QMainWindow(parent)
{
    initQuillmarResources();
    setObjectName(QStringLiteral("Quillmar"));
    InitDataPaths();
    InitSettingsFilePath();
    m_document = new ListDocument(
        {StandardListPath(), HistoryListPath(), DataFolder(), SettingsFilePath(), true}, this);
    m_prompter = std::make_unique<WindowPrompter>(this);
    m_styleModel = new ItemStyleModel(m_document->model(), this);
    m_filterModel = new ItemFilterModel(m_document->model(), m_styleModel, this);
    m_undoStack = new ListUndoStack(m_document, this);

    createParts();
    createActions();
    createControls();
    createMenus();
    // The painter draws the menus, the pop-up menus and the tool bar flat, and frames the list and the
    // memos; the settings give it its icon strip colour.
    m_menuPainter->applyMainWindowDesign();
    m_aboutBox = new TAboutBoxDlg(this);
    m_aboutBox->applyMainWindowDesign();
    connect(m_aboutAction, &QAction::triggered, this, [this] { m_aboutBox->Execute(this); });

    if (const QString warning = ApplyCodePageSetting(SettingsFilePath()); !warning.isEmpty())
        MessageBox::information(this, warning);
    m_layout->load();
    m_settings->loadAtStart();
    m_sync->loadSettings();
    m_statusPanels[0]->setText(Regional::dateToText(Clock::today()));
    // On the very first start there is no list yet: make its folder.
    if (!QFileInfo::exists(StandardListPath()))
        EnsureFolderOf(StandardListPath());
    m_styleModel->setToday(m_alarms->shownDay());

    m_edit = new EditCommands(m_document, m_undoStack, *m_prompter, m_filterModel, m_list, this);
    menuBar()->insertMenu(m_toolsMenu->menuAction(), m_edit->menu());
    for (QLabel* field : m_edit->statusFields())
        statusBar()->addPermanentWidget(field);
    connectParts();
    // The chosen language, or on a first start the system's when a file for it ships.
    applyLanguageTexts();
    connect(m_document, &ListDocument::listSwitched, this, &TQuillmar::documentSwitched);
    connect(m_document, &ListDocument::modifiedChanged, this,
            [this](bool modified) { setWindowModified(modified); });
    connect(m_document, &ListDocument::autosaveFailed, this, [this](const QString& error) {
        setStatusHint(LanguageTexts::shared().text("Messages", "NotSaved").arg(error));
    });
    // Rows that came back are worth a box, as when the move waited for the file; shown after the step that
    // completed the move (a save, a switch) is done, not in its middle.
    connect(
        m_document, &ListDocument::moveFailed, this,
        [this](const QString& message) { m_prompter->inform(message); }, Qt::QueuedConnection);
    documentSwitched();
}

TQuillmar::~TQuillmar()
{
    m_alarms->saveLastScan();
    if (!m_layoutSaved)
        m_layout->save();
    m_layoutSaved = true;
    if (m_helpWindow)
        m_helpWindow->close();
    m_tray->hide();
}

QSize TQuillmar::designedSize()
{
    // Roomier than the classic 757 x 390, which leaves a nine-column list three rows high on a modern
    // screen, but never larger than the screen; a stored normal-state size replaces it from the second
    // start on. It is the inside of the window: the desktop's frame and title bar come on top of it, and
    // the status bar at the bottom must not end below the screen.
    QSize size(1120, 640);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize available = screen->availableGeometry().size();
        size = size.boundedTo(available * 0.95).boundedTo(available - QSize(32, 80));
    }
    return size;
}

void TQuillmar::createParts()
{
    m_list = new ListViewController(m_document, m_filterModel, this);
    m_items = new ItemCommands(m_document, *m_prompter, m_list, this);
    m_list->addToPopup(m_items->popupActions());
    m_exchange = new ExchangeActions(m_document, m_filterModel, this);
    m_tray = new TrayController(this);
    m_alarms = new AlarmCenter(m_document, this);
    m_sync = new SyncActions(m_document, this);
    m_layout = std::make_unique<WindowLayout>(this, m_list);
    m_menuPainter = new TFlatMenuPainter(this);
    m_menuPainter->setObjectName(QStringLiteral("MenuPainter1"));
}

void TQuillmar::createActions()
{
    auto make = [this](const char* name, const QString& text) {
        auto* action = new QAction(text, this);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    m_listFiles = new ListFileActions(m_document, *m_prompter, this);
    m_exitAction = make("actExit", QStringLiteral("E&xit"));
    m_helpAction = make("actHelp", QStringLiteral("&Help"));
    m_aboutAction = make("actAbout", QStringLiteral("&About"));
    m_helpAction->setShortcut(QKeySequence::HelpContents);
    // Ctrl+Q under every desktop, also where the platform's key scheme has no key for quitting.
    m_exitAction->setShortcuts(QKeySequence::keyBindings(QKeySequence::Quit).isEmpty()
                                   ? QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Q)}
                                   : QKeySequence::keyBindings(QKeySequence::Quit));
    connect(m_exitAction, &QAction::triggered, this, &TQuillmar::exitProgram);
    connect(m_helpAction, &QAction::triggered, this, [this] { showHelp(); });
}

void TQuillmar::createControls()
{
    setWindowTitle(QStringLiteral("Quillmar?"));
    setWindowIcon(ToolIcons::icon(ToolIcons::App));
    // Until a layout is stored: the designed size, within the screen, centred on it.
    QRect bounds(QPoint(237, 150), designedSize());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        // The position is the frame's, which is taller than the inside by the title bar: centred with it
        // counted.
        bounds.moveCenter(screen->availableGeometry().center() - QPoint(0, 12));
    }
    resize(bounds.size());
    move(bounds.topLeft());

    m_toolBar = new PictureToolBar(LanguageTexts::shared().text("Hints_Main", "ToolBarName"), this);
    m_toolBar->setObjectName(QStringLiteral("ToolBar"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(22, 22));
    m_toolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    applyHint(m_toolBar, LanguageTexts::shared().text("Hints_Main", "ToolBar"));
    m_toolbarCaption = new QLabel(QStringLiteral("   Quillmar ?"), m_toolBar);
    m_toolbarCaption->setObjectName(QStringLiteral("ToolbarCaption"));
    QFont captionFont = m_toolbarCaption->font();
    captionFont.setBold(true);
    captionFont.setPointSizeF(captionFont.pointSizeF() * 1.15);
    m_toolbarCaption->setFont(captionFont);
    m_toolbarCaption->setContentsMargins(4, 2, 14, 2);
    m_toolbarCaption->setAutoFillBackground(true);
    m_toolbarCaption->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    m_toolBar->addWidget(m_toolbarCaption);
    m_toolBar->addActions(m_items->actions());
    m_toolBar->addSeparator();
    for (QAction* action : m_list->toolBarActions()) {
        if (action)
            m_toolBar->addAction(action);
        else
            m_toolBar->addSeparator();
    }
    m_toolBar->addSeparator();
    m_toolBar->addAction(m_sync->action());
    addToolBar(Qt::TopToolBarArea, m_toolBar);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("Pages"));
    m_pages->setDocumentMode(true);
    // The quick-add line stands above the list it adds to.
    auto* listTab = new QWidget;
    listTab->setObjectName(QStringLiteral("ListTab"));
    auto* listTabLayout = new QVBoxLayout(listTab);
    listTabLayout->setContentsMargins(0, 4, 0, 0);
    listTabLayout->setSpacing(4);
    listTabLayout->addWidget(m_items->quickAddBar());
    listTabLayout->addWidget(m_list->page(), 1);
    m_pages->addTab(listTab, QStringLiteral("ToDo List"));
    // Page "Calendar": built when first looked at, which keeps start-up quick.
    m_calendarTab = new QWidget;
    m_calendarTab->setObjectName(QStringLiteral("CalendarTab"));
    m_pages->addTab(m_calendarTab, QStringLiteral("Calendar"));
    setCentralWidget(m_pages);
    // The rows are being drawn for the first time: what waited for the first frame follows once it is out.
    m_list->view()->viewport()->installEventFilter(this);

    for (size_t i = 0; i < m_statusPanels.size(); ++i) {
        // The date and the counts keep their width; the hints give way.
        m_statusPanels[i] = i == 2 ? new ElidedLabel : new QLabel;
        m_statusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_statusPanels[i]->setContentsMargins(4, 0, 4, 0);
    }
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->addWidget(m_statusPanels[0]);
    statusBar()->addWidget(m_statusPanels[1]);
    statusBar()->addWidget(m_statusPanels[2], 1);
    statusBar()->addPermanentWidget(m_sync->statusPanel());

    m_settings = new SettingsApplier(
        {m_list, m_styleModel, m_toolBar, m_toolbarCaption, m_pages, m_menuPainter}, this);
    connect(m_settings, &SettingsApplier::applied, this, &TQuillmar::takeSettings);
}

void TQuillmar::createMenus()
{
    m_fileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    m_fileMenu->addActions(m_listFiles->fileActions());
    m_fileMenu->addSeparator();
    m_imExportMenu = m_fileMenu->addMenu(QStringLiteral("&Im-Export"));
    m_imExportMenu->addActions(m_listFiles->externalActions());
    m_imExportMenu->addSeparator();
    m_imExportMenu->addActions(m_exchange->actions());
    m_fileMenu->addSeparator();
    m_fileMenu->addAction(m_exitAction);

    m_toolsMenu = menuBar()->addMenu(QStringLiteral("&Tools"));
    // Add, edit and delete, then apart from them the move to the history list.
    const QList<QAction*> itemActions = m_items->actions();
    m_toolsMenu->addActions(itemActions.mid(0, 3));
    m_toolsMenu->addSeparator();
    m_toolsMenu->addActions(itemActions.mid(3));
    m_toolsMenu->addSeparator();
    m_toolsMenu->addActions(m_settings->actions());
    m_toolsMenu->addAction(m_list->sortCheckedAction());
    m_toolsMenu->addSeparator();
    m_toolsMenu->addAction(m_sync->action());

    m_helpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
    m_helpMenu->addActions({m_helpAction, m_aboutAction});
}

void TQuillmar::connectParts()
{
    // Any change of the rows: the counts. The calendar page follows the rows itself.
    ToDoListModel* model = m_document->model();
    connect(model, &QAbstractItemModel::modelReset, this, &TQuillmar::updateCounts);
    connect(model, &QAbstractItemModel::layoutChanged, this, &TQuillmar::updateCounts);
    connect(model, &QAbstractItemModel::rowsInserted, this, &TQuillmar::updateCounts);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &TQuillmar::updateCounts);
    connect(model, &QAbstractItemModel::dataChanged, this, &TQuillmar::updateCounts);
    connect(m_pages, &QTabWidget::currentChanged, this, [this](int page) {
        if (page == 1)
            ensureCalendarPage();
    });
    connect(m_list, &ListViewController::selectionShown, this, [this](const QString& action) {
        setToolTip(action);
        setStatusHint(action);
    });
    connect(m_items, &ItemCommands::notice, m_edit, &EditCommands::showNotice);
    connect(m_edit, &EditCommands::findStarted, this, [this] { m_pages->setCurrentIndex(0); });
    connect(m_edit, &EditCommands::filterApplied, m_items, &ItemCommands::updateEnabled);
    connect(m_exchange, &ExchangeActions::statusMessage, this, &TQuillmar::setStatusHint);
    for (QWidget* panel : m_exchange->progressPanels())
        statusBar()->addPermanentWidget(panel);
    connect(m_alarms, &AlarmCenter::dayChanged, this, &TQuillmar::refreshDay);
    connect(m_alarms, &AlarmCenter::helpRequested, this, [this] { showHelp(QStringLiteral("alarms")); });
    connect(m_tray, &TrayController::restoreRequested, this, &TQuillmar::restoreFromTray);
    connect(m_tray, &TrayController::exitRequested, this, &TQuillmar::exitProgram);
    m_settings->setSyncService(&m_sync->controller());
    // A hidden window tells sync conflicts the way it tells alarms.
    connect(m_sync, &SyncActions::notice, this, [this](const QString& text) {
        setStatusHint(text);
        m_alarms->notifyOutOfSight(QStringLiteral("Quillmar"), text);
    });
    connect(m_settings, &SettingsApplier::dialogClosed, this, [this] {
        m_sync->loadSettings();
        // A code page chosen in the dialog counts for the texts typed from now on; those already written
        // read as before (CodePage::decode).
        ApplyCodePageSetting(SettingsFilePath());
        applyLanguageTexts();
        m_list->view()->viewport()->update();
    });
}

void TQuillmar::takeSettings()
{
    const DisplaySettings& s = m_settings->display();
    m_alarms->setAlarmSettings(s.alarmLeadTime, s.soundFile);
    m_items->setEditorLook(ItemStyleModel::toQColor(s.listColor), s.itemFontName);
    m_items->setUseBeginDate(m_settings->useBeginDate());
}

void TQuillmar::ensureCalendarPage()
{
    if (m_calendarPage)
        return;
    auto* calendarLayout = new QVBoxLayout(m_calendarTab);
    calendarLayout->setContentsMargins(0, 0, 0, 0);
    m_calendarPage = new CalendarPage(m_document->model());
    m_calendarPage->setObjectName(QStringLiteral("CalendarPage"));
    m_settings->setCalendarPage(m_calendarPage);
    m_calendarPage->setColumnCaptions(
        [this](int column) { return m_styleModel->headerData(column, Qt::Horizontal).toString(); });
    connect(m_calendarPage, &CalendarPage::addItemRequested, m_items, &ItemCommands::addItem);
    connect(m_calendarPage, &CalendarPage::editItemRequested, m_items, &ItemCommands::editItem);
    m_menuPainter->takeOver(m_calendarPage);
    // Added last: the page fills itself as it is shown.
    calendarLayout->addWidget(m_calendarPage);
    m_calendarPage->show();
}

void TQuillmar::startUp(const QString& commandLineFile)
{
    m_document->startUp(commandLineFile, *m_prompter);
    m_layout->loadColumnWidths();
    m_startedUp = true;
    // A window on its way to the screen shows its rows first and looks for missed alarms right after; one
    // that is not shown looks now. Should the first frame never be reported, the alarms start anyway.
    if (m_firstFrameShown)
        m_sync->controller().startAfterFirstFrame();
    if (!isVisible() || m_firstFrameShown)
        m_alarms->start();
    else
        QTimer::singleShot(2000, this, &TQuillmar::afterFirstFrame);
}

void TQuillmar::afterFirstFrame()
{
    if (m_firstFrameShown)
        return;
    m_firstFrameShown = true;
    Q_EMIT firstFrameShown();
    m_alarms->notifyThrough(m_tray->create());
    if (m_startedUp) {
        m_alarms->start();
        m_sync->controller().startAfterFirstFrame();
    }
}

bool TQuillmar::event(QEvent* event)
{
    // The long part of every hint goes to the last status panel.
    if (event->type() == QEvent::StatusTip) {
        setStatusHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

bool TQuillmar::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && !m_firstFrameShown && watched == m_list->view()->viewport())
        QTimer::singleShot(0, this, &TQuillmar::afterFirstFrame);
    return QMainWindow::eventFilter(watched, event);
}

void TQuillmar::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        // Now that the splitters have their real size, give the list and the action memo theirs.
        m_layout->applySplitterSizes();
    }
}

void TQuillmar::setStatusHint(const QString& text)
{
    m_statusPanels[2]->setText(text);
}

void TQuillmar::updateCounts()
{
    const ToDoListModel* model = m_document->model();
    const int rows = model->size();
    if (rows == 0)
        return;
    const int completed = model->checkedCount();
    m_statusPanels[1]->setText(
        LanguageTexts::shared().text("Messages", "Counts").arg(rows - completed).arg(completed));
}

void TQuillmar::refreshDay(const QDate& today)
{
    m_statusPanels[0]->setText(Regional::dateToText(today));
    m_styleModel->setToday(today);
    updateCounts();
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
    if (m_tray->available()) {
        hide();
        m_tray->show();
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
    m_tray->hide();
}

void TQuillmar::documentSwitched()
{
    setWindowTitle(m_document->caption() + QStringLiteral("[*]"));
    setWindowModified(m_document->isModified());
    m_statusPanels[1]->setText(m_document->mode() == ListMode::NoList
                                   ? LanguageTexts::shared().text("Messages", "NoList")
                                   : QString());
    updateCounts();
    // Rows can only go into a list that has a place to be saved.
    m_exchange->setImportEnabled(m_document->canChangeRows());
    m_listFiles->updateEnabled();
    m_items->updateEnabled();
}

void TQuillmar::applyLanguageTexts()
{
    // Qt's own texts (the buttons of the message boxes, the menus of the text fields) in the same language,
    // from the translations the system has for Qt.
    const QLocale spoken = LanguageLocale(LanguageInEffect(SettingsFilePath()));
    if (!m_qtTexts)
        m_qtTexts = new QTranslator(this);
    QCoreApplication::removeTranslator(m_qtTexts);
    if (m_qtTexts->load(spoken, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(m_qtTexts);

    LanguageTexts& texts = LanguageTexts::shared();
    if (!texts.load(SettingsFilePath(), LanguageTexts::Window::Main))
        return;
    // Every text goes onto its place, replaced or not: a file with a single key still puts the built-in
    // texts on the others.
    auto t = [&texts](const char* section, const char* key) { return texts.text(section, key); };
    m_fileMenu->setTitle(t("MainMenu", "Item0"));
    m_toolsMenu->setTitle(t("MainMenu", "Item1"));
    m_helpMenu->setTitle(t("MainMenu", "Item2"));
    m_helpAction->setText(t("Item2", "Item0"));
    m_aboutAction->setText(t("Item2", "Item1"));
    for (int column = 0; column < ToDoListModel::ColumnCount; ++column)
        m_styleModel->setColumnCaption(column, t("Header", qPrintable(QStringLiteral("Item%1").arg(column))));
    m_pages->setTabText(0, t("Tab", "Tab1"));
    m_pages->setTabText(1, t("Tab", "Tab2"));
    m_imExportMenu->setTitle(t("FileMenu", "Item3"));
    m_exitAction->setText(t("FileMenu", "Item4"));
    applyHint(m_toolBar, t("Hints_Main", "ToolBar"));
    m_toolBar->setWindowTitle(t("Hints_Main", "ToolBarName"));
    m_listFiles->retranslate();
    m_list->retranslate();
    m_items->retranslate();
    m_settings->retranslate();
    m_exchange->retranslate();
    m_edit->retranslate();
    m_tray->retranslate();
    m_sync->retranslate();
    if (m_calendarPage)
        m_calendarPage->retranslate();
    // The caption and the status bar in the new language.
    documentSwitched();
}

void TQuillmar::handOver(const QString& listFile)
{
    restoreFromTray();
    if (listFile.isEmpty())
        return;
    m_listFiles->openHandedOver(listFile);
}

void TQuillmar::adoptInstanceLock(std::unique_ptr<InstanceLock> lock)
{
    m_instanceLock = std::move(lock);
}

void TQuillmar::setSoundPlayer(std::shared_ptr<SoundPlayer> player)
{
    m_alarms->setSoundPlayer(std::move(player));
}

void TQuillmar::setNotifier(std::shared_ptr<DesktopNotifier> notifier)
{
    m_alarms->setNotifier(std::move(notifier));
}

void TQuillmar::setDesktopIntegration(std::shared_ptr<DesktopIntegration> integration)
{
    m_settings->setDesktopIntegration(std::move(integration));
}

SyncController& TQuillmar::syncController() const
{
    return m_sync->controller();
}

AlarmScanner& TQuillmar::alarmScanner()
{
    return m_alarms->scanner();
}

void TQuillmar::exitProgram()
{
    if (m_exiting)
        return;
    // Leaving stops what runs beside the window: the user says so first.
    if (const QStringList running = m_exchange->runningJobs(); !running.isEmpty()) {
        const QString text =
            LanguageTexts::shared().text("Exchange", "Item9").arg(running.join(QLatin1String(", ")));
        if (MessageBox::question(this, text) != MessageBox::Yes)
            return;
    }
    if (!m_document->prepareToLeave(*m_prompter))
        return;
    m_exiting = true;
    m_tray->hide();
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
        m_tray->hide();
    }
    // Typed but not yet confirmed is still the user's work: it goes into the list before it is saved.
    m_items->keepOpenEditor();
    m_document->endSession(nobody);
    m_layout->save();
    m_layoutSaved = final;
}

void TQuillmar::showHelp(const QString& section)
{
    if (!m_helpWindow) {
        const QString language = LanguageLocale(LanguageInEffect(SettingsFilePath())).name().left(2);
        m_helpWindow = new HelpWindow(HelpWindow::manualFor(language), this);
        m_helpWindow->setWindowIcon(ToolIcons::icon(ToolIcons::Help));
    }
    m_helpWindow->present();
    if (!section.isEmpty())
        m_helpWindow->browser()->scrollToAnchor(section);
}
