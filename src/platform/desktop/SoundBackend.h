#pragma once

#include <QUrl>

#include <functional>

// What the sound module (quillmar-sound, built on Qt Multimedia) offers the program. The module, and with
// it Qt Multimedia and the audio system's libraries, is loaded only when the first sound is to be played:
// a start that rings no alarm never loads them.
class SoundBackend
{
public:
    virtual ~SoundBackend() = default;
    // False on a machine without an audio output (where Qt would still claim to play).
    virtual bool hasAudioOutput() = 0;
    // Starts source, loading it first when it is new, and returns at once; onUnplayable runs later if the
    // sound turns out not to be playable once loaded. False when it is known now that it cannot be played.
    virtual bool play(const QUrl& source, const std::function<void()>& onUnplayable) = 0;
};

// The one function the module exports, by this name: a new backend, owned by the caller.
using CreateSoundBackend = SoundBackend* (*)();
inline constexpr char kCreateSoundBackend[] = "quillmarCreateSoundBackend";
