#include "app/CommandLine.h"

#include <QTextStream>

// Placeholder: the foundation engineer replaces this file.
CommandLineOptions CommandLine::parse(const QStringList&)
{
    return {};
}

int CommandLine::run(const CommandLineOptions&, QTextStream&, QTextStream&)
{
    return 1;
}

QString CommandLine::helpText()
{
    return {};
}
