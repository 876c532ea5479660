#include "model/ToDoList.h"

#include <QMultiHash>

#include <QSet>
#include <algorithm>

int ToDoList::checkedCount() const
{
    int n = 0;
    for (const ToDoItem& item : items)
        n += item.checked() ? 1 : 0;
    return n;
}

void ToDoList::putNamesBehind(const ToDoList& known)
{
    QByteArrayList owners = known.OwnerNames;
    QByteArrayList projects = known.ProjectNames;
    appendNewNames(owners, OwnerNames);
    appendNewNames(projects, ProjectNames);
    OwnerNames = std::move(owners);
    ProjectNames = std::move(projects);
}

void ToDoList::appendNewNames(QByteArrayList& target, const QByteArrayList& names)
{
    QSet<QByteArray> present(target.cbegin(), target.cend());
    for (const QByteArray& name : names) {
        if (!present.contains(name)) {
            target.append(name);
            present.insert(name);
        }
    }
}

QList<int> ToDoList::rowsEqualTo(const std::vector<ToDoItem>& wanted) const
{
    QList<int> rows;
    QMultiHash<QByteArrayView, size_t> byAction;
    for (size_t i = 0; i < wanted.size(); ++i)
        byAction.insert(wanted[i].action(), i);
    std::vector<bool> taken(wanted.size(), false);
    for (size_t r = 0; r < items.size() && rows.size() < qsizetype(wanted.size()); ++r) {
        const ToDoItem& item = items[r];
        for (auto it = byAction.constFind(item.action()); it != byAction.cend() && it.key() == item.action();
             ++it) {
            if (!taken[*it] && wanted[*it] == item) {
                taken[*it] = true;
                rows.append(static_cast<int>(r));
                break;
            }
        }
    }
    return rows;
}
