#include "model/RecoveryFile.h"

#include "model/ListFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {
const char* modeName(ListMode mode)
{
    switch (mode) {
    case ListMode::Standard:
        return "Standard";
    case ListMode::History:
        return "History";
    default:
        return "External";
    }
}

ListMode modeFromName(const QString& name)
{
    if (name == QLatin1String("Standard"))
        return ListMode::Standard;
    if (name == QLatin1String("History"))
        return ListMode::History;
    return ListMode::External;
}
} // namespace

RecoveryFile::RecoveryFile(const QString& dataFolder)
    : m_listPath(QDir(dataFolder).filePath(QStringLiteral("Recovery.tdx"))),
      m_infoPath(QDir(dataFolder).filePath(QStringLiteral("Recovery.ini")))
{
}

bool RecoveryFile::exists() const
{
    return QFileInfo::exists(m_listPath);
}

IoResult RecoveryFile::write(const ToDoList& list, const Origin& origin)
{
    // The description first: a copy without one would be restored as a new list, which loses nothing.
    {
        QSettings info(m_infoPath, QSettings::IniFormat);
        info.setValue(QStringLiteral("Recovery/Mode"), QString::fromLatin1(modeName(origin.mode)));
        info.setValue(QStringLiteral("Recovery/File"), origin.fileName);
        info.setValue(QStringLiteral("Recovery/Written"), origin.written.toString(Qt::ISODate));
        info.sync();
        if (info.status() != QSettings::NoError)
            return IoResult::failure(
                QStringLiteral("Cannot write file %1").arg(QDir::toNativeSeparators(m_infoPath)));
    }
    return SaveListFile(list, m_listPath);
}

IoResult RecoveryFile::read(ToDoList& list, Origin& origin) const
{
    if (IoResult r = ReadListFile(m_listPath, true, list); !r)
        return r;
    const QSettings info(m_infoPath, QSettings::IniFormat);
    origin.mode = modeFromName(info.value(QStringLiteral("Recovery/Mode")).toString());
    origin.fileName = info.value(QStringLiteral("Recovery/File")).toString();
    origin.written =
        QDateTime::fromString(info.value(QStringLiteral("Recovery/Written")).toString(), Qt::ISODate);
    return IoResult::success();
}

void RecoveryFile::remove()
{
    QFile::remove(m_listPath);
    QFile::remove(m_infoPath);
}
