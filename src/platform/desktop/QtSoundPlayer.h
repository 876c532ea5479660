#pragma once

#include "platform/desktop/SoundPlayer.h"

#include <QObject>

#include <map>
#include <memory>

class QSoundEffect;

// Plays through Qt Multimedia. Each sound is loaded once and kept, so an alarm that rings again starts at
// once. With no audio output QSoundEffect still claims to play, so that case is checked first.
class QtSoundPlayer : public QObject, public SoundPlayer
{
    Q_OBJECT

public:
    explicit QtSoundPlayer(QObject* parent = nullptr);
    ~QtSoundPlayer() override;

    bool play(const QUrl& source) override;

    static bool hasAudioOutput();

private:
    std::map<QString, QSoundEffect*> m_effects;
};
