#include "platform/desktop/RecordingSoundPlayer.h"

bool RecordingSoundPlayer::play(const QUrl& source)
{
    played.append(source);
    return audible && !unplayable.contains(source);
}
