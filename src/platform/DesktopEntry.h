#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

// The parts of freedesktop desktop entries (".desktop" files, and mimeapps.list which shares their syntax)
// that the program reads and writes: string values with their escapes, the Exec command line with its
// quoting, and the keys of one group.
namespace DesktopEntry {
// A string value as a file holds it: backslash, newline, tab and carriage return escaped, a leading space
// as "\s".
QString escapeValue(const QString& text);
// Undoes escapeValue; an unknown escape stays as it stands.
QString unescapeValue(const QString& value);

// One argument of an Exec command line, before the value escapes: in double quotes when it holds a
// reserved character (space, quotes, backslash, shell characters), with '"', '`', '$' and '\' inside the
// quotes escaped by a backslash; every '%' is doubled, since a single one starts a field code.
QString quoteArgument(const QString& argument);
// The Exec value (escaped, ready for the file) that starts program, followed by fieldCodes ("%f") when
// given.
QString execValue(const QString& program, const QString& fieldCodes = {});
// The arguments of an Exec value as a file holds it: value escapes undone, quotes removed, "%%" made
// "%". Field codes stay as they are ("%f"). The first argument is the program.
QStringList splitExec(const QString& value);

// The keys of the first group called group in a file of this syntax, with their values as they stand
// (not unescaped). Comments, other groups and lines without '=' are skipped; a repeated key keeps its last
// value.
QHash<QString, QString> readGroup(const QByteArray& bytes, const QString& group);
// A value of type string list ("a;b;c;") as its items, empty ones dropped.
QStringList splitList(const QString& value);
} // namespace DesktopEntry
