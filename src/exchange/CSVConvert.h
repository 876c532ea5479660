#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>

// One CSV record <-> one line. Texts are the bytes of the code page and are never recoded.
//
// Each field is written as its text followed by a closing separator, the last field included, in the
// first of these forms that fits:
//   holds a line break or NUL, or holds a comma and      \"escaped",
//     starts with a quote or holds a quote before a comma
//   holds a comma                                        "text",
//   holds a quote                                        ""text"",
//   anything else                                        text,
// Quotes inside the quoted forms are written as they are. In the escaped form backslash, CR, LF, NUL, comma
// and quote are written as \\ \r \n \0 \c \q; it is used only for texts the other forms would not bring
// back, so a record is always exactly one line and single-line texts keep their usual form.
//
// A reader tells the form by the field's first bytes: a well-formed escaped field (\" up to a quote before
// a comma or the line end, nothing but known escapes between), quote + non-quote, quote + quote, anything
// else; a quoted field ends at the first closing separator ("," or "", or ,) after the opening quotes.

// The most bytes the written form of a text of size bytes can take, closing separator included.
constexpr qsizetype CSVFieldRoom(qsizetype size)
{
    return 2 * size + 5;
}
// Writes text in its written form, closing separator included, at out (which has room for
// CSVFieldRoom(text.size()) bytes); returns the end of what was written.
char* WriteCSVField(char* out, QByteArrayView text);
// Appends text in its written form, closing separator included.
void AppendCSVField(QByteArray& line, QByteArrayView text);
// The record's line without its line end.
QByteArray FieldsToCSVLine(const QByteArrayList& fields);

// Empties fields, then appends the fields of line in order. The scan runs to the end of the line; a line
// that yields no field is an empty line.
void CSVLineToFields(QByteArrayView line, QByteArrayList& fields);

// Reads one field in the three quote forms. rest is the line from the field's first byte to its end,
// separator the closing separator of the field's form, position the 1-based position of the field's first
// byte in the line and lineLength the length of the line. Appends the field's text and returns the 1-based
// position of the comma that ends the separator; when the separator is missing, the text runs to the end of
// the line, cut before the separator's first byte, and the result is lineLength.
qsizetype ReadCSVField(QByteArrayView rest, QByteArrayView separator, qsizetype position,
                       qsizetype lineLength, QByteArrayList& fields);

// The closing separator of the field that starts at index p (0-based) of line: ",", "\"," or "\"\",".
QByteArrayView CSVSeparatorAt(QByteArrayView line, qsizetype p);
