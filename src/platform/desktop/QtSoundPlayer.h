#pragma once

#include "platform/desktop/SoundPlayer.h"

#include <memory>

class SoundBackend;

// Plays through the sound module (Qt Multimedia), which it loads on the first sound. A sound that turns
// out not to be playable once it has loaded rings the built-in chime instead. Without the module, or
// without an audio output, nothing can be heard and play() says so.
class QtSoundPlayer : public SoundPlayer
{
public:
    QtSoundPlayer();
    ~QtSoundPlayer() override;

    bool play(const QUrl& source) override;

    // Where the module is looked for: beside the program, in the library folder of an installed copy, and
    // where the build put it.
    static QStringList moduleCandidates();

private:
    // Loads the module once; null when it cannot be loaded.
    SoundBackend* backend();

    std::unique_ptr<SoundBackend> m_backend;
    bool m_loadTried = false;
};
