#pragma once

#include <QModelIndexList>
#include <QString>
#include <functional>

// The cells of a table's selection as a spreadsheet pastes them: the rows and
// columns that hold a selected cell, in order, tab-separated, `value` giving
// each selected cell's text and an unselected one left empty.
QString spreadsheet_text(const QModelIndexList &cells, const std::function<QString(int row, int column)> &value);
