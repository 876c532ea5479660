#pragma once

#include <QString>

class QTextStream;

// The window-free exchange commands of the command line. The data paths, code page and regional layers
// are set up by the caller. listFile empty means the standard list. Errors go to err; the result is the
// exit status (0 or 1), and on failure no file has been changed.
int ExportCsvCommand(const QString& outFile, const QString& listFile, QTextStream& err);
int ExportHtmlCommand(const QString& outFile, const QString& listFile, QTextStream& err);
// Takes the data folder's lock for its run and refuses when a window holds it.
int ImportCsvCommand(const QString& inFile, const QString& listFile, QTextStream& err);
