#pragma once

#include <QString>
#include <QUrl>

// Plays short wave sounds (the alarm) without waiting for them to end. The window holds one player;
// tests put a recording one in its place.
class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;

    // Starts the sound and returns at once. False when it cannot be heard: no audio output, or a sound
    // that cannot be loaded. Never shows a message.
    virtual bool play(const QUrl& source) = 0;

    // The user's sound file, or the built-in chime when there is none or it cannot be played.
    bool playAlarm(const QString& soundFile);

    // The chime carried in the program's resources ("ALARM").
    static QUrl builtInAlarm();
    // The user's sound file when it names an existing file, otherwise the built-in chime.
    static QUrl alarmSource(const QString& soundFile);
};
