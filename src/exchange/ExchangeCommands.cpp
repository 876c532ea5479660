#include "exchange/ExchangeCommands.h"

#include <QTextStream>

// Placeholder until the CSV and HTML writers land.
int ExportCsvCommand(const QString&, const QString&, QTextStream& err)
{
    err << "CSV export is not available yet.\n";
    return 1;
}

int ExportHtmlCommand(const QString&, const QString&, QTextStream& err)
{
    err << "HTML export is not available yet.\n";
    return 1;
}

int ImportCsvCommand(const QString&, const QString&, QTextStream& err)
{
    err << "CSV import is not available yet.\n";
    return 1;
}
