#include "model/ListPrompter.h"

#include <cstdio>

ListPrompter::Answer UnattendedPrompter::ask(Question question, const QString&, bool withCancel)
{
    if (question == Question::SaveChangedExternal)
        return Answer::Yes;
    return withCancel ? Answer::Cancel : Answer::No;
}

QString UnattendedPrompter::chooseListToOpen(const QString&)
{
    return {};
}

QString UnattendedPrompter::chooseListToSave(const QString&)
{
    return {};
}

void UnattendedPrompter::inform(const QString& text)
{
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stderr, "quillmar: %s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}
