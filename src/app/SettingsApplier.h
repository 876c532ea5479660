#pragma once

#include "config/DisplaySettings.h"

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class CalendarPage;
class DesktopIntegration;
class ItemStyleModel;
class ListViewController;
class PictureToolBar;
class QAction;
class QLabel;
class QTabWidget;
class QWidget;
class SyncService;
class TFlatMenuPainter;

// Puts the settings file's display values onto the window: status colours, the list's and the memos'
// colours, the caption, the grid, the fonts, the picture behind the tool bar and the calendar page's
// colours. Owns the Tools menu's settings commands: the settings dialog and the tool bar picture.
class SettingsApplier : public QObject
{
    Q_OBJECT

public:
    struct Targets
    {
        ListViewController* list;
        ItemStyleModel* styles;
        PictureToolBar* toolBar;
        QLabel* caption;
        QTabWidget* pages;
        TFlatMenuPainter* menuPainter;
    };
    SettingsApplier(const Targets& targets, QWidget* window);

    // In the Tools menu's order.
    QList<QAction*> actions() const;
    const DisplaySettings& display() const { return m_display; }
    bool useBeginDate() const { return m_useBeginDate; }
    void setDesktopIntegration(std::shared_ptr<DesktopIntegration> integration);
    void setCalendarPage(CalendarPage* page);
    // What the dialog's sync page works through.
    void setSyncService(SyncService* service);

    // The first reading; "UseBeginDate" is read only here, later the dialog's box decides.
    void loadAtStart();
    // Reads the display values and applies them; a bad value is reported and ends the reading.
    void load();
    void retranslate();

Q_SIGNALS:
    // The values are read and applied: what keeps a copy of them takes it now.
    void applied();
    // The settings dialog closed: its language may have changed.
    void dialogClosed();

private:
    void openDialog();
    void applyCalendarColors();
    void chooseToolbarPicture();
    void removeToolbarPicture();
    // Shows the picture behind the tool bar; false when it is no readable picture (reported if asked).
    bool showToolbarPicture(const QString& path, bool reportErrors);

    Targets m_targets;
    QWidget* m_window;
    QPointer<CalendarPage> m_calendarPage;
    QAction* m_settingsAction = nullptr;
    QAction* m_pictureAction = nullptr;
    QAction* m_noPictureAction = nullptr;
    DisplaySettings m_display;
    bool m_useBeginDate = true;
    std::shared_ptr<DesktopIntegration> m_desktopIntegration;
    SyncService* m_syncService = nullptr;
};
