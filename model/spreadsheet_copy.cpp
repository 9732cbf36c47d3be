#include "model/spreadsheet_copy.h"

#include "archive/archive_export.h"

#include <QMap>
#include <QSet>
#include <algorithm>

QString spreadsheet_text(const QModelIndexList &cells, const std::function<QString(int row, int column)> &value)
{
    QMap<int, QSet<int>> picked;
    QSet<int> columns;
    for (const QModelIndex &cell : cells) {
        picked[cell.row()].insert(cell.column());
        columns.insert(cell.column());
    }
    QList<int> ordered = columns.values();
    std::sort(ordered.begin(), ordered.end());
    QList<QStringList> lines;
    for (auto it = picked.cbegin(); it != picked.cend(); ++it) {
        QStringList values;
        for (int c : qAsConst(ordered))
            values << (it.value().contains(c) ? value(it.key(), c) : QString());
        lines << values;
    }
    return arc::tab_separated(lines);
}
