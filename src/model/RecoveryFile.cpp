#include "model/RecoveryFile.h"

#include "model/ListFile.h"
#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

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

ListMode modeFromName(const QByteArray& name)
{
    if (name == "Standard")
        return ListMode::Standard;
    if (name == "History")
        return ListMode::History;
    return ListMode::External;
}

// "Recovery.tdx" is copy 1, "Recovery N.tdx" copy N.
int copyNumber(const QString& fileName)
{
    if (fileName == QLatin1String("Recovery.tdx"))
        return 1;
    if (!fileName.startsWith(QLatin1String("Recovery ")) || !fileName.endsWith(QLatin1String(".tdx")))
        return 0;
    bool ok = false;
    const int n = fileName.mid(9, fileName.size() - 13).toInt(&ok);
    return ok && n >= 2 ? n : 0;
}

QString copyName(int n)
{
    return n == 1 ? QStringLiteral("Recovery.tdx") : QStringLiteral("Recovery %1.tdx").arg(n);
}
} // namespace

RecoveryFile::RecoveryFile(const QString& dataFolder) : m_folder(dataFolder) {}

QStringList RecoveryFile::copiesIn(const QString& dataFolder)
{
    const QDir dir(dataFolder);
    std::vector<std::pair<int, QString>> found;
    for (const QString& name : dir.entryList({QStringLiteral("Recovery*.tdx")}, QDir::Files | QDir::System)) {
        if (const int n = copyNumber(name); n > 0)
            found.emplace_back(n, dir.filePath(name));
    }
    std::sort(found.begin(), found.end());
    QStringList paths;
    for (const auto& f : found)
        paths << f.second;
    return paths;
}

bool RecoveryFile::isCopy(const QString& dataFolder, const QString& path)
{
    const QFileInfo file(path);
    return copyNumber(file.fileName()) > 0 &&
           QDir::cleanPath(file.absolutePath()) == QDir::cleanPath(QFileInfo(dataFolder).absoluteFilePath());
}

QString RecoveryFile::infoPathOf(const QString& listPath)
{
    return listPath.chopped(4) + QStringLiteral(".ini");
}

QString RecoveryFile::freeName() const
{
    const QDir dir(m_folder);
    for (int n = 1;; ++n) {
        const QString path = dir.filePath(copyName(n));
        if (!QFileInfo(path).exists() && !QFileInfo(path).isSymLink() &&
            !QFileInfo(infoPathOf(path)).exists())
            return path;
    }
}

QString RecoveryFile::listPath() const
{
    return m_own.isEmpty() ? freeName() : m_own;
}

bool RecoveryFile::exists() const
{
    return !m_own.isEmpty() && QFileInfo::exists(m_own);
}

IoResult RecoveryFile::write(const ToDoList& list, const Origin& origin)
{
    const QString path = listPath();
    // The description first: a copy without one would be restored as a new list, which loses nothing.
    QByteArray info = "[Recovery]\nMode=" + QByteArray(modeName(origin.mode)) +
                      "\nFile=" + origin.fileName.toUtf8().toPercentEncoding("/ ") +
                      "\nWritten=" + origin.written.toString(Qt::ISODateWithMs).toLatin1() + '\n';
    if (origin.stampKnown)
        info += "Stamp=" + origin.stamp.toText() + '\n';
    if (IoResult r = AtomicFile::save(infoPathOf(path), info, AtomicFile::Ownership::ProgramFile); !r)
        return r;
    m_own = path;
    AtomicFile file(path, AtomicFile::Ownership::ProgramFile);
    if (IoResult r = file.open(); !r)
        return r;
    file.write(SerializeList(list, true));
    return file.commit();
}

IoResult RecoveryFile::read(ToDoList& list, Origin& origin, const QString& listPath) const
{
    const QString path = listPath.isEmpty() ? m_own : listPath;
    if (IoResult r = ReadListFile(path, true, list); !r)
        return r;
    origin = Origin();
    QByteArray info;
    if (!ReadRegularFile(infoPathOf(path), FileLimit::Settings, info))
        return IoResult::success();
    for (const QByteArray& line : info.split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0)
            continue;
        const QByteArray key = line.left(eq).trimmed();
        const QByteArray value = line.mid(eq + 1).trimmed();
        if (key == "Mode")
            origin.mode = modeFromName(value);
        else if (key == "File")
            origin.fileName = QString::fromUtf8(QByteArray::fromPercentEncoding(value));
        else if (key == "Written")
            origin.written = QDateTime::fromString(QString::fromLatin1(value), Qt::ISODateWithMs);
        else if (key == "Stamp")
            origin.stamp = FileStamp::fromText(value, &origin.stampKnown);
    }
    // A copy of a named list that lost its description is restored as a new list: that loses nothing.
    return IoResult::success();
}

void RecoveryFile::adopt(const QString& listPath)
{
    m_own = listPath;
}

void RecoveryFile::remove(const QString& listPath)
{
    const QString path = listPath.isEmpty() ? m_own : listPath;
    if (path.isEmpty())
        return;
    QFile::remove(path);
    QFile::remove(infoPathOf(path));
    if (path == m_own)
        m_own.clear();
}
