#pragma once

#include "model/AlarmScanner.h"
#include "model/ItemSorter.h"
#include "model/ListDocument.h"
#include "model/Reminders.h"
#include "model/ToDoItem.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>

class AlarmCenter;
class CalendarPage;
class DesktopIntegration;
class DesktopNotifier;
class EditCommands;
class ExchangeActions;
class ListFileActions;
class HelpWindow;
class InstanceLock;
class ItemCommands;
class ItemFilterModel;
class ItemStyleModel;
class ListUndoStack;
class ListViewController;
class PictureToolBar;
class QAction;
class QLabel;
class QMenu;
class QTabWidget;
class QTimer;
class QTranslator;
class SettingsApplier;
class SoundPlayer;
class SyncActions;
class SyncController;
class TAboutBoxDlg;
class TFlatMenuPainter;
class TrayController;
class WindowLayout;
class WindowPrompter;

// The main window: the to-do list with its memos, the calendar page, the menus and tool bar and the tray
// icon. Which list is shown and every rule about saving it belong to the list document; the window holds
// widgets, turns commands into document operations and asks the document's questions.
//
// The parts with rules of their own live in their own classes, and the window wires them together: the
// list page (ListViewController), the item commands (ItemCommands), undo, redo and find (EditCommands),
// the CSV/HTML/iCalendar commands (ExchangeActions), the alarms (AlarmCenter) and the tray icon
// (TrayController), the display settings (SettingsApplier), the stored layout (WindowLayout) and the sync
// with a CalDAV server (SyncActions, whose SyncController owns the runs).
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
    AlarmScanner& alarmScanner();
    // The sync's runs and timers (tests put in their own engine and secret store).
    SyncController& syncController() const;
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
    void createParts();
    void createActions();
    void createControls();
    void createMenus();
    void connectParts();
    // Runs once, right after the first frame (or when the window was not shown at start-up).
    void afterFirstFrame();
    void takeSettings();
    void restoreFromTray();
    // The manual, at the section of that anchor when one is named.
    void showHelp(const QString& section = QString());
    void setStatusHint(const QString& text);
    void updateCounts();
    void refreshDay(const QDate& today);
    void ensureCalendarPage();
    // The window's language routine: the texts of the selected language file onto menus, columns, pages.
    void applyLanguageTexts();
    // The caption and the enabled commands follow the document.
    void documentSwitched();

    // ---- The list and how it is shown ----
    ListDocument* m_document = nullptr;
    std::unique_ptr<WindowPrompter> m_prompter;
    ItemStyleModel* m_styleModel = nullptr;
    // The rows the find bar lets through; the view shows these.
    ItemFilterModel* m_filterModel = nullptr;
    ListUndoStack* m_undoStack = nullptr;

    // ---- The parts ----
    ListViewController* m_list = nullptr;
    ItemCommands* m_items = nullptr;
    EditCommands* m_edit = nullptr;
    ExchangeActions* m_exchange = nullptr;
    AlarmCenter* m_alarms = nullptr;
    TrayController* m_tray = nullptr;
    SettingsApplier* m_settings = nullptr;
    SyncActions* m_sync = nullptr;
    std::unique_ptr<WindowLayout> m_layout;
    TFlatMenuPainter* m_menuPainter = nullptr;
    TAboutBoxDlg* m_aboutBox = nullptr;

    // ---- Controls ----
    PictureToolBar* m_toolBar = nullptr;
    QLabel* m_toolbarCaption = nullptr;
    QTabWidget* m_pages = nullptr;
    // The "Calendar" tab; the page inside is made when the tab is first looked at.
    QWidget* m_calendarTab = nullptr;
    CalendarPage* m_calendarPage = nullptr;
    // Date of the start, item counts, the current hint.
    std::array<QLabel*, 3> m_statusPanels{};

    // ---- Commands of the window itself ----
    ListFileActions* m_listFiles = nullptr;
    QAction* m_exitAction = nullptr;
    QAction* m_helpAction = nullptr;
    QAction* m_aboutAction = nullptr;
    QMenu* m_fileMenu = nullptr;
    QMenu* m_imExportMenu = nullptr;
    QMenu* m_toolsMenu = nullptr;
    QMenu* m_helpMenu = nullptr;

    // ---- State of the window itself ----
    std::unique_ptr<InstanceLock> m_instanceLock;
    QPointer<HelpWindow> m_helpWindow;
    QTranslator* m_qtTexts = nullptr;
    bool m_layoutSaved = false;
    bool m_exiting = false;
    bool m_shownOnce = false;
    bool m_firstFrameShown = false;
    bool m_startedUp = false;
};
