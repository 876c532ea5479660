#include "model/ListPrompter.h"

#include <cstdio>

ListPrompter::Answer UnattendedPrompter::ask(Question question, const QString&, bool)
{
    // Saving loses nothing; everything else is left unanswered, which is never taken as "go ahead and
    // lose it" nor as "throw the copy away".
    return question == Question::SaveChangedExternal ? Answer::Yes : Answer::Cancel;
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
