#include "dialogs/SyncSettingsPage.h"

#include "config/LanguageTexts.h"
#include "dialogs/MessageBox.h"
#include "exchange/sync/ListSync.h"
#include "exchange/sync/SyncService.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace {
QString text(const char* key)
{
    return LanguageTexts::shared().text("SyncPage", key);
}

template <typename W> W* named(W* w, const char* name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

// What the user typed, without the blanks a paste brings along; "example.org/dav" means https.
QUrl typedUrl(const QString& typed)
{
    const QString t = typed.trimmed();
    if (t.isEmpty())
        return {};
    return QUrl(t.contains(QLatin1String("://")) ? t : QStringLiteral("https://") + t);
}
} // namespace

SyncSettingsPage::SyncSettingsPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SyncPage"));
    m_urlLabel = named(new QLabel(this), "LblSyncUrl");
    m_urlEdit = named(new QLineEdit(this), "EdtSyncUrl");
    m_urlEdit->setPlaceholderText(QStringLiteral("https://"));
    m_warningLabel = named(new QLabel(this), "LblSyncWarning");
    m_warningLabel->setWordWrap(true);
    m_warningLabel->setStyleSheet(QStringLiteral("color: #b00000"));
    m_warningLabel->hide();
    m_userLabel = named(new QLabel(this), "LblSyncUser");
    m_userEdit = named(new QLineEdit(this), "EdtSyncUser");
    m_passwordLabel = named(new QLabel(this), "LblSyncPassword");
    m_passwordEdit = named(new QLineEdit(this), "EdtSyncPassword");
    m_passwordEdit->setEchoMode(QLineEdit::Password);
    m_testButton = named(new QPushButton(this), "BtnSyncTest");
    m_testButton->setAutoDefault(false);
    m_resultLabel = named(new QLabel(this), "LblSyncResult");
    m_resultLabel->setWordWrap(true);
    m_resultLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_collectionLabel = named(new QLabel(this), "LblSyncCollection");
    m_collectionCombo = named(new QComboBox(this), "CbxSyncCollection");
    m_intervalLabel = named(new QLabel(this), "LblSyncInterval");
    m_intervalSpin = named(new QSpinBox(this), "EdtSyncInterval");
    m_intervalSpin->setRange(0, SyncSettings::kMaxIntervalMinutes);
    for (auto [label, buddy] : {std::pair<QLabel*, QWidget*>{m_urlLabel, m_urlEdit},
                                {m_userLabel, m_userEdit},
                                {m_passwordLabel, m_passwordEdit},
                                {m_collectionLabel, m_collectionCombo},
                                {m_intervalLabel, m_intervalSpin}})
        label->setBuddy(buddy);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_urlLabel, 0, 0);
    grid->addWidget(m_urlEdit, 0, 1, 1, 2);
    grid->addWidget(m_warningLabel, 1, 1, 1, 2);
    grid->addWidget(m_userLabel, 2, 0);
    grid->addWidget(m_userEdit, 2, 1, 1, 2);
    grid->addWidget(m_passwordLabel, 3, 0);
    grid->addWidget(m_passwordEdit, 3, 1, 1, 2);
    grid->addWidget(m_testButton, 4, 1);
    grid->addWidget(m_resultLabel, 5, 1, 1, 2);
    grid->addWidget(m_collectionLabel, 6, 0);
    grid->addWidget(m_collectionCombo, 6, 1, 1, 2);
    grid->addWidget(m_intervalLabel, 7, 0);
    grid->addWidget(m_intervalSpin, 7, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(8, 1);

    connect(m_urlEdit, &QLineEdit::textChanged, this, &SyncSettingsPage::updateWarning);
    // A task list found at the old address does not belong to a new one: the address itself is used
    // until a test finds the lists there.
    connect(m_urlEdit, &QLineEdit::textEdited, m_collectionCombo, &QComboBox::clear);
    connect(m_testButton, &QPushButton::clicked, this, &SyncSettingsPage::testConnection);
    setService(nullptr);
    retranslate();
}

void SyncSettingsPage::retranslate()
{
    m_urlLabel->setText(text("Url"));
    m_warningLabel->setText(text("Warning"));
    m_userLabel->setText(text("User"));
    m_passwordLabel->setText(text("Password"));
    m_testButton->setText(text("Test"));
    m_collectionLabel->setText(text("Collection"));
    m_intervalLabel->setText(text("Interval"));
    m_intervalSpin->setSuffix(QLatin1Char(' ') + text("Minutes"));
    m_intervalSpin->setSpecialValueText(text("IntervalZero"));
    m_intervalSpin->setMinimumWidth(m_intervalSpin->fontMetrics().horizontalAdvance(text("IntervalZero")) +
                                    48);
    const QString hint = text("Hint0");
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    m_urlEdit->setToolTip(bar < 0 ? hint : hint.left(bar));
    m_urlEdit->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

void SyncSettingsPage::setService(SyncService* service)
{
    m_service = service;
    m_testButton->setEnabled(service != nullptr);
}

void SyncSettingsPage::load(const SyncSettings& settings)
{
    m_loaded = settings;
    m_trustedCertificate = settings.trustedCertificate;
    m_certificateHost = settings.url.host();
    m_urlEdit->setText(settings.url.toString());
    m_userEdit->setText(settings.user);
    m_intervalSpin->setValue(settings.intervalMinutes);
    m_collectionCombo->clear();
    if (!settings.collection.isEmpty())
        m_collectionCombo->addItem(settings.collection.toDisplayString(), settings.collection);
    m_passwordEdit->clear();
    m_storedPassword.clear();
    m_passwordRead = false;
    // No password saved: the store is not asked (there may be none on this desktop).
    if (!m_service || !settings.isSetUp() || !settings.passwordInKeyring)
        return;
    QPointer<SyncSettingsPage> self(this);
    m_service->readPassword(settings.url, settings.user,
                            [self](const QString& password, const QString& error) {
                                if (!self)
                                    return;
                                if (!error.isEmpty()) {
                                    self->m_resultLabel->setText(error);
                                    return;
                                }
                                self->m_passwordRead = true;
                                self->m_storedPassword = password;
                                // Typed before the store answered: the user's text stays.
                                if (self->m_passwordEdit->text().isEmpty())
                                    self->m_passwordEdit->setText(password);
                            });
}

SyncSettings SyncSettingsPage::settings() const
{
    SyncSettings s;
    s.url = typedUrl(m_urlEdit->text());
    s.user = m_userEdit->text().trimmed();
    s.collection = m_collectionCombo->currentData().toUrl();
    s.intervalMinutes = m_intervalSpin->value();
    // A certificate trusted for one server means nothing for another.
    if (s.url.host() == m_certificateHost)
        s.trustedCertificate = m_trustedCertificate;
    // An empty field keeps a saved password the store did not show (it failed, or has not answered yet).
    s.passwordInKeyring = !m_passwordEdit->text().isEmpty() ||
                          (sameAccount(s) && m_loaded.passwordInKeyring && !m_passwordRead);
    return s;
}

void SyncSettingsPage::storePassword()
{
    if (!m_service)
        return;
    const SyncSettings s = settings();
    const bool same = sameAccount(s);
    const QString password = m_passwordEdit->text();
    // An unchanged field for the same account stores nothing; one the store never filled (it failed, or
    // has not answered yet) is stored only when the user typed something.
    if (same && (m_passwordRead ? password == m_storedPassword : password.isEmpty()))
        return;
    // An empty field removes only a password that was saved: the store is not asked for nothing.
    if (!s.isSetUp() || (password.isEmpty() && !(same && m_loaded.passwordInKeyring)))
        return;
    m_service->storePassword(s.url, s.user, password, nullptr);
}

bool SyncSettingsPage::sameAccount(const SyncSettings& s) const
{
    return s.url == m_loaded.url && s.user == m_loaded.user;
}

void SyncSettingsPage::updateWarning()
{
    m_warningLabel->setVisible(SyncUrlIsInsecure(typedUrl(m_urlEdit->text())));
}

void SyncSettingsPage::testConnection()
{
    if (!m_service)
        return;
    const SyncSettings s = settings();
    if (!s.isSetUp()) {
        m_resultLabel->setText(text("TestFailed").arg(text("Url")));
        m_urlEdit->setFocus();
        return;
    }
    m_testButton->setEnabled(false);
    m_resultLabel->setText(text("Testing"));
    const SyncAccount account{s.url, s.user, m_passwordEdit->text(), s.trustedCertificate};
    QPointer<SyncSettingsPage> self(this);
    m_service->findCollections(account, [self, chosen = s.collection](const SyncReport& report,
                                                                      const QList<SyncCollection>& found) {
        if (!self)
            return;
        self->m_testButton->setEnabled(true);
        if (!report.untrustedCertificate.isEmpty()) {
            self->m_resultLabel->setText(
                text("TestFailed")
                    .arg(report.error.isEmpty() ? report.certificateDescription : report.error));
            // Trusting a certificate is the user's explicit choice, asked once per test; then the test
            // runs again with it.
            // No is the default: Enter must not trust a certificate.
            if (MessageBox::message(self, QStringLiteral("Quillmar"),
                                    text("Trust").arg(report.certificateDescription),
                                    MessageBox::Icon::Warning, {MessageBox::Yes, MessageBox::No},
                                    MessageBox::No) == MessageBox::Yes) {
                self->m_trustedCertificate = report.untrustedCertificate;
                self->m_certificateHost = self->settings().url.host();
                self->testConnection();
            }
            return;
        }
        if (!report.ok) {
            self->m_resultLabel->setText(text("TestFailed").arg(report.error));
            return;
        }
        self->m_resultLabel->setText(found.isEmpty() ? text("NoneFound") : text("Found").arg(found.size()));
        if (found.isEmpty())
            return;
        self->m_collectionCombo->clear();
        for (const SyncCollection& c : found) {
            const QString shown = c.name.isEmpty() ? c.url.toDisplayString()
                                                   : QStringLiteral("%1 (%2)").arg(c.name, c.url.path());
            self->m_collectionCombo->addItem(shown, c.url);
        }
        const int kept = self->m_collectionCombo->findData(chosen);
        self->m_collectionCombo->setCurrentIndex(kept >= 0 ? kept : 0);
    });
}
