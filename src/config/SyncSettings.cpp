#include "config/SyncSettings.h"

#include "config/Config.h"
#include "config/IniFile.h"
#include "config/Settings.h"

#include <algorithm>

namespace {
using Key = Config::Key;
} // namespace

SyncSettings SyncSettings::read(const IniFile& ini)
{
    SyncSettings s;
    s.url = QUrl(Config::text(ini, Key::SyncUrl));
    s.user = Config::text(ini, Key::SyncUser);
    s.collection = QUrl(Config::text(ini, Key::SyncCollection));
    const std::optional<int> minutes = Config::integer(ini, Key::SyncInterval);
    if (minutes && *minutes >= 0)
        s.intervalMinutes = std::min(*minutes, kMaxIntervalMinutes);
    s.trustedCertificate = QByteArray::fromHex(Config::text(ini, Key::SyncTrustedCertificate).toLatin1());
    s.passwordInKeyring = Config::flag(ini, Key::SyncPasswordInKeyring);
    return s;
}

SyncSettings SyncSettings::read(const QString& file)
{
    // Only read: a program that never set up sync does not get a settings file from looking.
    return read(IniFile::load(file));
}

void SyncSettings::writeTo(IniFile& ini) const
{
    Config::setText(ini, Key::SyncUrl, url.toString());
    Config::setText(ini, Key::SyncUser, user);
    Config::setText(ini, Key::SyncCollection, collection.toString());
    Config::setInteger(ini, Key::SyncInterval, intervalMinutes);
    Config::setText(ini, Key::SyncTrustedCertificate, QString::fromLatin1(trustedCertificate.toHex()));
    Config::setFlag(ini, Key::SyncPasswordInKeyring, passwordInKeyring);
}

IoResult SyncSettings::write(const QString& file) const
{
    return ChangeIniFile(file, [this](IniFile& ini) { writeTo(ini); });
}
