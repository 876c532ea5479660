#pragma once

#include "app/ToDoListModel.h"
#include "model/AlarmScanner.h"
#include "model/IoResult.h"
#include "model/ItemSorter.h"
#include "model/ToDoItem.h"

#include <QList>
#include <QColor>
#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <array>
#include <memory>

class InstanceLock;
class QAction;
class QCalendarWidget;
class QLabel;
class QMenu;
class QSplitter;
class QSystemTrayIcon;
class QTabWidget;
class QTextBrowser;
class QTextEdit;
class QTimer;
class QToolBar;
class QTreeView;
class SoundPlayer;

// The designed column widths; "File Location" fills what is left.
inline constexpr std::array<int, 9> kDesignedColumnWidths = {200, 20, 80, 80, 280, 60, 60, 80, 100};

// The main window: the to-do list with its memos, the calendar page, the menus and tool bar, the tray
// icon, and the three lists (standard, history, external) it switches between.
//
// The item commands, the alarms and the CSV/HTML commands live in their own source files
// (TQuillmar_items.cpp, TQuillmar_alarms.cpp, TQuillmar_exchange.cpp); each wires itself up in its
// setup hook at the end of construction.

class TQuillmar : public QMainWindow
{
    Q_OBJECT

public:
    enum class TListMode { Standard, History, External, NoList };

    // commandLineFile: the list file named on the command line, or empty for the standard list.
    explicit TQuillmar(const QString& commandLineFile = QString(), QWidget* parent = nullptr);
    ~TQuillmar() override;

    // ---- State shared by all parts of the window ----
    TListMode ListMode = TListMode::NoList;
    // True when the shown list needs no saving.
    bool ListSaved = true;
    QString ExternalFileName;
    // The item being edited (Action, eight column values, checked flag).
    ToDoItem EditBuffer;

    // Settings values, as LoadMainSettings and LoadWindowLayout read them. Colours are 0x00BBGGRR values.
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
    QString settingsPath() const;
    // "Date"/"DateFormat" as LoadDateFormat read it.
    QString DateFormatText;
    // Start folder of the save dialog once it has been used successfully (empty before).
    QString SaveDialogFolder;

    // ---- Controls ----
    QToolBar* ToolBar1 = nullptr;
    QLabel* ToolbarCaption = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QTreeView* lstToDo = nullptr;
    QSplitter* ListSplitter = nullptr;
    QSplitter* MemoSplitter = nullptr;
    QTextEdit* ActionMemo = nullptr;
    QTextEdit* RemarksMemo = nullptr;
    QCalendarWidget* CalendarView = nullptr;
    QTextEdit* CalendarMemo = nullptr;
    std::array<QLabel*, 3> StatusPanels{};
    QTimer* Timer1 = nullptr;
    QSystemTrayIcon* TrayIcon = nullptr;

    ToDoListModel* model() const { return m_model; }
    // Selected rows of the list, ascending.
    QList<int> selectedRows() const;
    // Selects exactly the given rows.
    void selectRows(const QList<int>& rows);

    // ---- Commands (menus, tool bar, pop-up menus) ----
    // File menu
    QAction* OpenStandardToDo = nullptr;
    QAction* Openlistfromfile1 = nullptr;
    QAction* Savelistas1 = nullptr;
    QAction* New1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* ExporttoCSV1 = nullptr;
    QAction* ImportfromCSV1 = nullptr;
    QAction* actMakeHTML = nullptr;
    QAction* ExitMenu = nullptr;
    // Tools menu and tool bar
    QAction* actInsAction = nullptr;
    QAction* actEdit = nullptr;
    QAction* ActDeleteItem = nullptr;
    QAction* actDeleteToHistory = nullptr;
    QAction* Settings1 = nullptr;
    QAction* ToolbarImage1 = nullptr;
    QAction* actSortChecked = nullptr;
    QAction* BtnCheckSelected = nullptr;
    QAction* BtnUncheckSelected = nullptr;
    // Help menu
    QAction* Help1 = nullptr;
    QAction* About1 = nullptr;
    // List pop-up menu
    QAction* actOpen = nullptr;
    // Tray pop-up menu
    QAction* RestoreQuillmar1 = nullptr;
    QAction* Exit1 = nullptr;

    QMenu* FileMenu = nullptr;
    QMenu* ImExportMenu = nullptr;
    QMenu* ToolsMenu = nullptr;
    QMenu* HelpMenu = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QMenu* PopupMenu2 = nullptr;

    // ---- Start-up, shutdown and layout ----
    void FormActivate();
    void LoadWindowLayout();
    void SaveWindowLayout();
    void LoadColumnWidths();
    void LoadMainSettings();
    void LoadDateFormat();
    // Exit: save the shown list and end the program.
    void ExitMenuClick();
    // SIGTERM, SIGINT and the end of the desktop session: save as Exit does, layout included.
    void saveEverything();
    void RestoreQuillmar1Click();
    void Help1Click();
    // A second start handed over its command line: show the window and open the file it names.
    void activateFromOtherInstance(const QString& listFile);
    // The window owns the data folder's lock for its lifetime.
    void adoptInstanceLock(std::unique_ptr<InstanceLock> lock);
    bool trayAvailable() const;

    // ---- List view ----
    void UpdateStatusBar();
    void lstToDoClick();
    void lstToDoSelectItem();
    void lstToDoColumnClick(int column);
    void BtnCheckSelectedClick();
    void BtnUncheckSelectedClick();
    void actSortCheckedExecute();
    void actOpenExecute();
    void actOpenUpdate();
    void ToolbarImage1Click();
    // Rebuilds the calendar page's marks from the list.
    void refreshCalendar();
    SortKind sortKind() const { return m_sortKind; }
    bool SortChecked = false;

    // ---- Lists ----
    // Saves the shown list by its mode unless it is saved; false when saving failed.
    bool SaveCurrentList();
    void OpenStandardList();
    void LoadHistoryList();
    // The two save routines return what a failed write says; the callers decide how to report it.
    IoResult SaveHistoryList();
    void OpenExternalList();
    IoResult SaveExternalList();
    void SaveExternalListAs();
    void NewEmptyList();
    // The caption of the standard list.
    static QString standardCaption();
    // The window's size before any stored layout applies.
    static QSize designedSize();

    // ---- Item commands (TQuillmar_items.cpp) ----
    void setupItemCommands();
    void actInsActionExecute();
    void actEditExecute();
    void ActDeleteItemExecute();
    void actDeleteToHistoryExecute();
    void ActDeleteItemUpdate();
    void actEditUpdate();
    void actDeleteToHistoryUpdate();
    // Opens the editor for a new item; a valid date starts it with that Date In and the next day as Target.
    void AddItem(const QDateTime& date);
    // Edits the row at index, or the selected row for -1.
    void EditItem(int index);
    // Removes the selected rows, first appending them to the history file when withHistory; false when
    // refused or the history file could not be written (the rows then stay).
    bool DeleteSelectedItems(bool withHistory);

    // ---- Alarms (TQuillmar_alarms.cpp) ----
    void setupAlarms();
    void Timer1Timer();
    // True when alarms fell due since the previous tick; their actions are then in AlarmCaption.
    bool AlarmDue();
    // The actions being announced, one a line; empty when no alarm is being announced.
    QString AlarmCaption;
    // The player the alarms sound through (tests put a recording one in).
    void setSoundPlayer(std::shared_ptr<SoundPlayer> player);
    AlarmScanner& alarmScanner() { return m_alarmScanner; }

    // ---- CSV and HTML (TQuillmar_exchange.cpp) ----
    void setupExchangeCommands();
    // Im-Export menu: write the rows to a CSV file, append the records of one, write them as a web page.
    void ExporttoCSV1Click();
    void ImportfromCSV1Click();
    void actMakeHTMLExecute();
    // Opens the page with the desktop's program for it, or says that it is missing.
    void ShowHTMLFile(const QString& fileName);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void FormDestroy();
    void createActions();
    void createMenus();
    void createControls();
    void createTray();
    void connectListView();
    void ensureCalendarPage();
    void fitDesignedWidths(const QFont& itemFont);
    void applyCalendarColors();
    QWidget* m_calendarPage = nullptr;
    // What LoadMainSettings gave the calendar page, kept until the page exists.
    QColor m_calendarBackground;
    QColor m_calendarMemoBackground;
    QColor m_calendarMemoText;
    void setStatusHint(const QString& text);
    void applyToolbarPicture(const QString& path, bool reportErrors);
    ToDoList emptyListWithNames() const;
    void showLoadedList(ToDoList list);
    void setExternalCaption(const QString& path);
    // Loads the standard list, or fileName in its place; false (and nothing changed) on failure.
    bool loadListInPlace(const QString& fileName, QString* error);

    ToDoListModel* m_model = nullptr;
    QString m_commandLineFile;
    SortKind m_sortKind = SortKind::Text;
    std::array<bool, ToDoListModel::ColumnCount> m_sortDescending{};
    std::unique_ptr<InstanceLock> m_instanceLock;
    QPointer<QTextBrowser> m_helpWindow;
    bool m_layoutSaved = false;
    bool m_exiting = false;
    // A list file handed over by a second start: a failed load keeps the shown list.
    bool m_commandLineHandedOver = false;
    bool m_calendarDirty = true;
    bool m_loadingColumnWidths = false;
    // Splitter sizes from the settings, applied once the window has its size.
    int m_listHeight = -1;
    int m_actionWidth = -1;
    bool m_shownOnce = false;
    void applySplitterSizes();
    std::array<int, ToDoListModel::ColumnCount> m_designedWidths{};

    void showAlarmBox(const QString& text);
    AlarmScanner m_alarmScanner;
    std::shared_ptr<SoundPlayer> m_soundPlayer;
};
