#include "app/CommandLine.h"

#include "config/FolderChoices.h"
#include "config/IoMessage.h"
#include "config/Paths.h"
#include "config/Settings.h"
#include "config/SyncSettings.h"
#include "exchange/ExchangeCommands.h"
#include "exchange/sync/SyncCommand.h"
#include "model/ItemStatus.h"
#include "model/ListFile.h"
#include "platform/BufferedWriter.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/Regional.h"
#include "platform/desktop/SecretStore.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <QUrl>

#include <unistd.h>

namespace {
using Mode = CommandLineOptions::Mode;

// Exit status of a command line that cannot be understood (as usual for command-line programs).
constexpr int kUsageError = 2;

CommandLineOptions usageError(const QString& message)
{
    CommandLineOptions o;
    o.mode = Mode::Error;
    o.error = message;
    return o;
}

// The bytes of a name that the locale cannot decode: printable ASCII as it is, every other byte as \xNN.
QString shownBytes(const QByteArray& raw)
{
    QString shown;
    for (const char c : raw) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && b != '\\')
            shown += QLatin1Char(c);
        else
            shown += QStringLiteral("\\x%1").arg(b, 2, 16, QLatin1Char('0'));
    }
    return shown;
}

// The commands that take or give a file of another program. Each is one row: its option, the mode it
// sets, the name of its file in the help, what it does, and the routine that runs it. Another exchange
// format is one more mode and one more row.
struct ExchangeCommand
{
    const char* option;
    Mode mode;
    const char* fileName;
    const char* help;
    int (*run)(const CommandLineOptions& options, QTextStream& out, QTextStream& err);
};

const ExchangeCommand kExchangeCommands[] = {
    {"export-csv", Mode::ExportCSV, "OUT",
     "write the list to the CSV file OUT: RFC 4180 in UTF-8, with a header line (\"-\": standard output)",
     [](const CommandLineOptions& o, QTextStream&, QTextStream& err) {
         return ExportCSVCommand(o.exchangeFile, o.listFile, err);
     }},
    {"export-html", Mode::ExportHtml, "OUT", "write the list to the HTML page OUT (\"-\": standard output)",
     [](const CommandLineOptions& o, QTextStream&, QTextStream& err) {
         return ExportHtmlCommand(o.exchangeFile, o.listFile, err);
     }},
    {"export-ics", Mode::ExportICalendar, "OUT",
     "write the list as to-dos to the iCalendar file OUT (\"-\": standard output); OUT a folder (or "
     "ending in \"/\"): one file per to-do in it, named by its UID",
     [](const CommandLineOptions& o, QTextStream&, QTextStream& err) {
         return ExportICalendarCommand(o.exchangeFile, o.listFile, err);
     }},
    {"import-csv", Mode::ImportCSV, "IN",
     "add the items of the CSV file IN (from a spreadsheet, a script, --print --format csv or an earlier "
     "export) to the list and say what was imported",
     [](const CommandLineOptions& o, QTextStream& out, QTextStream& err) {
         return ImportCSVCommand(o.exchangeFile, o.listFile, out, err);
     }},
    {"import-ics", Mode::ImportICalendar, "IN",
     "add the to-dos of the iCalendar file IN, or of every .ics file in the folder IN, to the list and say "
     "how many and what the list cannot hold",
     [](const CommandLineOptions& o, QTextStream& out, QTextStream& err) {
         return ImportICalendarCommand(o.exchangeFile, o.listFile, out, err);
     }},
};

const ExchangeCommand* exchangeCommand(Mode mode)
{
    for (const ExchangeCommand& c : kExchangeCommands) {
        if (c.mode == mode)
            return &c;
    }
    return nullptr;
}

// The options that only say how --print lists.
const char* const kListingOptions[] = {"sort", "reverse", "status", "format"};

const QString kStatusNames = QStringLiteral("open, pending, overdue, today or completed");

int printList(const CommandLineOptions& options, QTextStream& out, QTextStream& err)
{
    const QString path =
        options.listFile.isEmpty() ? StandardListPath() : QFileInfo(options.listFile).absoluteFilePath();
    const bool history = QFileInfo(path).suffix().compare(QLatin1String("tdh"), Qt::CaseInsensitive) == 0;
    QByteArray image;
    ToDoList list;
    // The standard list that was never saved is an empty list; a named file must exist.
    if (!options.listFile.isEmpty() || QFileInfo::exists(path)) {
        if (IoResult r = ReadListFileImage(path, !history, image, list); !r) {
            err << "quillmar: " << IoMessage(r) << '\n';
            return 1;
        }
    }
    // The list is read whole before the first line goes out, so a file that cannot be read prints
    // nothing; the lines then go out as the rows are walked, through one buffer of fixed size.
    out.flush();
    BufferedWriter writer(STDOUT_FILENO, QStringLiteral("standard output"));
    ListPrinter::write(list, options.listing, Clock::today(), writer);
    if (IoResult r = writer.finish(); !r) {
        err << "quillmar: " << IoMessage(r) << '\n';
        return 1;
    }
    return 0;
}

// Stores the data folder's choices that its settings lack, once a command wrote a list the folder reads
// by them; a failure to store them fails the command (the list would be read wrongly later).
bool storeChoices(const FolderChoices& choices, QTextStream& err)
{
    if (!QFileInfo(DataFolder()).isDir())
        return true;
    if (IoResult r = choices.fix(SettingsFilePath()); !r) {
        err << "quillmar: " << IoMessage(r) << '\n';
        return false;
    }
    return true;
}

int syncList(const CommandLineOptions& options, QTextStream& out, QTextStream& err)
{
    SyncCommandOptions sync;
    sync.url = QUrl(options.syncUrl, QUrl::StrictMode);
    sync.listFile = options.listFile;
    // The account set up in the window's settings, for what the command line does not say.
    const SyncSettings saved = SyncSettings::read(SettingsFilePath());
    sync.user = options.syncUser.isEmpty() && saved.url == sync.url ? saved.user : options.syncUser;
    sync.savedCollection = saved.collection;
    // A certificate trusted in the window holds for the server it was trusted for.
    if (saved.url.host() == sync.url.host())
        sync.trustedCertificate = saved.trustedCertificate;
    // Scripts give the password in the environment; the desktop's secret store is asked otherwise. A
    // server that asks for none needs none: without one the run goes on, and a refusal names the reason.
    QString noPassword;
    sync.password = ReadSyncPassword(sync.url, sync.user, &noPassword);
    if (sync.password.isEmpty() && !noPassword.isEmpty())
        err << "quillmar: warning: " << noPassword << '\n';
    bool ok = false;
    if (const int seconds = qEnvironmentVariableIntValue("QUILLMAR_SYNC_TIMEOUT", &ok); ok && seconds > 0)
        sync.timeoutMs = seconds * 1000;
    return SyncListCommand(sync, out, err);
}

// The option as the user wrote it, for messages: "--frobnicate", or "-xyz" for a short one in a group.
QString shownOption(const QString& name, const QStringList& args)
{
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--"))
            break;
        if (arg.startsWith(QLatin1String("--"))) {
            if (arg.mid(2).section(QLatin1Char('='), 0, 0) == name)
                return arg.section(QLatin1Char('='), 0, 0);
        } else if (name.size() == 1 && arg.size() > 1 && arg.startsWith(QLatin1Char('-')) &&
                   arg.mid(1).contains(name)) {
            return arg;
        }
    }
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// What an option's value is, for the message when it is missing.
QString neededValue(const QString& option)
{
    if (option == QLatin1String("data-dir"))
        return QStringLiteral("The option --data-dir needs a folder.");
    if (option == QLatin1String("sort"))
        return QStringLiteral("The option --sort needs a column: %1.")
            .arg(ListPrinter::columnNames().join(QLatin1String(", ")));
    if (option == QLatin1String("status"))
        return QStringLiteral("The option --status needs a status: %1.").arg(kStatusNames);
    if (option == QLatin1String("format"))
        return QStringLiteral("The option --format needs tsv, csv or json.");
    if (option == QLatin1String("sync"))
        return QStringLiteral("The option --sync needs the URL of a CalDAV server or task collection.");
    if (option == QLatin1String("user"))
        return QStringLiteral("The option --user needs a user name.");
    return QStringLiteral("The option --%1 needs a file name.").arg(option);
}

// Why QCommandLineParser refused args, in the program's own words: the first unknown option, a value
// missing after the last option, or a value given to an option that takes none.
QString refusal(const QCommandLineParser& parser, const QStringList& args,
                const QList<QCommandLineOption>& options)
{
    if (!parser.unknownOptionNames().isEmpty())
        return QStringLiteral("Unknown option: %1")
            .arg(shownOption(parser.unknownOptionNames().first(), args));
    auto find = [&options](const QString& name) -> const QCommandLineOption* {
        for (const QCommandLineOption& o : options) {
            if (o.names().contains(name))
                return &o;
        }
        return nullptr;
    };
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--"))
            break;
        if (!arg.startsWith(QLatin1String("--")))
            continue;
        const QString name = arg.mid(2).section(QLatin1Char('='), 0, 0);
        const QCommandLineOption* option = find(name);
        if (!option)
            continue;
        const bool takesValue = !option->valueName().isEmpty();
        if (!takesValue && arg.contains(QLatin1Char('='))) {
            if (name == QLatin1String("print"))
                return QStringLiteral("The option --print takes the list file as a separate argument.");
            return QStringLiteral("The option --%1 takes no value.").arg(name);
        }
        if (takesValue && !arg.contains(QLatin1Char('=')) && i + 1 == args.size())
            return neededValue(name);
    }
    return parser.errorText();
}

} // namespace

QStringList CommandLine::decodeArguments(int argc, char* argv[], QString* unrepresentable)
{
    QStringList args;
    for (int i = 0; i < argc; ++i) {
        const QByteArray raw(argv[i]);
        const QString arg = QFile::decodeName(raw);
        // A name that does not come back to its own bytes would open, or create, some other file.
        if (unrepresentable && unrepresentable->isEmpty() && QFile::encodeName(arg) != raw)
            *unrepresentable = shownBytes(raw);
        args << arg;
    }
    return args;
}

CommandLineOptions CommandLine::parse(const QStringList& args)
{
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption dataDir(QStringLiteral("data-dir"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption print(QStringLiteral("print"));
    const QCommandLineOption sort(QStringLiteral("sort"), QString(), QStringLiteral("COLUMN"));
    const QCommandLineOption reverse(QStringLiteral("reverse"));
    const QCommandLineOption status(QStringLiteral("status"), QString(), QStringLiteral("STATUS"));
    const QCommandLineOption format(QStringLiteral("format"), QString(), QStringLiteral("FORMAT"));
    const QCommandLineOption sync(QStringLiteral("sync"), QString(), QStringLiteral("URL"));
    const QCommandLineOption user(QStringLiteral("user"), QString(), QStringLiteral("NAME"));
    QList<QCommandLineOption> options{help,    version, dataDir, print, sort,
                                      reverse, status,  format,  sync,  user};
    for (const ExchangeCommand& c : kExchangeCommands)
        options << QCommandLineOption(QString::fromLatin1(c.option), QString(),
                                      QString::fromLatin1(c.fileName));

    QCommandLineParser parser;
    parser.addOptions(options);
    if (!parser.parse(args))
        return usageError(refusal(parser, args, options));

    CommandLineOptions o;
    if (parser.isSet(help)) {
        o.mode = Mode::Help;
        return o;
    }
    if (parser.isSet(version)) {
        o.mode = Mode::Version;
        return o;
    }
    if (parser.isSet(dataDir)) {
        o.dataDir = parser.value(dataDir);
        if (o.dataDir.isEmpty())
            return usageError(neededValue(QStringLiteral("data-dir")));
    }

    // The modes in the order given, to refuse two at once.
    QStringList modes;
    for (const QString& name : parser.optionNames()) {
        if (name == QLatin1String("print")) {
            modes << QStringLiteral("--print");
            o.mode = Mode::Print;
            continue;
        }
        if (name == QLatin1String("sync")) {
            modes << QStringLiteral("--sync");
            o.mode = Mode::Sync;
            o.syncUrl = parser.value(sync);
            if (o.syncUrl.isEmpty())
                return usageError(neededValue(name));
            continue;
        }
        for (const ExchangeCommand& c : kExchangeCommands) {
            if (name != QLatin1String(c.option))
                continue;
            modes << QStringLiteral("--") + name;
            o.mode = c.mode;
            o.exchangeFile = parser.value(name);
            if (o.exchangeFile.isEmpty())
                return usageError(neededValue(name));
        }
    }
    if (modes.size() > 1)
        return usageError(QStringLiteral("Choose only one of %1.").arg(modes.join(QLatin1String(", "))));

    if (parser.isSet(user)) {
        if (o.mode != Mode::Sync)
            return usageError(QStringLiteral("The option --user works only with --sync."));
        o.syncUser = parser.value(user);
        if (o.syncUser.isEmpty())
            return usageError(neededValue(QStringLiteral("user")));
    }
    for (const char* listing : kListingOptions) {
        if (parser.isSet(QString::fromLatin1(listing)) && o.mode != Mode::Print)
            return usageError(QStringLiteral("The option --%1 works only with --print.").arg(listing));
    }
    if (parser.isSet(sort)) {
        const QString name = parser.value(sort);
        const std::optional<int> column = ListPrinter::columnByName(name);
        if (name.isEmpty())
            return usageError(neededValue(QStringLiteral("sort")));
        if (!column)
            return usageError(QStringLiteral("There is no column \"%1\" to sort by; the columns are %2.")
                                  .arg(name, ListPrinter::columnNames().join(QLatin1String(", "))));
        o.listing.sortColumn = *column;
    }
    o.listing.reverse = parser.isSet(reverse);
    if (o.listing.reverse && !parser.isSet(sort))
        return usageError(QStringLiteral("The option --reverse needs --sort COLUMN to say what to reverse."));
    if (parser.isSet(status)) {
        o.listing.statuses = 0;
        // Given more than once, or as a list: "--status open,today".
        for (const QString& value : parser.values(status)) {
            for (const QString& name : value.split(QLatin1Char(','))) {
                const std::optional<ItemStatus> s = ListPrinter::statusByName(name.trimmed());
                if (name.trimmed().isEmpty())
                    return usageError(neededValue(QStringLiteral("status")));
                if (!s)
                    return usageError(QStringLiteral("There is no status \"%1\"; the statuses are %2.")
                                          .arg(name, kStatusNames));
                o.listing.statuses |= ListPrinter::statusBit(*s);
            }
        }
    }
    if (parser.isSet(format)) {
        const std::optional<ListPrinter::Format> f = ListPrinter::formatByName(parser.value(format));
        if (!f)
            return usageError(parser.value(format).isEmpty()
                                  ? neededValue(QStringLiteral("format"))
                                  : QStringLiteral("There is no format \"%1\"; choose tsv, csv or json.")
                                        .arg(parser.value(format)));
        o.listing.format = *f;
    }

    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        return usageError(QStringLiteral("Only one list file can be named, not %1.").arg(positional.size()));
    if (!positional.isEmpty())
        o.listFile = positional.first();
    return o;
}

int CommandLine::run(const CommandLineOptions& options, QTextStream& out, QTextStream& err)
{
    switch (options.mode) {
    case Mode::Help:
        out << helpText();
        return 0;
    case Mode::Version:
        out << "Quillmar " << QStringLiteral(QUILLMAR_VERSION) << '\n';
        return 0;
    case Mode::Error:
        err << "quillmar: " << options.error << '\n' << "Try 'quillmar --help' for the options.\n";
        return kUsageError;
    case Mode::Gui:
        err << "quillmar: the window is not started from the command-line runner.\n";
        return 1;
    default:
        break;
    }

    // Only the window makes a data folder; a command given a mistyped one would read an empty list.
    if (!options.dataDir.isEmpty() && !QFileInfo(options.dataDir).isDir()) {
        err << "quillmar: the data folder " << QDir::toNativeSeparators(options.dataDir)
            << " does not exist\n";
        return 1;
    }
    if (!options.dataDir.isEmpty())
        SetDataFolderOverride(options.dataDir);
    InitDataPaths();
    InitSettingsFilePath();
    Regional::useSystemLocale();
    // Every command reads by the data folder's choices; only one that wrote into the folder stores them,
    // so that the folder's first list is read later as it was written. The others leave it alone.
    const FolderChoices choices = FolderChoices::ofDataFolder();
    if (const QString warning = choices.apply(); !warning.isEmpty())
        err << "quillmar: " << warning << '\n';

    switch (options.mode) {
    case Mode::Print:
        return printList(options, out, err);
    case Mode::Sync: {
        // A sync that brought a folder its first list stores how to read it, as an import does.
        const QString list = options.listFile.isEmpty() ? StandardListPath() : options.listFile;
        const bool listBefore = QFileInfo::exists(list);
        const int status = syncList(options, out, err);
        if (status == 0 || (!listBefore && QFileInfo::exists(list)))
            return storeChoices(choices, err) ? status : 1;
        return status;
    }
    default:
        if (const ExchangeCommand* command = exchangeCommand(options.mode)) {
            const int status = command->run(options, out, err);
            const bool imported = options.mode == Mode::ImportCSV || options.mode == Mode::ImportICalendar;
            if (status == 0 && imported)
                return storeChoices(choices, err) ? status : 1;
            return status;
        }
        return 1;
    }
}

QString CommandLine::helpText()
{
    // An option and its arguments, then what it does; long ones push the description to the next line.
    QString text;
    const auto option = [&text](const QString& left, const QString& description) {
        constexpr int kColumn = 32;
        const QString head = QStringLiteral("  ") + left;
        text += head;
        text += head.size() + 2 <= kColumn ? QString(kColumn - head.size(), QLatin1Char(' '))
                                           : QStringLiteral("\n") + QString(kColumn, QLatin1Char(' '));
        text += QString(description)
                    .replace(QLatin1String("\n"), QLatin1String("\n") + QString(kColumn, QLatin1Char(' ')));
        text += QLatin1Char('\n');
    };

    text += QStringLiteral(
        "Usage: quillmar [OPTIONS] [LISTFILE]\n"
        "\n"
        "A to-do list manager. Without options it opens its window with the standard list, or with\n"
        "LISTFILE: a \".tdo\" or \".tdx\" file, shown as a list of its own and saved back to it (the\n"
        "standard list file itself is shown as the standard list).\n"
        "\n"
        "Options:\n");
    option(QStringLiteral("--data-dir DIR"), QStringLiteral("keep the list and settings files in DIR"));
    option(QStringLiteral("--print [LISTFILE]"),
           QStringLiteral("write the items of the list (the standard list when none is\n"
                          "named; a \".tdh\" file is read as a history list) to standard\n"
                          "output, one line per item, fields separated by tabs:\n"
                          "  item, status, 1 or 0 (completed), action, column values\n"
                          "then one line \"owner\" or \"project\" per name. Inside texts,\n"
                          "\\\\, \\t, \\r and \\n stand for backslash, tab, CR and LF."));
    option(QStringLiteral("  --sort COLUMN"),
           QStringLiteral("list the items sorted as a click on the column's header sorts\n"
                          "them: text A to Z, numbers from the largest, dates from the\n"
                          "earliest. COLUMN: actions, priority, date-in, target,\n"
                          "remarks, owner, project-name, alarm-time or file-location"));
    option(QStringLiteral("  --reverse"), QStringLiteral("sort the other way round"));
    option(QStringLiteral("  --status STATUS"),
           QStringLiteral("list only the items of this status: open, pending, overdue,\n"
                          "today or completed; give it more than once (or \"open,today\")\n"
                          "for several"));
    option(QStringLiteral("  --format FORMAT"),
           QStringLiteral("tsv: the lines above (the default); csv: a header line, then\n"
                          "status, completed, action and the eight column values per\n"
                          "item, UTF-8, lines ended by CR LF; json: an array of one\n"
                          "object per item with named fields, and the dates and the\n"
                          "alarm time also in ISO 8601 (dateInISO, targetISO,\n"
                          "alarmTimeISO) where they can be read"));
    for (const ExchangeCommand& c : kExchangeCommands)
        option(QStringLiteral("--%1 %2 [LISTFILE]").arg(QLatin1String(c.option), QLatin1String(c.fileName)),
               QString::fromLatin1(c.help));
    option(QStringLiteral("--sync URL [LISTFILE]"),
           QStringLiteral("synchronize the list both ways with a CalDAV task collection:\n"
                          "URL is the collection's, or a server's from which it is found\n"
                          "(with several, the one chosen in the settings); the password\n"
                          "comes from QUILLMAR_SYNC_PASSWORD, else the secret store;\n"
                          "QUILLMAR_SYNC_TIMEOUT sets the seconds to wait for an answer\n"
                          "(30 by default; more for a slow or busy server).\n"
                          "Says how many items were sent, received and deleted, and the\n"
                          "conflicts (both versions are kept)"));
    option(QStringLiteral("  --user NAME"), QStringLiteral("the user name on the server"));
    option(QStringLiteral("--help"), QStringLiteral("show this text"));
    option(QStringLiteral("--version"), QStringLiteral("show the version"));
    text += QStringLiteral(
        "\n"
        "Exit status: 0 when all went well, 1 when a file could not be read or written or a sync\n"
        "failed (the message on standard error names it), 2 when the command line is not understood.\n");
    return text;
}
