#include "platform/desktop/QtSoundPlayer.h"

#include "platform/desktop/SoundBackend.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

QtSoundPlayer::QtSoundPlayer() = default;

QtSoundPlayer::~QtSoundPlayer() = default;

QStringList QtSoundPlayer::moduleCandidates()
{
    const QString name = QStringLiteral("quillmar-sound.so");
    const QDir program(QCoreApplication::applicationDirPath());
    return {program.filePath(name),
            QDir::cleanPath(program.filePath(QStringLiteral(QUILLMAR_SOUND_MODULE_INSTALLED_DIR)) +
                            QLatin1Char('/') + name),
            QStringLiteral(QUILLMAR_SOUND_MODULE_BUILT)};
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
