#pragma once

#include "model/ToDoItem.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <vector>

// Builds rows from fields: which field goes to which column, the guard taken off, UTF-8 made the code
// page's bytes.
class CSVRowMaker
{
public:
    // target[k]: the column of field k, or -1 for a field not read.
    std::vector<int> target;
    bool unguard = false;
    bool toCodePage = false;
    int longRecords = 0;
    QString unmappable;
    qsizetype unmappableLine = 0;

    void headerless()
    {
        target.clear();
        for (int c = 0; c <= ToDoItem::ColumnCount; ++c)
            target.push_back(c);
    }

    ToDoItem make(const std::vector<QByteArrayView>& fields, qsizetype line);

    static ToDoItem fromTexts(const std::array<QByteArrayView, ToDoItem::ColumnCount + 1>& texts,
                              bool checked);

private:
    static bool isTrue(QByteArrayView text);

    QByteArrayView converted(QByteArrayView utf8, qsizetype line);

    // Held until the row is made; reserved up front so that views into it stay valid.
    std::vector<QByteArray> m_converted;
};

// Whether text holds a byte of 0x80 or more: text that is not plain ASCII.
bool HasHighByte(QByteArrayView text);
