#pragma once

#include "platform/desktop/SoundBackend.h"

#include <QObject>

#include <map>

class QSoundEffect;

// Plays through Qt Multimedia. Each sound is loaded once and kept, so an alarm that rings again starts at
// once. With no audio output QSoundEffect still claims to play, so that case is checked first.
class QtSoundBackend : public QObject, public SoundBackend
{
    Q_OBJECT

public:
    explicit QtSoundBackend(QObject* parent = nullptr);
    ~QtSoundBackend() override;

    bool hasAudioOutput() override;
    bool play(const QUrl& source, const std::function<void()>& onUnplayable) override;

private:
    std::map<QString, QSoundEffect*> m_effects;
};
