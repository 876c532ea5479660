#pragma once

#include "model/ToDoItem.h"

#include <QByteArrayList>
#include <QList>

#include <vector>

// The rows of the list in list order, plus the owner and project names offered by the item editor.
// Names are kept as the bytes the list file stores, like the item texts.
class ToDoList
{
public:
    std::vector<ToDoItem> items;
    QByteArrayList OwnerNames;
    QByteArrayList ProjectNames;

    int size() const { return static_cast<int>(items.size()); }
    bool isEmpty() const { return items.empty(); }
    int checkedCount() const;

    // Appends each name that is not already in the list (exact bytes), keeping their order.
    static void appendNewNames(QByteArrayList& target, const QByteArrayList& names);
    // The names known before (known's) come first, then the ones this list brings that they lack.
    void putNamesBehind(const ToDoList& known);
    // One row equal to each of wanted, first found first, each row once; fewer when the list lacks some.
    QList<int> rowsEqualTo(const std::vector<ToDoItem>& wanted) const;
};
