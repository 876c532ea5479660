#pragma once

#include "exchange/CSVImport.h"
#include "model/ToDoItem.h"
#include "model/ToDoList.h"
#include "platform/IoResult.h"

#include <QByteArray>
#include <QString>

#include <vector>

class JobProgress;

// Whole CSV files as RFC 4180 has them, in UTF-8 (texts converted from the code page): a header line
// (CSVExportCaption), then one record per row with the Action and the eight column values, lines ended by
// CR LF. A field holding a comma, quote, CR, LF or NUL is quoted, its quotes doubled, its line breaks kept
// inside the quotes. Texts a spreadsheet would take for a formula carry the guard of CSVTextNeedsGuard.
// The completed flag is not part of a record. How files are read: CSVImport.h.

// The CSV text of rows, in their order.
QByteArray RowsToCSV(const std::vector<ToDoItem>& rows);
// Writes RowsToCSV(rows) to path, replacing it only once everything is written. progress (may be null)
// counts the rows written; once it is cancelled the file is left as it was (IoError::Cancelled).
IoResult WriteCSVFile(const QString& path, const std::vector<ToDoItem>& rows,
                      JobProgress* progress = nullptr);

// The rows of a whole CSV text; fileName only names the text in errors.
IoResult CSVToRows(QByteArrayView text, std::vector<ToDoItem>& rows, const QString& fileName = QString(),
                   CSVImportNotes* notes = nullptr);
// Reads and checks the whole file, in pieces; rows is filled only on success. A file that is not a regular
// file, is larger than FileLimit::CSV or holds a NUL byte outside quotes is refused. progress (may be null)
// counts the bytes read; once it is cancelled the read stops (IoError::Cancelled).
IoResult ReadCSVFile(const QString& path, std::vector<ToDoItem>& rows, CSVImportNotes* notes = nullptr,
                     JobProgress* progress = nullptr);
// Appends the rows of the file to list, all of them or (on any error) none. added: the number of rows.
IoResult ImportCSVFile(const QString& path, ToDoList& list, int* added = nullptr,
                       CSVImportNotes* notes = nullptr);
// What an import of added rows from path did, for the user: "Imported 3 items from FILE", or that the file
// held none, followed by what was left out (the header line, columns it does not know, long records).
QString ImportSummary(const QString& path, int added, const CSVImportNotes& notes = CSVImportNotes());
