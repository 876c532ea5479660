#pragma once

#include "exchange/ListPrinter.h"

#include <QString>
#include <QStringList>

class QTextStream;

// What the program was asked to do on its command line.
struct CommandLineOptions
{
    enum class Mode
    {
        Gui,
        Help,
        Version,
        Print,
        ExportCSV,
        ExportHtml,
        ExportICalendar,
        ImportCSV,
        ImportICalendar,
        Sync,
        Error
    };

    Mode mode = Mode::Gui;
    QString dataDir;  // --data-dir DIR; empty for the default data folder
    QString listFile; // the optional list file; empty for the standard list
    QString
        exchangeFile; // OUT of --export-csv / --export-html / --export-ics, IN of --import-csv / --import-ics
    QString syncUrl;  // URL of --sync
    QString syncUser; // --user NAME
    QString error;    // for Mode::Error: what is wrong with the arguments
    // How --print lists the items: --sort, --reverse, --status, --format.
    ListPrinter::Options listing;
};

class CommandLine
{
public:
    // The program's arguments as the system gives them, file names decoded as QFile::decodeName does.
    // The first argument that would not encode back to its own bytes is shown in unrepresentable (its
    // bytes, the undecodable ones as \xNN); such a name cannot be used.
    static QStringList decodeArguments(int argc, char* argv[], QString* unrepresentable);
    // args as decodeArguments gives them (program name first).
    static CommandLineOptions parse(const QStringList& args);
    // Runs every mode but Gui without a window and returns the exit status. Sets up the data paths
    // (honouring --data-dir) and the code page and regional layers first.
    static int run(const CommandLineOptions& options, QTextStream& out, QTextStream& err);
    static QString helpText();
};
