#pragma once

#include "model/ToDoItem.h"
#include "model/ToDoList.h"
#include "platform/IoResult.h"

#include <QByteArray>
#include <QString>

#include <vector>

// Whole CSV files: one record per row (the Action, then the column values the row holds), every line
// ended by CR LF, no header, texts as the bytes of the code page. The completed flag is not part of a
// record.

// The CSV text of rows, in their order.
QByteArray RowsToCSV(const std::vector<ToDoItem>& rows);
// Writes RowsToCSV(rows) to path, replacing it only once everything is written.
IoResult WriteCSVFile(const QString& path, const std::vector<ToDoItem>& rows);

// A new, not completed row: the Action from field 0 and the eight column values from fields 1..8, empty
// where the record is shorter; later fields are dropped.
ToDoItem RowFromCSVFields(const std::vector<QByteArrayView>& fields);
// The rows of a whole CSV text. Checks the text against the code page first (with UTF-8, the text must be
// valid UTF-8; a leading byte-order mark is dropped); fileName only names the file in errors.
IoResult CSVToRows(QByteArrayView text, std::vector<ToDoItem>& rows, const QString& fileName = QString());
// Reads and checks the whole file; rows is filled only on success. A file that is not a regular file, is
// larger than FileLimit::CSV or holds a NUL byte is refused.
IoResult ReadCSVFile(const QString& path, std::vector<ToDoItem>& rows);
// Appends the rows of the file to list, all of them or (on any error) none. added: the number of rows.
IoResult ImportCSVFile(const QString& path, ToDoList& list, int* added = nullptr);
// What an import of added rows from path did, for the user: "Imported 3 items from FILE", or that the file
// held none.
QString ImportSummary(const QString& path, int added);
