#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The user's choice of which application opens which file type ("mimeapps.list": groups of lines
// "type=id1.desktop;id2.desktop;", in order of preference). Other programs and the user edit this file
// too, so it is changed line by line: every line that is not changed stays exactly as it stood, comments,
// unknown groups and line endings included.
class MimeAppsList
{
public:
    static inline const QString DefaultApplications = QStringLiteral("Default Applications");
    static inline const QString RemovedAssociations = QStringLiteral("Removed Associations");

    explicit MimeAppsList(const QByteArray& bytes = {});

    // The desktop ids listed for type in every group called group, in order.
    QStringList entries(const QString& group, const QString& type) const;
    // Puts id first in the list of type, the other ids keeping their order behind it. A missing line is
    // added at the top of the group, a missing group at the end of the file.
    void prepend(const QString& group, const QString& type, const QString& id);
    // Takes id out of the list of type; a list left empty loses its line. Returns whether anything changed.
    bool remove(const QString& group, const QString& type, const QString& id);

    QByteArray bytes() const;

private:
    // Calls visit(line index, ids) for each line of type in group.
    template <typename Visit> void forEachLine(const QString& group, const QString& type, Visit visit) const;
    void setLine(qsizetype index, const QString& type, const QStringList& ids);

    QList<QByteArray> m_lines; // the file split at '\n'; a final newline leaves an empty last line
};
