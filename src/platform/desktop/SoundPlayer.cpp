#include "platform/desktop/SoundPlayer.h"

#include <QFileInfo>

// The sounds live in a static library: nothing would pull their resource data into the program unless
// something registers it by name (which must happen outside any namespace).
static void ensureSoundResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(sounds);
        return true;
    }();
    Q_UNUSED(registered);
}

QUrl SoundPlayer::builtInAlarm()
{
    ensureSoundResources();
    return QUrl(QStringLiteral("qrc:/sounds/alarm.wav"));
}

QUrl SoundPlayer::alarmSource(const QString& soundFile)
{
    if (!soundFile.isEmpty()) {
        const QFileInfo info(soundFile);
        if (info.isFile())
            return QUrl::fromLocalFile(info.absoluteFilePath());
    }
    return builtInAlarm();
}

bool SoundPlayer::playAlarm(const QString& soundFile)
{
    const QUrl source = alarmSource(soundFile);
    if (play(source))
        return true;
    return source != builtInAlarm() && play(builtInAlarm());
}
