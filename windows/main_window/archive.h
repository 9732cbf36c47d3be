#pragma once

#include "archive/archive_summary.h"
#include "model/quantity.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QWidget>
#include <optional>

class QTableView;
class ArchiveTableModel;
class consumption_chart;
class QLabel;

QT_BEGIN_NAMESPACE
namespace Ui {
class archive;
}
QT_END_NAMESPACE

// The archive window: the hourly, daily and monthly archives as three tables,
// the consumption of the archive on the current tab as a chart, and the
// tables saved to a CSV file. The archive read prepares it once per read and
// hands it each complete archive.
class archive : public QWidget
{
    Q_OBJECT
public:
    explicit archive(QWidget *parent = nullptr);
    ~archive() override;

    // Empties the three tables.
    void clear_tables();
    // The version the read is sized by and the scale of its volumes.
    void set_version_scale(int version, const VolumeScale &scale);
    // True: answers carry the 12-byte serial-number header, else 6 bytes.
    void set_by_serial(bool by_serial);
    // Answer frames of one archive (1 hourly, 2 daily, 3 monthly) into its table.
    // `whole` false: the read ended before the archive's last block.
    void add_archive(QList<QByteArray> frames, int type, bool whole = true);
    // Records of the last read against all the meter's archives hold.
    void set_read_state(int read, int total);

    // The table of archive type 1..3, nullptr for any other type.
    QTableView *table(int type) const;
    // What that table shows.
    ArchiveTableModel *table_model(int type) const;

    // Names the file the save button suggests; empty: a generic name.
    void set_meter_serial(const QString &serial);
    // The model and the computer's time of the read, for the file's header
    // (with the serial number and the version the read is made with).
    void set_read_details(const QString &model, const QDateTime &read_at);

    // The meter as it was addressed: the title and the line above the tables
    // name it with its serial number, model and the time of the read.
    void set_target(const MeterTarget &target);

    // Records, time span and monthly consumption of archive type 1..3 as shown.
    arc::ArchiveSummary summary(int type) const;
    // The serial number the shown archives were read from.
    QString serial() const { return meter_serial; }

    // The three tables' models as they are shown, into one CSV file.
    bool save_to(const QString &path, QString *error);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void on_save_btn_clicked();
    void on_tabWidget_currentChanged(int index);

private:
    void update_chart();
    void update_meter_line();
    void fit_columns(int type);

    Ui::archive *ui;
    int version = 0;
    VolumeScale scale;
    bool by_serial = false;
    ArchiveTableModel *models[3] = {};
    consumption_chart *chart = nullptr;
    QLabel *state_label = nullptr;
    QLabel *meter_label = nullptr;
    std::optional<MeterTarget> target;
    QString meter_serial;
    QString meter_model;
    QDateTime read_at;
    QString last_dir; // where the last file went, offered again
};
