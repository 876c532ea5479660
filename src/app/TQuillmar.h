#pragma once

#include "model/AlarmScanner.h"
#include "model/ItemSorter.h"
#include "model/ListDocument.h"
#include "model/Reminders.h"
#include "model/ToDoItem.h"

#include <QColor>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>

class FilterBar;
class HelpWindow;
class InstanceLock;
class ItemFilterModel;
class ItemStyleModel;
class ListUndoStack;
class QAction;
class CalendarPage;
class QLabel;
class QMenu;
class QSplitter;
class QSystemTrayIcon;
class QTabWidget;
class QTextBrowser;
class QTextEdit;
class QTimer;
class PictureToolBar;
class QTreeView;
class DesktopIntegration;
class DesktopNotifier;
class SoundPlayer;
class TAboutBoxDlg;
class TFlatMenuPainter;
class TToDoDlgFrm;
class WindowPrompter;

// The column widths of a first start: the classic ones, but "Remarks" narrower so that "Actions", which
// takes what is left, has room in a window of the first-start size; captions widen their columns.
inline constexpr std::array<int, 9> kDesignedColumnWidths = {200, 20, 80, 80, 200, 60, 60, 80, 100};

// The main window: the to-do list with its memos, the calendar page, the menus and tool bar and the tray
// icon. Which list is shown and every rule about saving it belong to the list document; the window holds
// widgets, turns commands into document operations and asks the document's questions.
//
// The item commands, the alarms, the CSV/HTML/iCalendar commands and find, undo and redo live in their
// own source files (TQuillmar_items.cpp, TQuillmar_alarms.cpp, TQuillmar_exchange.cpp, TQuillmar_edit.cpp);
// each wires itself up in its setup hook at the end of construction.
class TQuillmar : public QMainWindow
{
    Q_OBJECT

public:
    explicit TQuillmar(QWidget* parent = nullptr);
    ~TQuillmar() override;

    // Shows the list named on the command line (or the standard list) and offers what the last run could
    // not save. Separate from construction so that a signal during its messages finds the window.
    void startUp(const QString& commandLineFile = QString());

    ListDocument& document() const { return *m_document; }

    // A second start handed over its command line: the window comes up and opens the file it names, once
    // no dialog of this window is open any more.
    void handOver(const QString& listFile);
    // Exit: save the shown list (or lose its changes on the user's word) and end the program.
    void exitProgram();
    // SIGTERM, SIGINT and the end of the desktop session: nobody answers; saves what can be saved,
    // copies the rest to the recovery file, and keeps the layout. Final: the program ends next (no box is
    // shown from now on); otherwise only the saving (a session that asks before it ends).
    void endSession(bool final = true);
    // The window owns the data folder's lock for its lifetime.
    void adoptInstanceLock(std::unique_ptr<InstanceLock> lock);
    // The player the alarms sound through and the desktop notifications (tests put recording ones in).
    void setSoundPlayer(std::shared_ptr<SoundPlayer> player);
    void setNotifier(std::shared_ptr<DesktopNotifier> notifier);
    // How the settings dialog makes the program start at login and open list files (tests put a
    // recording one in); by default the one of this system for the running program file.
    void setDesktopIntegration(std::shared_ptr<DesktopIntegration> integration);
    AlarmScanner& alarmScanner() { return m_reminders.scanner(); }
    // The window's size before any stored layout applies.
    static QSize designedSize();

Q_SIGNALS:
    // The window's first frame is on screen. What start-up put off until then (the tray icon, the alarms
    // missed while the program was not running, the alarm timer) follows now.
    void firstFrameShown();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // ---- Start-up, shutdown and layout ----
    void FormCreate();
    void FormDestroy();
    void createActions();
    void createMenus();
    void createControls();
    void createTray();
    // Runs once, right after the first frame (or when the window was not shown at start-up).
    void afterFirstFrame();
    void LoadWindowLayout();
    void SaveWindowLayout();
    void LoadColumnWidths();
    void LoadMainSettings();
    void LoadDateFormat();
    void restoreFromTray();
    void showHelp();
    bool trayAvailable() const;
    void applySplitterSizes();
    void fitColumnsToHeaders();
    void fillActionsColumn();
    void fitDesignedWidths(const QFont& itemFont);
    void setStatusHint(const QString& text);
    // The caption and the enabled commands follow the document.
    void documentSwitched();
    void updateListCommands();
    void processHandOvers();

    // ---- List view ----
    void connectListView();
    void UpdateStatusBar();
    void lstToDoClick();
    void lstToDoSelectItem();
    void lstToDoColumnClick(int column);
    void BtnCheckSelectedClick();
    void BtnUncheckSelectedClick();
    void actSortCheckedExecute();
    void actOpenExecute();
    void actOpenUpdate();
    // Selected rows of the list, ascending.
    QList<int> selectedRows() const;
    void selectRows(const QList<int>& rows);
    ToDoListModel* listModel() const { return m_document->model(); }

    // ---- Calendar page ----
    void ensureCalendarPage();
    void applyCalendarColors();

    // ---- Item commands (TQuillmar_items.cpp) ----
    void setupItemCommands();
    void actInsActionExecute();
    void actEditExecute();
    void ActDeleteItemExecute();
    void actDeleteToHistoryExecute();
    void updateItemCommands();
    // Opens the editor for a new item; a valid date starts it with that Date In and the next day as Target.
    void AddItem(const QDateTime& date);
    // Edits the row at index, or the selected row for -1.
    void EditItem(int index);
    // Runs an item editor: apply keeps its item in the list after OK, dismissed runs after Cancel. When
    // the session ends meanwhile, endSession applies it instead and neither runs here.
    void runItemEditor(TToDoDlgFrm& editor, const std::function<void()>& apply,
                       const std::function<void()>& dismissed);
    // The session ends: an open item editor's text goes into the list as if OK had been pressed.
    void keepOpenItemEditor();
    bool DeleteSelectedItems(bool withHistory);

    // ---- Alarms (TQuillmar_alarms.cpp) ----
    void setupAlarms();
    void onAlarmTimer();
    // The alarms, the box lists them; its snooze buttons ring them again later.
    void showAlarmBox(const QString& title, const QString& text, const QList<AlarmScanner::Alarm>& alarms);
    void showMissedAlarms();
    // The missed alarms, then the timer: once the list is loaded and, for a shown window, on screen.
    void startAlarms();
    // Statuses, counts and the date of the status bar for a new day.
    void refreshDay(const QDate& today);
    std::array<const ToDoList*, 2> alarmLists() const;

    // ---- Settings, language and tool bar picture (TQuillmar_settings.cpp) ----
    void SettingsMnuClick();
    // The window's language routine: the texts of the selected language file onto menus, columns, pages.
    void ApplyLanguageTexts();
    void chooseToolbarImage();
    void removeToolbarImage();
    // Shows the picture behind the tool bar; false when it is no readable picture (reported if asked).
    bool applyToolbarPicture(const QString& path, bool reportErrors);

    // ---- Flat menus and the about box (TQuillmar_menus.cpp) ----
    void setupMenusAndAbout();
    void About1Click();
    TFlatMenuPainter* MenuPainter1 = nullptr;
    TAboutBoxDlg* About = nullptr;

    // ---- CSV and HTML (TQuillmar_exchange.cpp) ----
    void setupExchangeCommands();
    void exportCSV();
    void importCSV();
    void actMakeHTMLExecute();
    void ShowHTMLFile(const QString& fileName);
    void exportICalendar();

    // ---- Find, undo and redo (TQuillmar_edit.cpp) ----
    void setupEditCommands();
    void actUndoExecute();
    void actRedoExecute();
    void actFindExecute();
    void applyFilter(const QString& text, unsigned statuses);
    void updateUndoCommands();
    void updateShownCount();
    // A message in the status bar that stays for a few seconds.
    void showNotice(const QString& text);

    // ---- The list and how it is shown ----
    ListDocument* m_document = nullptr;
    std::unique_ptr<WindowPrompter> m_prompter;
    ItemStyleModel* m_styleModel = nullptr;
    // The rows the find bar lets through; the view shows these.
    ItemFilterModel* m_filterModel = nullptr;
    ListUndoStack* m_undoStack = nullptr;
    QStringList m_pendingHandOvers;
    QTimer* m_handOverTimer = nullptr;

    // ---- Settings values, as LoadMainSettings and LoadWindowLayout read them (0x00BBGGRR colours) ----
    quint32 CompletedColor = 0x808080;
    quint32 PendingColor = 0xFF0000;
    quint32 OpenColor = 0x800080;
    quint32 OverdueColor = 0x0000FF;
    quint32 TodayColor = 0x0000FF;
    // The list background, already lightened.
    quint32 ListColor = 0xFFFFFF;
    QString AlarmLeadTime = QStringLiteral("0");
    QString SoundFile;
    QString ItemFontName = QStringLiteral("Tahoma");
    int ItemFontSize = 11;
    bool UseBeginDate = true;
    bool SortChecked = false;
    // "Date"/"DateFormat" as LoadDateFormat read it.
    QString DateFormatText;

    // ---- Controls ----
    PictureToolBar* m_toolBar = nullptr;
    QLabel* m_toolbarCaption = nullptr;
    QTabWidget* m_pages = nullptr;
    QTreeView* lstToDo = nullptr;
    QSplitter* ListSplitter = nullptr;
    QSplitter* MemoSplitter = nullptr;
    QTextEdit* ActionMemo = nullptr;
    QTextEdit* RemarksMemo = nullptr;
    // The "Calendar" tab; the page inside is made when the tab is first looked at.
    QWidget* m_calendarTab = nullptr;
    CalendarPage* m_calendarPage = nullptr;
    std::array<QLabel*, 3> m_statusPanels{};
    FilterBar* m_filterBar = nullptr;
    // "N of M shown" while the find bar leaves rows out.
    QLabel* m_shownCount = nullptr;
    QLabel* m_notice = nullptr;
    QTimer* m_noticeTimer = nullptr;
    QTimer* m_alarmTimer = nullptr;
    QSystemTrayIcon* m_trayIcon = nullptr;

    // ---- Commands ----
    QAction* OpenStandardToDo = nullptr;
    QAction* actLoadHistory = nullptr;
    QAction* actSaveHistory = nullptr;
    QAction* actNewExternal = nullptr;
    QAction* actOpenExternal = nullptr;
    QAction* actSaveExternal = nullptr;
    QAction* actExportCSV = nullptr;
    QAction* actImportCSV = nullptr;
    QAction* actMakeHTML = nullptr;
    QAction* actExit = nullptr;
    QAction* actInsAction = nullptr;
    QAction* actEdit = nullptr;
    QAction* ActDeleteItem = nullptr;
    QAction* actDeleteToHistory = nullptr;
    QAction* actSettings = nullptr;
    QAction* actToolbarImage = nullptr;
    QAction* actRemoveToolbarImage = nullptr;
    QAction* actSortChecked = nullptr;
    QAction* BtnCheckSelected = nullptr;
    QAction* BtnUncheckSelected = nullptr;
    QAction* actHelp = nullptr;
    QAction* actAbout = nullptr;
    QAction* actOpen = nullptr;
    QAction* actRestore = nullptr;
    QAction* actTrayExit = nullptr;
    QAction* actUndo = nullptr;
    QAction* actRedo = nullptr;
    QAction* actFind = nullptr;
    QAction* actExportICalendar = nullptr;
    QMenu* m_fileMenu = nullptr;
    QMenu* m_editMenu = nullptr;
    QMenu* m_imExportMenu = nullptr;
    QMenu* m_toolsMenu = nullptr;
    QMenu* m_helpMenu = nullptr;
    QMenu* m_listPopup = nullptr;
    QMenu* m_trayPopup = nullptr;

    // ---- State of the window itself ----
    // What LoadMainSettings gave the calendar page, kept until the page exists.
    QColor m_calendarBackground;
    QColor m_calendarMemoBackground;
    QColor m_calendarMemoText;
    SortKind m_sortKind = SortKind::Text;
    std::array<bool, ToDoListModel::ColumnCount> m_sortDescending{};
    std::unique_ptr<InstanceLock> m_instanceLock;
    QPointer<HelpWindow> m_helpWindow;
    QPointer<TToDoDlgFrm> m_openEditor;
    std::function<void()> m_applyOpenEditor;
    bool m_layoutSaved = false;
    bool m_exiting = false;
    bool m_loadingColumnWidths = false;
    // Splitter sizes from the settings, applied once the window has its size.
    int m_listHeight = -1;
    int m_actionWidth = -1;
    bool m_shownOnce = false;
    bool m_firstFrameShown = false;
    bool m_startedUp = false;
    bool m_alarmsStarted = false;
    std::array<int, ToDoListModel::ColumnCount> m_designedWidths{};
    Reminders m_reminders;
    QDate m_shownDay;
    std::shared_ptr<SoundPlayer> m_soundPlayer;
    std::shared_ptr<DesktopNotifier> m_notifier;
    std::shared_ptr<DesktopIntegration> m_desktopIntegration;
};
