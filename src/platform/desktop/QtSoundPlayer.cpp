#include "platform/desktop/QtSoundPlayer.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>

QtSoundPlayer::QtSoundPlayer(QObject* parent) : QObject(parent) {}

QtSoundPlayer::~QtSoundPlayer() = default;

bool QtSoundPlayer::hasAudioOutput()
{
    return !QMediaDevices::audioOutputs().isEmpty();
}

bool QtSoundPlayer::play(const QUrl& source)
{
    if (!source.isValid() || !hasAudioOutput())
        return false;
    QSoundEffect*& effect = m_effects[source.toString()];
    if (!effect) {
        effect = new QSoundEffect(this);
        // A file that turns out not to be a playable sound once it has loaded rings the chime instead.
        if (source != builtInAlarm()) {
            connect(effect, &QSoundEffect::statusChanged, this, [this, effect] {
                if (effect->status() == QSoundEffect::Error)
                    play(builtInAlarm());
            });
        }
        effect->setSource(source);
    }
    if (effect->status() == QSoundEffect::Error)
        return false;
    // A sound still loading starts as soon as it is ready.
    effect->play();
    return true;
}
