#include "model/ToDoList.h"

#include <QSet>

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
