#pragma once

#include "journal/consumption.h"

#include <QDateTime>
#include <QWidget>

class QLabel;
class QTableView;
class ConsumptionTableModel;

// "Расход за период": every meter of the journal with its readings at the
// start and the end of the period, the consumption and its marks; saved as
// the collector's --consumption saves it.
class ConsumptionWindow : public QWidget
{
    Q_OBJECT
public:
    explicit ConsumptionWindow(QWidget *parent = nullptr);

    // Shows `rows`, or `fault` (nothing shown as if whole) when the journal failed.
    void show_period(const QList<journal::ConsumptionRow> &rows, const QDateTime &from, const QDateTime &to,
                     const QString &fault);
    bool save_to(const QString &path, QString *error);
    QTableView *table() const { return rows_table; }
    ConsumptionTableModel *model() const { return rows; }

private:
    ConsumptionTableModel *rows = nullptr;
    QLabel *state = nullptr;
    QTableView *rows_table = nullptr;
    QString last_dir;
};
