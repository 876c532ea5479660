#include "app/CommandLine.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMainWindow>
#include <QTextStream>

#include <cstdio>

namespace
{
QStringList rawArguments(int argc, char* argv[])
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

int runWithoutWindow(const CommandLineOptions& options, int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quillmar"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLMAR_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    const int status = CommandLine::run(options, out, err);
    out.flush();
    err.flush();
    return status;
}
} // namespace

int main(int argc, char* argv[])
{
    const CommandLineOptions options = CommandLine::parse(rawArguments(argc, argv));
    if (options.mode != CommandLineOptions::Mode::Gui)
        return runWithoutWindow(options, argc, argv);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmar"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLMAR_VERSION));
    QMainWindow w;
    w.show();
    return app.exec();
}
