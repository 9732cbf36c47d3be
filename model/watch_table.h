#pragma once

#include "meter/volume_scale.h"
#include "meter/watch.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

// The rows of a watch: each round's readings with the computer's time,
// read-only. The table and its CSV file both read it. The time carries its
// date, so a watch over midnight reads in order.
class WatchTable : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { time, meter_clock, volume, change, flow, reverse, event };
    static constexpr int column_count = event + 1;

    explicit WatchTable(int max_rows, QObject *parent = nullptr);

    // A new watch of a meter whose volumes scale so.
    void start(const VolumeScale &scale);
    // A round's readings at the computer's time `at`; `per_hour`: the flow
    // since the round before, when there was one. Past max_rows the oldest
    // row goes.
    void add(const QDateTime &at, const WatchReading &reading, std::optional<double> per_hour);

    QString text(int row, int column) const;
    QStringList titles() const;
    // The file: the meter's serial number, model and address, the start, the rows.
    QByteArray csv(const QString &serial, const QString &model, const QString &address,
                   const QDateTime &started_at) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct Row
    {
        QDateTime at;
        WatchReading reading;
        std::optional<double> per_hour;
    };
    int max;
    VolumeScale scale;
    qint64 first_volume = 0;
    bool any = false;
    QList<Row> rows;
};
