#pragma once

#include <QObject>

class ListDocument;
class QAction;
class QLabel;
class SyncController;

// The window's side of the sync: the "Synchronize" command (menu, tool bar, F5), enabled only while sync
// is set up, and the status bar panel with the last run's result. When runs happen is SyncController's.
class SyncActions : public QObject
{
    Q_OBJECT

public:
    SyncActions(ListDocument* document, QObject* parent);

    SyncController& controller() const { return *m_controller; }
    QAction* action() const { return m_action; }
    // For the status bar; the window takes it over.
    QLabel* statusPanel() const { return m_panel; }
    // Reads the [Sync] settings (at start and after the settings dialog).
    void loadSettings();
    void retranslate();

Q_SIGNALS:
    // A line for the window's hint panel (conflicts found).
    void notice(const QString& text);

private:
    SyncController* m_controller;
    QAction* m_action;
    QLabel* m_panel;
};
