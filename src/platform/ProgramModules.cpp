#include "platform/ProgramModules.h"

#include <QCoreApplication>
#include <QDir>

QStringList ModuleCandidates(const QString& fileName)
{
    const QDir program(QCoreApplication::applicationDirPath());
    return {program.filePath(fileName),
            QDir::cleanPath(program.filePath(QStringLiteral(QUILLMAR_MODULE_INSTALLED_DIR)) +
                            QLatin1Char('/') + fileName),
            QDir(QStringLiteral(QUILLMAR_MODULE_BUILD_DIR)).filePath(fileName)};
}
