#pragma once

#include "exchange/CSVCaptions.h"
#include "model/ToDoItem.h"
#include "platform/IoResult.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class JobProgress;

// How a CSV file is read. Two readings exist and where they differ the file decides, as a whole:
//   1. A first line that names columns (at least two known names: the export's and the listing's captions,
//      those of the shipped languages and of the language in use; or, for one column, exactly one caption
//      as they spell it) makes the file RFC 4180 with the columns in the header's order, separated by the
//      separator that splits the header into names.
//   2. Otherwise, when every line is exactly what earlier versions wrote for the fields read from it (each
//      field in their form for its text, the last one closed by a comma too), the file is read line by
//      line in their forms (CSVConvert.h): a line is a record, whatever quotes it holds.
//   3. Otherwise RFC 4180, separated by whichever of comma, semicolon or tab the first record holds most
//      of outside quotes (a tie goes to the comma, then the semicolon).
//   4. When the RFC 4180 reading meets a quoted field that nothing closes, or text after a closing
//      quote, but the line-by-line reading closes every field, the file is read line by line.
//   Otherwise the RFC 4180 failure refuses the file with its line; nothing is imported.
// Records without a header fill Action and the eight columns in order. A blank line is no record.
// The bytes: a byte-order mark (UTF-8, UTF-16) names the encoding; without one the text is UTF-8 when
// all of it is valid UTF-8, else the code page's bytes (refused when the code page is UTF-8). Texts are
// stored in the code page; a character it cannot hold refuses the file.

// What an import found besides its rows, for the summary.
struct CSVImportNotes
{
    // Read line by line in the forms of earlier versions (rules 2 and 4).
    bool earlierForm = false;
    char separator = ',';
    bool header = false;
    // Header captions that name no column, in order.
    QStringList unknownColumns;
    // Records with non-empty fields beyond the columns read (the ninth field, or the header's last).
    int longRecords = 0;
};

// The rows of a CSV file (path) or text; fileName names the text in messages. rows is filled only on
// success.
// progress (may be null) counts the bytes read; once it is cancelled the read stops with IoError::Cancelled.
IoResult ReadCSV(const QString& path, QByteArrayView text, const QString& fileName,
                 std::vector<ToDoItem>& rows, CSVImportNotes* notes, JobProgress* progress = nullptr);
