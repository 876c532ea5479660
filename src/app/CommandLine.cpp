#include "app/CommandLine.h"

#include "config/Paths.h"
#include "config/Settings.h"
#include "exchange/ExchangeCommands.h"
#include "model/ItemStatus.h"
#include "model/ListFile.h"
#include "platform/CodePage.h"
#include "platform/Regional.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

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

// Backslash, tab, CR and LF inside a text would break the one-line-per-item form.
QString escaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        default:
            out += c;
        }
    }
    return out;
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

int printList(const CommandLineOptions& options, QTextStream& out, QTextStream& err)
{
    const QString path =
        options.listFile.isEmpty() ? StandardListPath() : QFileInfo(options.listFile).absoluteFilePath();
    const bool history = QFileInfo(path).suffix().compare(QLatin1String("tdh"), Qt::CaseInsensitive) == 0;
    ToDoList list;
    // The standard list that was never saved is an empty list; a named file must exist.
    if (!options.listFile.isEmpty() || QFileInfo::exists(path)) {
        if (IoResult r = ReadListFile(path, !history, list); !r) {
            err << "quillmar: " << r.error << '\n';
            return 1;
        }
    }
    // Everything is gathered first, so that a failure prints nothing on standard output.
    QString text;
    for (const ToDoItem& item : list.items) {
        text += QLatin1String("item\t") + ItemStatusName(ItemStatusOf(item)) + QLatin1Char('\t') +
                QLatin1Char(item.checked() ? '1' : '0') + QLatin1Char('\t') + escaped(item.actionText());
        for (int k = 0; k < item.valueCount(); ++k)
            text += QLatin1Char('\t') + escaped(item.valueText(k));
        text += QLatin1Char('\n');
    }
    for (const QByteArray& name : list.OwnerNames)
        text += QLatin1String("owner\t") + escaped(CodePage::decode(name)) + QLatin1Char('\n');
    for (const QByteArray& name : list.ProjectNames)
        text += QLatin1String("project\t") + escaped(CodePage::decode(name)) + QLatin1Char('\n');
    out << text;
    return 0;
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
    CommandLineOptions o;
    bool help = false, version = false, optionsEnded = false;
    QStringList modes; // the mode options given, to refuse two at once
    QStringList positional;

    for (qsizetype i = 1; i < args.size(); ++i) {
        QString arg = args[i];
        if (optionsEnded || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            positional << arg;
            continue;
        }
        QString inlineValue;
        bool hasInline = false;
        if (arg.startsWith(QLatin1String("--"))) {
            const qsizetype eq = arg.indexOf(QLatin1Char('='));
            if (eq > 0) {
                inlineValue = arg.mid(eq + 1);
                arg.truncate(eq);
                hasInline = true;
            }
        }
        auto takeValue = [&](QString& target) -> bool {
            if (hasInline) {
                target = inlineValue;
            } else if (i + 1 < args.size()) {
                target = args[++i];
            } else {
                return false;
            }
            return !target.isEmpty();
        };

        if (arg == QLatin1String("--")) {
            optionsEnded = true;
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            help = true;
        } else if (arg == QLatin1String("--version") || arg == QLatin1String("-v")) {
            version = true;
        } else if (arg == QLatin1String("--data-dir")) {
            if (!takeValue(o.dataDir))
                return usageError(QStringLiteral("The option --data-dir needs a folder."));
        } else if (arg == QLatin1String("--print")) {
            if (hasInline)
                return usageError(
                    QStringLiteral("The option --print takes the list file as a separate argument."));
            modes << arg;
            o.mode = Mode::Print;
        } else if (arg == QLatin1String("--export-csv") || arg == QLatin1String("--export-html") ||
                   arg == QLatin1String("--export-ics") || arg == QLatin1String("--import-csv")) {
            if (!takeValue(o.exchangeFile))
                return usageError(QStringLiteral("The option %1 needs a file name.").arg(arg));
            modes << arg;
            o.mode = arg == QLatin1String("--export-csv")    ? Mode::ExportCSV
                     : arg == QLatin1String("--export-html") ? Mode::ExportHtml
                     : arg == QLatin1String("--export-ics")  ? Mode::ExportICalendar
                                                             : Mode::ImportCSV;
        } else {
            return usageError(QStringLiteral("Unknown option: %1").arg(args[i]));
        }
    }

    if (help) {
        o.mode = Mode::Help;
        return o;
    }
    if (version) {
        o.mode = Mode::Version;
        return o;
    }
    if (modes.size() > 1)
        return usageError(QStringLiteral("Choose only one of %1.").arg(modes.join(QLatin1String(", "))));
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

    if (!options.dataDir.isEmpty())
        SetDataFolderOverride(options.dataDir);
    InitDataPaths();
    InitSettingsFilePath();
    Regional::useSystemLocale();
    if (const QString warning = ApplyCodePageSetting(SettingsFilePath()); !warning.isEmpty())
        err << "quillmar: " << warning << '\n';

    switch (options.mode) {
    case Mode::Print:
        return printList(options, out, err);
    case Mode::ExportCSV:
        return ExportCSVCommand(options.exchangeFile, options.listFile, err);
    case Mode::ExportHtml:
        return ExportHtmlCommand(options.exchangeFile, options.listFile, err);
    case Mode::ExportICalendar:
        return ExportICalendarCommand(options.exchangeFile, options.listFile, err);
    case Mode::ImportCSV:
        return ImportCSVCommand(options.exchangeFile, options.listFile, out, err);
    default:
        return 1;
    }
}

QString CommandLine::helpText()
{
    return QStringLiteral(
        "Usage: quillmar [OPTIONS] [LISTFILE]\n"
        "\n"
        "A to-do list manager. Without options it opens its window with the standard list, or with\n"
        "LISTFILE: a \".tdo\" or \".tdx\" file, shown as a list of its own and saved back to it (the\n"
        "standard list file itself is shown as the standard list).\n"
        "\n"
        "Options:\n"
        "  --data-dir DIR              keep the list and settings files in DIR\n"
        "  --print [LISTFILE]          write the items of the list (the standard list when none is\n"
        "                              named; a \".tdh\" file is read as a history list) to standard\n"
        "                              output, one line per item, fields separated by tabs:\n"
        "                                item, status, 1 or 0 (completed), action, column values\n"
        "                              then one line \"owner\" or \"project\" per name. Inside texts,\n"
        "                              \\\\, \\t, \\r and \\n stand for backslash, tab, CR and LF.\n"
        "  --export-csv OUT [LISTFILE]  write the list to the CSV file OUT (\"-\": standard output)\n"
        "  --export-html OUT [LISTFILE] write the list to the HTML page OUT (\"-\": standard output)\n"
        "  --export-ics OUT [LISTFILE]  write the list as to-dos to the iCalendar file OUT (\"-\":\n"
        "                              standard output)\n"
        "  --import-csv IN [LISTFILE]  add the items of the CSV file IN to the list and say how many\n"
        "  --help                      show this text\n"
        "  --version                   show the version\n"
        "\n"
        "Exit status: 0 when all went well, 1 when a file could not be read or written (the message\n"
        "on standard error names it), 2 when the command line is not understood.\n");
}
