#include "platform/sound/QtSoundBackend.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>

QtSoundBackend::QtSoundBackend(QObject* parent) : QObject(parent) {}

QtSoundBackend::~QtSoundBackend() = default;

bool QtSoundBackend::hasAudioOutput()
{
    return !QMediaDevices::audioOutputs().isEmpty();
}

bool QtSoundBackend::play(const QUrl& source, const std::function<void()>& onUnplayable)
{
    if (!source.isValid() || !hasAudioOutput())
        return false;
    QSoundEffect*& effect = m_effects[source.toString()];
    if (!effect) {
        effect = new QSoundEffect(this);
        if (onUnplayable) {
            connect(effect, &QSoundEffect::statusChanged, this, [effect, onUnplayable] {
                if (effect->status() == QSoundEffect::Error)
                    onUnplayable();
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

extern "C" Q_DECL_EXPORT SoundBackend* quillmarCreateSoundBackend()
{
    return new QtSoundBackend;
}
