#pragma once

#include "scan/line_readout.h"

#include <QAbstractTableModel>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QModelIndexList>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

// The line table of "Считать все": one row per listed meter, over what the
// pass and the clock setting read of it. Read-only. The table, its CSV file
// and Ctrl+C all read it, so they cannot differ. Volumes carry the unit of
// their own row: a meter of a model the table does not know counts units.
class RiserTable : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { address, serial, model, version, volume, reverse, unit, events, meter_clock, offset, outcome, label };
    static constexpr int column_count = label + 1;

    explicit RiserTable(QObject *parent = nullptr);

    // A new pass over `listed`: every row waits its turn.
    void start(const QVector<scan::ListedMeter> &listed);
    // The pass has got on with `meter` (row `row`); `finished`: the pass is over.
    void set_meter(int row, const scan::MeterReadout &meter, bool finished);
    // The clock setting is done with the meter of row `row`.
    void set_setting(int row, const scan::ClockSetting &setting);
    // Each meter's label by its serial number.
    void set_labels(const QHash<QString, QString> &by_serial);

    // The text of a cell, as the table shows it.
    QString text(int row, int column) const;
    bool failed(int row) const;
    QStringList titles() const;

    // The CSV file of the table: the time of the pass, its outcome, the rows.
    QByteArray csv(const QDateTime &read_at, const QString &outcome) const;
    // The cells, row by row, as a spreadsheet in a Russian locale pastes
    // them: the same values as the CSV file, tab-separated.
    QString spreadsheet_text(const QModelIndexList &cells) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct Row
    {
        QString listed_serial; // as the search found it: a row that fails keeps its meter's
        std::optional<scan::MeterReadout> meter;
        bool pass_over = false;
        std::optional<scan::ClockSetting> setting;
    };
    QString serial_of(const Row &row) const;
    // A cell as a value of the file: a decimal comma, the serial number as text.
    QString file_value(int row, int column) const;

    QVector<Row> rows;
    QHash<QString, QString> labels;
};
