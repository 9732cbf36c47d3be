#pragma once

#include "scan/commission.h"
#include "scan/settings_search.h"

#include <QAbstractTableModel>
#include <QModelIndexList>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

// The search window's list: one row per meter found, by the search or by
// serial number, and what the last commissioning writes made of it.
// Read-only. The view and Ctrl+C read it, so they cannot differ. The rate
// and parity each meter answered at have a column when a search tried more
// than one; the writes' results have one from the first write on.
class ScanTable : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { address, serial, model, protocol_version, software_version, device_type };

    explicit ScanTable(QObject *parent = nullptr);

    // A new list: no rows, no results.
    void start(bool setting_column);
    // The list as it stands now. Rows keep their places, so a selection
    // made meanwhile still holds the rows it held.
    void set_meters(const QVector<scan::FoundMeter> &meters, const QStringList &model_table);
    // What a write made of the meter of row `row`; `run_over`: the run has
    // ended, so a meter still waiting was never written; `next_exchange`:
    // what the next exchange with it needs (next_exchange_text()).
    void set_result(int row, const scan::MeterWriteResult &result, bool run_over,
                    const QString &next_exchange = QString());
    // The results speak of a list that is no more: their column goes.
    void forget_results();

    int setting_column() const;
    int result_column() const;
    QString text(int row, int column) const;
    bool failed(int row, int column) const;
    QStringList titles() const;
    // The cells, row by row, as a spreadsheet in a Russian locale pastes
    // them: the serial number and the software version as text.
    QString spreadsheet_text(const QModelIndexList &cells) const;

    // "9600, нечет"
    static QString setting_text(const scan::LineSetting &setting);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct Result
    {
        scan::MeterWriteResult write;
        bool run_over = false;
        QString next_exchange;
    };
    int meter_columns() const;

    QVector<scan::FoundMeter> meters;
    QStringList models;
    QVector<std::optional<Result>> results;
    bool settings_shown = false;
    bool results_shown = false;
};
