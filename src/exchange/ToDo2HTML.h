#pragma once

#include "model/ItemStatus.h"
#include "model/ToDoItem.h"
#include "model/ToDoList.h"
#include "platform/IoResult.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

class JobProgress;
class IniFile;

// Builds the HTML page of a list: a whole HTML5 page (doctype, the list's name as title, one head, one body,
// every element closed) with a heading, a table with a header row and one row per item in the colour of
// its status, a second heading and the date of the export. The look comes from the style sections of the
// settings file, read afresh by each instance, and goes on the page as style attributes; the sizes are
// those of HTML's <font size> (3 normal, "+1" one larger).
//
// The page is written in the program's code page and says so in a charset declaration in its head; texts
// from the list, the settings and the column captions are escaped (& < > "), and characters of the
// settings or captions that the code page cannot hold are written as numeric character references. Line
// breaks in texts are shown as line breaks; control characters are left out.
class TToDo2HTML
{
public:
    // The groups in their fixed order: the nine sections of the page and the colour of rows due today.
    enum GroupNo
    {
        Header = 0,
        Footer,
        TableHeader,
        Table,
        BackGround,
        OpenItem,
        PendingItem,
        CompletedItem,
        OverdueItem,
        TodayItem,
        GroupCount
    };

    struct Group
    {
        QString Section;
        QString Text;
        QString Color;    // six upper-case hex digits, red green blue
        QString Align;    // "left", "center", "right" or empty
        QString TextSize; // a signed whole number, as read
    };

    // Reads every group from the settings file. A value that cannot be converted leaves error() set.
    explicit TToDo2HTML(const QString& settingsFile);

    // Empty when all settings were read; otherwise names the section, the key and the value.
    const QString& error() const { return m_error; }

    // Sets ColorAttr, TextPart, AlignAttr and SizeAttr from group k.
    void SelectGroup(int k);
    QByteArray StatusText(const ToDoItem& row) const;
    QByteArray StatusColor(const ToDoItem& row) const;
    // The lowest, second and third byte of a colour value as six upper-case hex digits.
    static QString ColorToHTML(quint32 color);

    // Builds the page of rows under the given column captions ("Actions" first). When fileName is not
    // empty the page is written there (replacing the file only once all is written). Nothing is written
    // when the settings could not be read. page receives the whole page. progress (may be null) counts the
    // rows written; once it is cancelled the file is left as it was (IoError::Cancelled).
    IoResult WriteHTML(const std::vector<ToDoItem>& rows, const QStringList& captions,
                       const QString& fileName, QByteArray* page = nullptr, JobProgress* progress = nullptr);
    IoResult WriteHTML(const ToDoList& list, const QStringList& captions, const QString& fileName,
                       QByteArray* page = nullptr, JobProgress* progress = nullptr)
    {
        return WriteHTML(list.items, captions, fileName, page, progress);
    }

    // The built-in captions of the list columns, "Actions" to "File Location".
    static QStringList DefaultColumnCaptions();
    // The page title for a list file: its name without the extension; "ToDo List" for the standard list
    // (listFile empty or its path), "ToDo History" for the history list.
    static QString ListTitle(const QString& listFile);
    // The name of the current code page as a charset label.
    static QByteArray CharsetName();

    std::array<Group, GroupCount> Groups;
    // The page's title; ListTitle gives the list's name for it.
    QString Title;
    QByteArray ColorAttr;
    QByteArray TextPart;
    QByteArray AlignAttr;
    QByteArray SizeAttr;

private:
    static int groupOf(ItemStatus status);
    static const char* statusLabel(ItemStatus status);
    void readGroup(const IniFile& ini, int k);
    // The style attributes of group k: its size and colour, its alignment (empty when it has none).
    QByteArray fontStyle(int k) const;
    QByteArray alignStyle(int k) const;
    void fail(const QString& section, const QString& key, const QString& value, const char* what);

    QString m_error;
};
