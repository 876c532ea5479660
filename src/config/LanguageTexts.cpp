#include "config/LanguageTexts.h"

#include "config/Config.h"
#include "config/IniFile.h"
#include "config/Paths.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSet>
#include <QStandardPaths>

#include <cstring>

namespace {
using W = LanguageTexts::Window;

// Hint texts hold a short part, "|", and a long part; line breaks are LF CR as older files have them.
#define BR "\n\r"

const std::vector<LanguageTexts::Entry> kTable = {
    // Main window: menu titles, the Tools and list pop-up entries, Help, column captions, pages.
    {W::Main, "MainMenu", "Item0", "File"},
    {W::Main, "MainMenu", "Item1", "Tools"},
    {W::Main, "MainMenu", "Item2", "Help"},
    {W::Main, "Item1", "Item0", "Add ToDo Item"},
    {W::Main, "Item1", "Item1", "Edit ToDo Item"},
    {W::Main, "Item1", "Item2", "Delete ToDo Item"},
    {W::Main, "Item1", "Item3", "Move selected to history"},
    {W::Main, "Item1", "Item4", "Settings"},
    {W::Main, "Item1", "Item5", "Open Document"},
    {W::Main, "Item1", "Item6", "Toolbar Image"},
    {W::Main, "Item1", "Item7", "Sort checked items"},
    {W::Main, "Item2", "Item0", "Help Me"},
    {W::Main, "Item2", "Item1", "About Quillmar"},
    {W::Main, "Header", "Item0", "Task Name"},
    {W::Main, "Header", "Item2", "Date"},
    {W::Main, "Header", "Item3", "Target Date"},
    {W::Main, "Header", "Item4", "Remarks"},
    {W::Main, "Header", "Item5", "Owner"},
    {W::Main, "Header", "Item6", "Project"},
    {W::Main, "Header", "Item7", "Alarm"},
    {W::Main, "Header", "Item8", "Related Document"},
    {W::Main, "Tab", "Tab1", "ToDo List"},
    {W::Main, "Tab", "Tab2", "Calendar"},
    // Added to the remarks of the list's version of an item changed here and on the sync server.
    {W::Main, "SyncRemarks", "ConflictCopy",
     "[Conflict copy of %1: this item was changed here and on the server since the last sync; the server's "
     "version is kept as well.]"},
    // Titles of the dialogs, read where they are opened.
    {W::Main, "Settings", "Caption", "Quillmar: Select Settings and Colors for ToDo List and HTML File"},
    {W::Main, "Add_Edit", "Caption", "Quillmar: Add new ToDo item"},
    {W::Main, "Add_Edit", "Caption_Edit", "Quillmar: Edit ToDo item"},
    // The File menu, its Im-Export menu and the tray menu: texts of our own beyond the classic keys, with
    // the captions the window has without a language file.
    {W::Main, "FileMenu", "Item0", "&Open standard ToDo"},
    {W::Main, "FileMenu", "Item1", "Load &history Todo list"},
    {W::Main, "FileMenu", "Item2", "&Save history Todo"},
    {W::Main, "FileMenu", "Item3", "&Im-Export"},
    {W::Main, "FileMenu", "Item4", "E&xit"},
    {W::Main, "ImExport", "Item0", "&New external ToDo list"},
    {W::Main, "ImExport", "Item1", "&Open external ToDo list"},
    {W::Main, "ImExport", "Item2", "&Save external ToDo list"},
    {W::Main, "ImExport", "Item3", "Export to &CSV"},
    {W::Main, "ImExport", "Item4", "&Import from CSV"},
    {W::Main, "ImExport", "Item5", "Export to &HTML"},
    {W::Main, "TrayMenu", "Item0", "&Restore Quillmar"},
    {W::Main, "TrayMenu", "Item1", "E&xit"},
    {W::Main, "Header", "Item1", "Priority"},
    {W::Main, "ImExport", "Item6", "Export to iCa&lendar"},
    {W::Main, "ImExport", "Item7", "Import from iCalen&dar"},
    {W::Main, "EditMenu", "Item0", "&Edit"},
    {W::Main, "EditMenu", "Item1", "&Undo"},
    {W::Main, "EditMenu", "Item2", "&Redo"},
    {W::Main, "EditMenu", "Item3", "&Find and filter"},
    {W::Main, "EditMenu", "Change0", "add item"},
    {W::Main, "EditMenu", "Change1", "edit item"},
    {W::Main, "EditMenu", "Change2", "delete"},
    {W::Main, "EditMenu", "Change3", "move to history"},
    {W::Main, "EditMenu", "Change4", "check or uncheck"},
    {W::Main, "EditMenu", "Change5", "import"},
    {W::Main, "EditMenu", "Change6", "sort"},
    {W::Main, "FindBar", "Item0", "F&ind:"},
    {W::Main, "FindBar", "Item1", "Text in any column"},
    {W::Main, "FindBar", "Item2", "All statuses"},
    {W::Main, "FindBar", "Item3", "No status"},
    {W::Main, "FindBar", "Item4", "Show all items (Esc)"},
    {W::Main, "FindBar", "Item5", "%1 of %2 shown"},
    {W::Main, "FindBar", "Status0", "Open"},
    {W::Main, "FindBar", "Status1", "Pending"},
    {W::Main, "FindBar", "Status2", "Due today"},
    {W::Main, "FindBar", "Status3", "Overdue"},
    {W::Main, "FindBar", "Status4", "Completed"},
    {W::Main, "Item1", "Item8", "&No toolbar image"},
    // The quick-add line: the words a date at its end may be, and what the empty line says.
    {W::Main, "QuickAdd", "Today", "today"},
    {W::Main, "QuickAdd", "Tomorrow", "tomorrow"},
    {W::Main, "QuickAdd", "Weekdays", "Monday,Tuesday,Wednesday,Thursday,Friday,Saturday,Sunday"},
    {W::Main, "QuickAdd", "Placeholder",
     "Quick add (Ctrl+L): type an item and press Enter; a date at the end is its target (tomorrow, "
     "Friday, %1)"},
    {W::Main, "QuickAdd", "Hint",
     "Quick add|Type an item and press Enter. A date at the end (today, tomorrow, a weekday or a date) "
     "becomes its target date."},
    // Hints of the item commands.
    {W::Main, "Hints", "AddItem", "Add new todo item"},
    {W::Main, "Hints", "EditItem", "Edit todo item"},
    {W::Main, "Hints", "DeleteItem", "Delete todo item"},
    {W::Main, "Hints", "ToHistory", "Move the selected items to the history list"},
    // Status bar, questions, alarm boxes and messages of the main window and its dialogs.
    {W::Main, "Messages", "Counts", "Items pending: %1, completed: %2"},
    {W::Main, "Messages", "NoList", "No list is shown"},
    {W::Main, "Messages", "NotSaved", "The list could not be saved: %1"},
    {W::Main, "Messages", "NewItemHidden", "The new item is not shown: the find bar leaves it out."},
    {W::Main, "Messages", "DeleteItem", "Do you really want to delete this to-do item?"},
    {W::Main, "Messages", "DiscardEdit", "Throw away what you typed into this item?"},
    {W::Main, "Messages", "ColorsUnread", "The colours could not be read from the settings file."},
    {W::Main, "Messages", "AlarmTitle", "Your Alarm"},
    {W::Main, "Messages", "AlarmText", "You have set an alarm:"},
    {W::Main, "Messages", "MissedTitle", "Missed alarms"},
    {W::Main, "Messages", "MissedText", "These alarms fell due while Quillmar was not running:"},
    {W::Main, "Messages", "Snooze5", "Snooze 5 minutes"},
    {W::Main, "Messages", "Snooze10", "10 minutes"},
    {W::Main, "Messages", "Snooze60", "1 hour"},
    {W::Main, "Messages", "AllPictures", "All pictures"},
    {W::Main, "Messages", "NoPicture", "No picture"},
    {W::Main, "Messages", "Unmappable",
     "These characters cannot be stored in the code page %1: %2." BR
     "Remove them, or choose the code page UTF-8 in the settings."},
    {W::Main, "Messages", "UndoCleared",
     "Another list is shown: what was done before can no longer be undone."},
    {W::Main, "Messages", "NoProgram", "No program could be started to open %1."},
    {W::Main, "Messages", "SettingsNotSaved", "The settings were not saved."},
    {W::Main, "Messages", "AutoStartFailed",
     "The settings were saved, but Quillmar could not be set to start at login."},
    {W::Main, "Messages", "AutoStartRemoveFailed",
     "The settings were saved, but Quillmar could not be removed from the programs started at login."},
    {W::Main, "Messages", "RegisterFailed", "Quillmar could not make itself the program for list files."},
    {W::Main, "Messages", "UnregisterFailed",
     "Quillmar could not remove itself as the program for list files."},
    {W::Main, "Dialogs", "OpenList", "Open external ToDo list"},
    {W::Main, "Dialogs", "OpenFilter", "Ext. Todo files (*.tdx)"},
    {W::Main, "Dialogs", "SaveList", "Save external ToDo list"},
    {W::Main, "Dialogs", "SaveFilter", "Ext Todo Files (*.tdx)"},
    {W::Main, "Dialogs", "CsvFilter", "CSV Files (*.CSV *.csv)"},
    {W::Main, "Dialogs", "HtmlFilter", "HTML File (*.HTML *.html)"},
    {W::Main, "Dialogs", "ICalendarFilter", "iCalendar files (*.ics)"},
    {W::Main, "Messages", "ActionNeeded", "Please write the action: an item needs one."},
    {W::Main, "Messages", "NoHtmlFile", "I didn't find the %1 file"},
    {W::Main, "Messages", "NoViewer", "No program could be started to show %1."},
    // Hints and texts of the main window's other controls.
    {W::Main, "Hints_Main", "ToolBarName", "Tool bar"},
    {W::Main, "Hints_Main", "ToolBar", "Choose your action|Choose your action"},
    {W::Main, "Hints_Main", "LoadHistory", "Load the history list|Load the list of items moved to history"},
    {W::Main, "Hints_Main", "SaveHistory", "Save the history list|Save the history list to its file"},
    {W::Main, "Hints_Main", "List", "Click a column header to sort|Click on a column header to sort by it"},
    {W::Main, "Hints_Main", "ActionMemo",
     "Shows the whole action|Shows the whole action; the memo can be resized."},
    {W::Main, "Hints_Main", "RemarksMemo",
     "Shows the whole remarks|Shows the whole remarks; the memo can be resized."},
    {W::Main, "Hints_Main", "SelectCompleted", "Select completed items"},
    {W::Main, "Hints_Main", "SelectCompletedHint",
     "Select completed items|Select the completed items, for instance to delete them"},
    {W::Main, "Hints_Main", "Uncheck", "Uncheck selected items"},
    {W::Main, "Hints_Main", "UncheckHint",
     "Uncheck the selected items|Uncheck the selected items, for instance in the history list, where all "
     "items are checked"},
    {W::Main, "Hints_Main", "SortChecked",
     "Sort checked items on or off|When on, a click on a column header sorts the checked items apart from "
     "the others."},
    {W::Main, "Hints_Main", "Find", "Show only the items that contain a text or have chosen statuses"},
    {W::Main, "Hints_Main", "MakeHTML", "Create an HTML page|Create an HTML page of the list"},
    {W::Main, "Hints_Main", "ExportICalendar", "Write the list as to-dos for calendar programs"},
    {W::Main, "Hints_Main", "ImportICalendar", "Add the to-dos of a calendar program to the list"},
    // The name boxes' pop-up menus in the item editor.
    {W::Main, "Hints_Edit", "AddName", "Add Text"},
    {W::Main, "Hints_Edit", "AddNameHint", "Add the text of the box to the names"},
    {W::Main, "Hints_Edit", "DeleteName", "Delete Item"},
    {W::Main, "Hints_Edit", "DeleteNameHint", "Delete the shown name from the names"},
    {W::Main, "Hints_Edit", "ClearNames", "Clear All"},
    {W::Main, "Hints_Edit", "ClearNamesHint", "Delete every name"},
    // Hints of the item editor, put on its controls when it is made.
    {W::Main, "Hints_Edit", "Action",
     "Write the action in this field|Write the action in this field; Enter starts a new line, Ctrl+Enter "
     "takes the item."},
    {W::Main, "Hints_Edit", "Remarks",
     "Write remarks in this field|Write remarks on the action in this field; Enter starts a new line, "
     "Ctrl+Enter takes the item."},
    {W::Main, "Hints_Edit", "Done", "Tick when the action is done|Tick when the action is done"},
    {W::Main, "Hints_Edit", "Picker", "Click to change the date|Click to change the date."},
    {W::Main, "Hints_Edit", "Priority", "Enter the priority of the task|Enter the priority of the task."},
    {W::Main, "Hints_Edit", "Clear", "Clear all|Clear all fields"},
    {W::Main, "Hints_Edit", "Cancel", "Cancel|Close without taking the item (Esc)"},
    {W::Main, "Hints_Edit", "OK", "Take the item|Take the item into the list (Ctrl+Enter)"},
    {W::Main, "Hints_Edit", "Names",
     "Names|Type a name and press Enter to keep it in the list, or use the right mouse button."},
    {W::Main, "Hints_Edit", "Browse", "Choose the document that belongs to this item"},
    {W::Main, "Hints_Edit", "BrowseTitle", "Document of this item"},
    // The list document's captions and questions; BR breaks a line where a language file has a blank.
    {W::Main, "Lists", "HistoryCaption", "Quillmar: History file"},
    {W::Main, "Lists", "NewCaption", "Quillmar : New empty ToDo file!"},
    {W::Main, "Lists", "ExternalCaption", "Quillmar, ext: %1"},
    {W::Main, "Lists", "LoseChanges", "Go on and lose its changes?"},
    {W::Main, "Lists", "SaveChanged", "The file has changed." BR "Save it as:" BR "%1"},
    {W::Main, "Lists", "NotSaved", "The list has not been saved."},
    {W::Main, "Lists", "SaveNew", "The new list has not been saved." BR "Save it now? (No discards it.)"},
    {W::Main, "Lists", "SaveAsExternal",
     "This is the standard ToDo file." BR "Do you want to save it as external file?"},
    {W::Main, "Lists", "CreateEmpty",
     "You are about to create an empty todo list." BR "The standard ToDo list will be saved. Do you want to "
     "proceed?"},
    {W::Main, "Lists", "ProblemsReading", "Problems reading the file!"},
    {W::Main, "Lists", "FailureSavingTodo", "Failure while saving todo file"},
    {W::Main, "Lists", "FailureSaving", "Failure saving the file"},
    {W::Main, "Lists", "HistoryKept", "Items taken back from the history stay in the history file too: %1"},
    {W::Main, "Lists", "ReplaceChanged",
     "%1 was changed by another program after Quillmar read it." BR
     "Replace it with the list shown here? (No saves the list under another name.)"},
    {W::Main, "Lists", "HistoryUnread", "Failure while loading History file"},
    {W::Main, "Lists", "NotHistory", "This is not the history file!"},
    {W::Main, "Lists", "IsHistory", "This is the history file!"},
    {W::Main, "Lists", "OpenFailed", "Failure while opening the file"},
    {W::Main, "Lists", "NothingToSave", "Nothing to save: %1 holds the list as it is shown."},
    {W::Main, "Lists", "NoListToSave", "No list is shown, so there is nothing to save."},
    {W::Main, "Lists", "ReplaceStandard",
     "%1 is the standard ToDo list." BR
     "Replace its items with the list shown here? Its own items are then no longer in it."},
    {W::Main, "Lists", "NotAList",
     "%1 is not a Quillmar list: only \".tdo\" and \".tdx\" files can be opened."},
    {W::Main, "Lists", "NoSuchFile", "Cannot open file %1: the file does not exist"},
    {W::Main, "Lists", "CopyUnread",
     "The copy of unsaved changes that the last run kept cannot be read. It stays as %1."},
    {W::Main, "Lists", "StandardList", "the standard ToDo list"},
    {W::Main, "Lists", "HistoryList", "the history list"},
    {W::Main, "Lists", "NewList", "a new ToDo list"},
    {W::Main, "Lists", "UnknownTime", "an unknown time"},
    {W::Main, "Lists", "OneItem", "1 item"},
    {W::Main, "Lists", "Items", "%1 items"},
    {W::Main, "Lists", "Unsaved", "Changes to %1 (%2, kept at %3) were not saved when Quillmar last ended."},
    {W::Main, "Lists", "ChangedSince",
     "%1 was changed since by another program: saving the restored list will ask before replacing it."},
    {W::Main, "Lists", "Restore", "Restore them? (No deletes the copy; Cancel keeps it for the next start.)"},
    {W::Main, "Lists", "NotCopied", "The list could not be saved, nor copied."},
    {W::Main, "Lists", "Copied", "The unsaved list was copied to %1; the next start offers to restore it."},
    {W::Main, "Lists", "ChangedKept",
     "%1 was changed by another program, so the changes were not saved there (a copy keeps them). Saving the "
     "list (switching lists, Exit) asks what to do."},
    {W::Main, "Lists", "ChangedLost",
     "%1 was changed by another program, so the changes were not saved there, nor copied. Saving the list "
     "(switching lists, Exit) asks what to do."},
    {W::Main, "Lists", "UndoStale",
     "The list is no longer as this change left it, so it cannot be taken back or done again. Nothing was "
     "changed."},
    {W::Main, "Lists", "UndoCleared",
     "What was done before it cannot be undone either: the undo history has been cleared."},
    // The manual's window.
    {W::Main, "About", "Caption", "About %1"},
    {W::Main, "About", "Authors", "The Quillmar authors"},
    {W::Main, "About", "Text",
     "Forgot your tasks?||Not anymore||With Quillmar you keep track|of your daily tasks in a fast|and "
     "convenient way.|||"},
    {W::Main, "About", "Version", "Version"},
    {W::Main, "About", "Release", "Release"},
    {W::Main, "About", "Build", "Build"},
    {W::Main, "About", "Copyright", "Copyright"},
    {W::Main, "About", "DragToScroll", "Drag to scroll"},
    {W::Main, "About", "DragWindow", "Left mouse click on text to drag window!"},
    {W::Main, "About", "Links", "Ideas and error reports: mail us!|News and help on the web site:"},
    {W::Main, "About", "Mail", "Mail me!"},
    {W::Main, "About", "System", "Show the system's facts"},
    {W::Main, "About", "Close", "Close About Box"},
    {W::Main, "Help", "Caption", "Quillmar Help"},
    {W::Main, "Help", "Back", "Back"},
    {W::Main, "Help", "Forward", "Forward"},
    // The calendar page.
    {W::Main, "Calendar", "MoreItems", "+%1 more"},
    {W::Main, "Calendar", "Previous", "Previous month"},
    {W::Main, "Calendar", "Today", "Today"},
    {W::Main, "Calendar", "Next", "Next month"},
    {W::Main, "Calendar", "Hint", "Shift and a click on an end date show the project's days"},
    {W::Main, "Exchange", "Item0", "Cancel"},
    {W::Main, "Exchange", "Item1", "Exporting to %1"},
    {W::Main, "Exchange", "Item2", "Importing from %1"},
    {W::Main, "Exchange", "Item3", "Exported %1 items to %2"},
    {W::Main, "Exchange", "Item4", "Exported 1 item to %1"},
    {W::Main, "Exchange", "Item5", "\"%1\" is still running. Wait until it has finished, or cancel it."},
    {W::Main, "Exchange", "Item6", "Export cancelled; %1 was not written"},
    {W::Main, "Exchange", "Item7", "Import cancelled; nothing was imported"},
    {W::Main, "Exchange", "Item8",
     "Another list was opened while %1 was read; nothing was imported. Import it again into this list."},
    {W::Main, "Exchange", "Item9",
     "\"%1\" is still running. Stop it and exit? A stopped export leaves its file as it was; a stopped "
     "import "
     "adds nothing."},
    // What an import says it did (the window's status bar or box, and the command line's output).
    {W::Main, "Imports", "NoRecords", "Imported no items from %1: the file holds no records"},
    {W::Main, "Imports", "NoToDos", "Imported no items from %1: it holds no to-dos"},
    {W::Main, "Imports", "OneItem", "Imported 1 item from %1"},
    {W::Main, "Imports", "Items", "Imported %1 items from %2"},
    {W::Main, "Imports", "Semicolons", "separated by semicolons"},
    {W::Main, "Imports", "Tabs", "separated by tabs"},
    {W::Main, "Imports", "Header", "the header line named the columns"},
    {W::Main, "Imports", "UnknownColumn", "not imported: the column %1"},
    {W::Main, "Imports", "UnknownColumns", "not imported: the columns %1"},
    {W::Main, "Imports", "LongRecord",
     "%1 record had more fields than there are columns, and those were not imported"},
    {W::Main, "Imports", "LongRecords",
     "%1 records had more fields than there are columns, and those were not imported"},
    {W::Main, "Imports", "Lost", "the list cannot hold their %1"},
    {W::Main, "Imports", "RepeatRules", "repeat rules"},
    {W::Main, "Imports", "SubTasks", "sub-task links"},
    {W::Main, "Imports", "Attachments", "attachments"},
    {W::Main, "Imports", "OtherAlarms", "alarms other than one on the due day"},
    {W::Main, "Imports", "OneUnreadable", "%1 unreadable value was left out"},
    {W::Main, "Imports", "Unreadable", "%1 unreadable values were left out"},
    {W::Main, "Imports", "NulByte",
     "The file %1 holds a NUL byte: it is not a text file; nothing was imported"},
    {W::Main, "Imports", "NotUtf8",
     "The file %1 is not UTF-8 text, as iCalendar files are; nothing was imported"},
    {W::Main, "Imports", "NotICalendar", "The file %1 is not an iCalendar file; nothing was imported"},
    {W::Main, "Imports", "Refused", "The file %1 %2; nothing was imported"},
    // The sync: its command and its status line.
    {W::Main, "Sync", "Item0", "S&ynchronize"},
    {W::Main, "Sync", "Hint0",
     "Synchronize the list with the server|Sends the list's changes to the sync server and "
     "takes the changes made there"},
    {W::Main, "Sync", "NotSetUp", "Sync is not set up: enter a server in Tools > Settings, page Sync"},
    {W::Main, "Sync", "Running", "Synchronizing..."},
    {W::Main, "Sync", "NotSaved",
     "the list could not be saved; the server's changes come again with the next sync"},
    {W::Main, "Sync", "Done", "Synchronized at %1: %2 sent, %3 received, %4 deleted, %5 conflicts"},
    {W::Main, "Sync", "Failed", "Sync failed at %1: %2"},
    {W::Main, "Sync", "StoreFailed", "the desktop's secret store (keyring) failed: %1"},
    {W::Main, "Sync", "ListCount", "%1 leads to %2 task lists: choose one in the settings' Sync page"},
    {W::Main, "Sync", "Untrusted", "Test connection in the settings' Sync page asks whether to trust it."},
    {W::Main, "Sync", "Conflicts",
     "%1 items were changed here and on the server: both versions are kept, the copies' remarks say so"},
    {W::Main, "Sync", "NotStandard", "the standard list is not shown: only it is synchronized on its own"},
    {W::Main, "Sync", "Switched",
     "another list was shown meanwhile: the server's changes come with the next sync"},
    {W::Main, "Sync", "NewList",
     "a new list is synchronized once it is saved and set up with quillmar --sync URL LISTFILE"},
    {W::Main, "Sync", "History", "the history list is never synchronized"},
    {W::Main, "Sync", "ExternalNotSetUp",
     "%1 is not set up for sync: run quillmar --sync URL %1 once (Tools > Settings, page Sync, sets up the "
     "standard list)"},
    {W::Main, "Sync", "KeyringNeeded",
     "the password for %1 is kept in the desktop's secret store (keyring), which cannot be used: %2"},
    {W::Main, "Sync", "KeyringNoBackend", "no keyring answers on this desktop"},
    {W::Main, "Sync", "KeyringDenied", "access was denied"},
    {W::Main, "Sync", "KeyringOther", "error %1"},
    {W::Main, "SyncErrors", "Untrusted", "The certificate of %1 is not trusted: %2"},
    {W::Main, "SyncErrors", "Certificate", "%1 (issued to %2 by %3, SHA-256 %4)"},
    {W::Main, "SyncErrors", "CertSelfSigned", "it is self-signed"},
    {W::Main, "SyncErrors", "CertExpired", "it has expired"},
    {W::Main, "SyncErrors", "CertNotYetValid", "it is not valid yet"},
    {W::Main, "SyncErrors", "CertWrongHost", "it was issued for another host name"},
    {W::Main, "SyncErrors", "CertUnknownIssuer", "its issuer is not trusted"},
    {W::Main, "SyncErrors", "CertRevoked", "it was revoked"},
    {W::Main, "SyncErrors", "CertOther", "it failed the checks"},
    {W::Main, "SyncErrors", "TimedOut", "The server at %1 did not answer in time"},
    {W::Main, "SyncErrors", "Unreachable", "Cannot reach the server at %1: %2"},
    {W::Main, "SyncErrors", "NetRefused", "the connection was refused (is the server running?)"},
    {W::Main, "SyncErrors", "NetHostNotFound", "the host name is not known"},
    {W::Main, "SyncErrors", "NetTls", "the secure connection (TLS) could not be set up"},
    {W::Main, "SyncErrors", "NetDropped", "the server closed the connection"},
    {W::Main, "SyncErrors", "NetOther", "network error %1"},
    {W::Main, "SyncErrors", "LoginRefused", "The server refused the user name or password for %1"},
    {W::Main, "SyncErrors", "AccessRefused", "The server refused access to %1"},
    {W::Main, "SyncErrors", "NotFound", "There is nothing at %1"},
    {W::Main, "SyncErrors", "Status", "The server answered %1 for %2"},
    {W::Main, "SyncErrors", "NotWebDav", "The server at %1 gave an answer that is not WebDAV"},
    {W::Main, "SyncErrors", "NoToDos", "The collection %1 holds no to-dos"},
    {W::Main, "SyncErrors", "NoServer", "No CalDAV server was found at %1"},
    {W::Main, "SyncErrors", "NoUser", "The server at %1 names no user to find the calendars of"},
    {W::Main, "SyncErrors", "NoCalendars", "The server at %1 names no calendars for this user"},
    {W::Main, "SyncErrors", "NoTaskList", "The server at %1 has no task collection for this user"},
    {W::Main, "SyncErrors", "StateDamaged",
     "The sync state %1 is damaged; remove it to sync the list afresh"},
    {W::Main, "SyncErrors", "NoModule",
     "The network module quillmar-sync.so cannot be loaded: it is not installed"},
    {W::Main, "SyncErrors", "ModuleFailed", "The network module quillmar-sync.so cannot be loaded: %1"},
    {W::Main, "SyncErrors", "EmptyServer",
     "The task list on the server was empty although %1 items were synchronized with it: nothing was deleted "
     "here, and the items are sent to it again."},

    // Settings dialog.
    {W::Settings, "Settings", "Frame0", "ColorSettings"},
    {W::Settings, "Settings", "Frame1", "HTML file settings"},
    {W::Settings, "Settings", "Frame2", "HTML header + footer"},
    {W::Settings, "Settings", "Frame3", "Text size"},
    {W::Settings, "Settings", "Frame4", "Text position"},
    {W::Settings, "Settings", "Frame5", "General settings"},
    {W::Settings, "Settings", "Radio0", "Left"},
    {W::Settings, "Settings", "Radio1", "Middle"},
    {W::Settings, "Settings", "Radio2", "Right"},
    {W::Settings, "Settings", "General0", "Start at login"},
    {W::Settings, "Settings", "General1", "Open list files"},
    {W::Settings, "Settings", "General2", "Show grid"},
    {W::Settings, "Settings", "General3", "Pre-alarm"},
    {W::Settings, "Settings", "General4", "Font"},
    {W::Settings, "Settings", "General5", "Use begin date for new tasks"},
    {W::Settings, "Settings", "General6", "Sound file location"},
    {W::Settings, "Settings", "Button0", "OK"},
    {W::Settings, "Settings", "Button1", "Cancel"},
    {W::Settings, "Hints_Settings", "Hint1",
     "Select List Item and choose the appropriate properties for the HTML file and the ToDo list."
     "|Select List Item and choose" BR "the appropriate properties" BR "for the HTML file and the" BR
     "ToDo list." BR "Some Items like \"Background\"" BR "only have a property for colors," BR
     "others like:\"Text\" do have all" BR "properties."},
    {W::Settings, "Hints_Settings", "Hint2",
     "Choose colors for todo list|Here you can choose the colors." BR "applicable for all List Items."},
    {W::Settings, "Hints_Settings", "Hint3",
     "Choose font settings for the HTML file|Choose the font name, size and position for the HTML file"},
    {W::Settings, "Hints_Settings", "Hint4",
     "Start Quillmar at login|Tick to add Quillmar to the programs the desktop starts when you log in; "
     "the box shows whether it does now."},
    {W::Settings, "Hints_Settings", "Hint5",
     "Open .tdo and .tdx files with Quillmar|Makes Quillmar the program that opens .tdo and .tdx list "
     "files, so that a double click in the file manager opens them here."},
    {W::Settings, "Hints_Settings", "Hint6", "Show grid in todo list| Show grid in todo list"},
    {W::Settings, "Hints_Settings", "Hint7",
     "Adjust alarm pre time| Adjust the time Quillmar shall give an alarm before the current alarm time"},
    {W::Settings, "Hints_Settings", "Hint8",
     "Adjust the font settings|Adjust the font of the todo list and its notes"},
    {W::Settings, "Hints_Settings", "Hint9", "Close, apply changes|Close, apply changes"},
    {W::Settings, "Hints_Settings", "Hint10", "Close, don't apply changes|Close, don't apply changes"},
    {W::Settings, "Hints_Settings", "Hint11",
     "Choose the language|Choose the language of the program; it applies once saved"},

    // Settings dialog: labels beyond the classic keys.
    // The entries of the colour list, in the order of the style sections.
    {W::Settings, "Settings", "Style0", "Header"},
    {W::Settings, "Settings", "Style1", "Footer"},
    {W::Settings, "Settings", "Style2", "Table Header"},
    {W::Settings, "Settings", "Style3", "Table"},
    {W::Settings, "Settings", "Style4", "Background Color"},
    {W::Settings, "Settings", "Style5", "Open Item Color"},
    {W::Settings, "Settings", "Style6", "Pending Item Color"},
    {W::Settings, "Settings", "Style7", "Completed Item Color"},
    {W::Settings, "Settings", "Style8", "Overdue Item Color"},
    {W::Settings, "Settings", "Style9", "Today Item Color"},
    {W::Settings, "Settings", "Style10", "TitleBar color"},
    {W::Settings, "Settings", "Style11", "TitleFont Color"},
    {W::Settings, "Settings", "Label0", "Memo and list font"},
    {W::Settings, "Settings", "Label1", "Language"},
    {W::Settings, "Settings", "Label2", "Code page of the lists"},
    {W::Settings, "Settings", "Label3", "Alternative alarm sound"},
    {W::Settings, "Settings", "Label4", "Choose a sound file (WAV)"},
    {W::Settings, "Hints_Settings", "Hint12",
     "Code page of the lists|UTF-8 holds every character; windows-1252 only Western European ones. A folder "
     "that uses UTF-8 keeps it."},
    // The settings' sync page.
    {W::Settings, "SyncPage", "Page0", "General"},
    {W::Settings, "SyncPage", "Page1", "Sync"},
    {W::Settings, "SyncPage", "Url", "Server or collection URL"},
    {W::Settings, "SyncPage", "User", "User name"},
    {W::Settings, "SyncPage", "Password", "Password"},
    {W::Settings, "SyncPage", "Test", "Test connection"},
    {W::Settings, "SyncPage", "Collection", "Task list on the server"},
    {W::Settings, "SyncPage", "Interval", "Synchronize every"},
    {W::Settings, "SyncPage", "Minutes", "minutes"},
    {W::Settings, "SyncPage", "IntervalZero", "only at start, after changes and on demand"},
    {W::Settings, "SyncPage", "Warning",
     "Plain http:// to another machine: the password and the items travel unprotected. Use https://."},
    {W::Settings, "SyncPage", "Testing", "Connecting..."},
    {W::Settings, "SyncPage", "Found", "Connected; task lists found: %1."},
    {W::Settings, "SyncPage", "NoneFound", "Connected, but the server offers no task list there."},
    {W::Settings, "SyncPage", "TestFailed", "Connection failed: %1"},
    {W::Settings, "SyncPage", "Trust",
     "The server's certificate is not trusted (%1). Trust this certificate for the sync from now on?"},
    {W::Settings, "SyncPage", "Hint0",
     "Where the list is synchronized|The address of a CalDAV server (its task "
     "lists are found from it) or of one task list; the password is kept in "
     "the desktop's secret store, not in the settings file."},

    // Item editor: the captions of its six boxes, label rows padded so each word stands over its control.
    {W::Editor, "Add_Edit", "Frame0", "Add Action"},
    {W::Editor, "Add_Edit", "Frame1", "Add Remarks"},
    {W::Editor, "Add_Edit", "Frame2", "  Priority  Status   Use Date in                Date in      "},
    {W::Editor, "Add_Edit", "Frame3", "    Alarm                                      Target Date   "},
    {W::Editor, "Add_Edit", "Frame4", "Enter or browse for file location"},
    {W::Editor, "Add_Edit", "Frame5",
     "    Owner           Project                        Cancel           OK"},
};
#undef BR

IniFile readLanguageFile(const QString& path)
{
    QByteArray bytes;
    if (!ReadRegularFile(path, FileLimit::Settings, bytes))
        return IniFile::fromText(QString());
    // Texts come in the code page the settings choose; a file that says it is UTF-8 (byte order mark)
    // is read as UTF-8 whatever that is.
    static const QByteArray utf8Bom("\xEF\xBB\xBF");
    return IniFile::fromText(bytes.startsWith(utf8Bom) ? QString::fromUtf8(bytes.mid(utf8Bom.size()))
                                                       : CodePage::decode(bytes));
}

// Position of section/key in the table, or -1. Names match without regard to case, as in the files.
int indexOf(const char* section, const char* key)
{
    for (size_t i = 0; i < kTable.size(); ++i) {
        if (qstricmp(kTable[i].section, section) == 0 && qstricmp(kTable[i].key, key) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

QString withSlash(QString folder)
{
    folder = QDir::cleanPath(folder);
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}
} // namespace

const std::vector<LanguageTexts::Entry>& LanguageTexts::table()
{
    return kTable;
}

LanguageTexts& LanguageTexts::shared()
{
    static LanguageTexts texts;
    return texts;
}

LanguageTexts::LanguageTexts()
{
    reset();
}

void LanguageTexts::reset()
{
    m_values.clear();
    m_values.reserve(kTable.size());
    for (const Entry& e : kTable)
        m_values.push_back(QString::fromUtf8(e.builtIn));
}

QString LanguageTexts::text(const char* section, const char* key) const
{
    const int i = indexOf(section, key);
    return i < 0 ? QString() : m_values[static_cast<size_t>(i)];
}

bool LanguageTexts::load(const QString& settingsPath, Window window)
{
    const QString path = LanguageFilePath(LanguageInEffect(settingsPath));
    if (path.isEmpty())
        return false;
    loadFile(path, window);
    return true;
}

void LanguageTexts::loadFile(const QString& path, Window window)
{
    // An unreadable file changes no text, like a missing one.
    const IniFile file = readLanguageFile(path);
    for (size_t i = 0; i < kTable.size(); ++i) {
        const Entry& e = kTable[i];
        if (e.window != window)
            continue;
        const QString value =
            file.value(QString::fromLatin1(e.section), QString::fromLatin1(e.key), QString());
        if (!value.isEmpty())
            m_values[i] = value;
    }
}

QStringList InstalledLanguageFolders()
{
    QStringList folders;
    auto add = [&folders](const QString& folder) {
        const QString f = withSlash(folder);
        if (QFileInfo(f).isDir() && !folders.contains(f))
            folders << f;
    };
    const QString program = ProgramFolder();
    add(program + QStringLiteral("languages"));            // a build tree
    add(SharedDataFolder() + QStringLiteral("languages")); // an installation under a prefix
    for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        add(data + QStringLiteral("/quillmar/languages"));
    return folders;
}

namespace {
// Where language files are looked for, the user's own first.
QStringList languageFolders()
{
    return QStringList{DataFolder()} + InstalledLanguageFolders();
}
} // namespace

QString LanguageFilePath(const QString& name)
{
    // "None" means no file; an empty name would name the folder itself; a name with a folder part is
    // not one of ours.
    if (name.isEmpty() || name == QLatin1String("None") || name.contains(QLatin1Char('/')) ||
        name == QLatin1String(".") || name == QLatin1String(".."))
        return {};
    for (const QString& folder : languageFolders()) {
        const QFileInfo info(folder + name);
        if (info.isFile())
            return info.filePath();
    }
    return {};
}

QString LanguageInEffect(const QString& settingsPath)
{
    // Only read: looking for a language never creates a settings file.
    const std::optional<QString> chosen = Config::stored(IniFile::load(settingsPath), Config::Key::Language);
    if (chosen && !chosen->isEmpty())
        return *chosen;
    // Nobody chose yet: the system's language, when a file for it ships. English is the program's own
    // (English.lng is the translators' template, without the menus' access keys).
    const QLocale::Language system = QLocale::system().language();
    const QString own = QLocale::languageToString(system) + QStringLiteral(".lng");
    return system == QLocale::English || LanguageFilePath(own).isEmpty() ? QStringLiteral("None") : own;
}

QLocale LanguageLocale(const QString& fileName)
{
    const QString name = QFileInfo(fileName).completeBaseName();
    for (int l = QLocale::AnyLanguage + 1; l <= QLocale::LastLanguage; ++l) {
        const auto language = static_cast<QLocale::Language>(l);
        if (QLocale::languageToString(language).compare(name, Qt::CaseInsensitive) == 0)
            return QLocale(language);
    }
    return QLocale::c();
}

QString LanguageDisplayName(const QString& fileName)
{
    const QString path = LanguageFilePath(fileName);
    const QString own = path.isEmpty() ? QString()
                                       : readLanguageFile(path).value(QStringLiteral("Language"),
                                                                      QStringLiteral("Name"), QString());
    if (!own.isEmpty())
        return own;
    return fileName.endsWith(QLatin1String(".lng"), Qt::CaseInsensitive) ? fileName.chopped(4) : fileName;
}

QStringList LanguageFileListing()
{
    QStringList names{QStringLiteral("None")};
    QSet<QString> seen;
    for (const QString& folder : languageFolders()) {
        const QStringList found =
            QDir(folder).entryList({QStringLiteral("*.lng")}, QDir::Files | QDir::Hidden | QDir::System);
        for (const QString& name : found) {
            if (!seen.contains(name)) {
                seen.insert(name);
                names << name;
            }
        }
    }
    return names;
}
