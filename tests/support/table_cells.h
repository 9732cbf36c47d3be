#pragma once

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QString>

// What a table view shows, read from its model as the view draws it.

// The text of a cell; empty where it shows nothing.
inline QString cell_text(const QAbstractItemView *view, int row, int column)
{
    return view->model()->index(row, column).data().toString();
}

inline int row_count(const QAbstractItemView *view)
{
    return view->model()->rowCount();
}

inline QString header_text(const QAbstractItemView *view, int column)
{
    return view->model()->headerData(column, Qt::Horizontal).toString();
}
