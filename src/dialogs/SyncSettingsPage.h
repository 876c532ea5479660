#pragma once

#include "config/SyncSettings.h"

#include <QPointer>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class SyncService;

// The settings dialog's "Sync" page: the server or collection URL, user and password, "Test connection"
// (its result shows on the page), the task list to use and the interval. The password is read from and
// kept in the secret store through the sync service; it never reaches the settings file. A certificate
// that fails the checks is trusted only on the user's explicit Yes.
class SyncSettingsPage : public QWidget
{
    Q_OBJECT

public:
    explicit SyncSettingsPage(QWidget* parent = nullptr);

    // Without a service the test and the password are unavailable.
    void setService(SyncService* service);
    // Shows the stored settings and asks the secret store for the password.
    void load(const SyncSettings& settings);
    // The settings as the page shows them.
    SyncSettings settings() const;
    // Whether they differ from those loaded (a file that never had sync gets no [Sync] section).
    bool changed() const { return !(settings() == m_loaded); }
    // After the settings were written: keeps the password in the secret store when it, the URL or the
    // user changed.
    void storePassword();
    void retranslate();

private:
    void testConnection();
    void updateWarning();
    // The account the page was loaded with.
    bool sameAccount(const SyncSettings& s) const;

    QLabel* m_urlLabel = nullptr;
    QLineEdit* m_urlEdit = nullptr;
    QLabel* m_warningLabel = nullptr;
    QLabel* m_userLabel = nullptr;
    QLineEdit* m_userEdit = nullptr;
    QLabel* m_passwordLabel = nullptr;
    QLineEdit* m_passwordEdit = nullptr;
    QPushButton* m_testButton = nullptr;
    QLabel* m_resultLabel = nullptr;
    QLabel* m_collectionLabel = nullptr;
    QComboBox* m_collectionCombo = nullptr;
    QLabel* m_intervalLabel = nullptr;
    QSpinBox* m_intervalSpin = nullptr;

    QPointer<SyncService> m_service;
    SyncSettings m_loaded;
    QByteArray m_trustedCertificate;
    QString m_certificateHost;
    // The password as the store gave it; storing happens only when the page shows something else.
    QString m_storedPassword;
    // Set once the store gave the password; not when it failed or was not asked.
    bool m_passwordRead = false;
};
