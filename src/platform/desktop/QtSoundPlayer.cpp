#include "platform/desktop/QtSoundPlayer.h"

#include "platform/ProgramModules.h"
#include "platform/desktop/SoundBackend.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

QtSoundPlayer::QtSoundPlayer() = default;

QtSoundPlayer::~QtSoundPlayer() = default;

QStringList QtSoundPlayer::moduleCandidates()
{
    return ModuleCandidates(QStringLiteral("quillmar-sound.so"));
}

SoundBackend* QtSoundPlayer::backend()
{
    if (m_loadTried)
        return m_backend.get();
    m_loadTried = true;
    for (const QString& candidate : moduleCandidates()) {
        if (!QFileInfo(candidate).isFile())
            continue;
        // Never unloaded: Qt Multimedia keeps threads and objects of its own until the program ends.
        QLibrary* module = new QLibrary(candidate, qApp);
        module->setLoadHints(QLibrary::PreventUnloadHint);
        const auto create = reinterpret_cast<CreateSoundBackend>(module->resolve(kCreateSoundBackend));
        if (!create)
            continue;
        m_backend.reset(create());
        break;
    }
    return m_backend.get();
}

bool QtSoundPlayer::play(const QUrl& source)
{
    if (!source.isValid())
        return false;
    SoundBackend* sound = backend();
    if (!sound)
        return false;
    std::function<void()> fallBack;
    if (source != builtInAlarm())
        fallBack = [this] { play(builtInAlarm()); };
    return sound->play(source, fallBack);
}
