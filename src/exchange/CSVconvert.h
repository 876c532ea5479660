#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>

// One CSV record <-> one line. Texts are the bytes of the code page and are never recoded.
//
// Each field is written as its text followed by a closing separator, the last field included, in the
// first of three forms that fits:
//   holds a comma or a line break      "text",
//   holds a quote                      ""text"",
//   anything else                      text,
// Quotes inside a text are written as they are. A reader tells the form by the field's first two bytes
// (quote + non-quote, quote + quote, anything else) and ends the field at the first closing separator
// ("," or "", or ,) after the opening quotes.

// The most bytes a field's written form adds to its text: two quotes on each side and the comma.
inline constexpr qsizetype kMaxFieldExtra = 5;
// Writes text in its written form, closing separator included, at out (which has room for
// text.size() + kMaxFieldExtra bytes); returns the end of what was written.
char* WriteCSVField(char* out, QByteArrayView text);
// Appends text in its written form, closing separator included.
void AppendCSVField(QByteArray& line, QByteArrayView text);
// The record's line without its line end.
QByteArray FieldsToCSVLine(const QByteArrayList& fields);

// Empties fields, then appends the fields of line in order. The scan runs to the end of the line; a line
// that yields no field is an empty line.
void CSVLineToFields(QByteArrayView line, QByteArrayList& fields);

// Reads one field. rest is the line from the field's first byte to its end, separator the closing
// separator of the field's form, position the 1-based position of the field's first byte in the line and
// lineLength the length of the line. Appends the field's text and returns the 1-based position of the
// comma that ends the separator; when the separator is missing, the text runs to the end of the line, cut
// before the separator's first byte, and the result is lineLength.
qsizetype ReadCSVField(QByteArrayView rest, QByteArrayView separator, qsizetype position,
                       qsizetype lineLength, QByteArrayList& fields);

// The closing separator of the field that starts at index p (0-based) of line: ",", "\"," or "\"\",".
QByteArrayView CSVSeparatorAt(QByteArrayView line, qsizetype p);
