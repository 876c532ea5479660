#pragma once

#include "model/ItemStatus.h"
#include "model/ToDoList.h"

#include <QDate>
#include <QStringList>
#include <QStringView>

#include <optional>

class BufferedWriter;

// The listing of a list for scripts (the command line's --print): one item after the other, in list order
// or sorted by a column with the window's rules, optionally only the items of some statuses. Texts are
// written in UTF-8 whatever the code page of the list. Three forms:
// - tsv: "item", the status, 1 or 0 (completed), the Action and the column values the row holds,
//   separated by tabs, one line per item; then one line "owner" or "project" per name. Backslash, tab,
//   CR and LF inside texts are written as \\, \t, \r and \n.
// - csv: a header line, then per item the status, 1 or 0, the Action and the eight column values (more
//   when the row holds more), quoted where a text needs it, lines ended by CR LF.
// - json: an array with one object per item: its named fields, the status and the completed flag, and
//   the Date In, Target and Alarm Time also in ISO 8601 where they can be read.
// The rows are written as they are walked; nothing of the output's size is held in memory.
class ListPrinter
{
public:
    enum class Format
    {
        Tsv,
        Csv,
        Json
    };

    static constexpr quint32 statusBit(ItemStatus status) { return 1u << static_cast<int>(status); }
    static constexpr quint32 kAllStatuses = 0x1F;

    struct Options
    {
        Format format = Format::Tsv;
        // 0 = Actions ... 8 = File Location; -1 keeps the list order.
        int sortColumn = -1;
        // Sorts the other way round than a first click on the column header does.
        bool reverse = false;
        // statusBit of each status to list.
        quint32 statuses = kAllStatuses;
    };

    // The names the command line takes, in any case: "tsv", "csv", "json"; the column captions, with or
    // without blanks or hyphens ("Date In", "date-in", "datein"), and "action", "project", "alarm",
    // "file"; "open", "pending", "overdue", "today", "completed".
    static std::optional<Format> formatByName(QStringView name);
    static std::optional<int> columnByName(QStringView name);
    static std::optional<ItemStatus> statusByName(QStringView name);
    // The column names as the help shows them ("actions", "priority", "date-in", ...).
    static QStringList columnNames();

    // Writes the listing of list to out; today decides the statuses.
    static void write(const ToDoList& list, const Options& options, const QDate& today, BufferedWriter& out);
};
