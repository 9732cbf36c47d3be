#pragma once

#include <QIdentityProxyModel>
#include <QList>

class QTableView;

// A table with many columns in a window of any size: each title whole on up
// to two lines, and the columns whose texts run long (a model name, a time,
// an outcome, a label) narrowed to the room left, down to their titles, their
// texts on a second line and then cut, whole in a tooltip. Where even that is
// too wide the table scrolls. A column the operator drags to another width
// keeps it: the table is fitted no more.
void fit_columns(QTableView *view, const QList<int> &narrowable);

// The titles of a table's columns broken at the space nearest the middle, so
// that a two-word title takes half the width.
class TwoLineTitles : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
};
