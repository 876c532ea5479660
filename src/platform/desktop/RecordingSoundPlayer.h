#pragma once

#include "platform/desktop/SoundPlayer.h"

#include <QList>

// A player for tests: remembers what it was asked to play and plays nothing.
class RecordingSoundPlayer : public SoundPlayer
{
public:
    bool play(const QUrl& source) override;

    QList<QUrl> played;
    // What play() answers, so tests can stand for a machine without audio output, or for a sound file
    // that cannot be played.
    bool audible = true;
    QList<QUrl> unplayable;
};
