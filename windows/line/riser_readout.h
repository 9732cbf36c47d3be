#pragma once

#include "link/exchange.h"
#include "model/meter_model.h"
#include "scan/line_readout.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <optional>

class QLabel;
class QPushButton;
class QSpinBox;
class QTableView;
class RiserTable;
class Exchanger;

// "Считать все" and "Установить время всем" of the search window: the pass
// over the listed meters and the clock setting, run on the main window's
// exchanger, shown row by row in the riser table. The progress and the stop
// button are the main window's, as for every run on the line. The table
// saves to a CSV file ("Сохранить в CSV") and copies its selection (Ctrl+C).
class RiserReadout : public QObject
{
    Q_OBJECT
public:
    struct Widgets
    {
        QPushButton *read_all_btn = nullptr;
        QPushButton *sync_all_btn = nullptr;
        QTableView *table = nullptr;
        QLabel *status = nullptr;
        QSpinBox *sync_threshold = nullptr;
    };

    RiserReadout(const Widgets &widgets, Exchanger *line, QObject *parent = nullptr);

    bool running() const;
    // Each meter's label by its serial number, shown beside it.
    void set_labels(const QHash<QString, QString> &by_serial);
    // The main window has found the line free and open.
    void read_all(const QVector<scan::ListedMeter> &rows, const ExchangeRules &rules, const QStringList &model_table);
    void sync_all(const ExchangeRules &rules);
    // Ends the run at once; what was read stays.
    void stop();
    // The table as shown, with the time of the pass and its outcome.
    bool save_to(const QString &path, QString *error);

signals:
    void read_all_requested();
    void sync_all_requested();
    // A meter of the pass has been read whole: how it was addressed, what it
    // holds, and the computer's time when its clock was read.
    void meter_read(const MeterTarget &target, const PollValues &values, const QDateTime &read_at);
    // A clock write of "Установить время всем", for the report's writes.
    void clock_written(const SessionWrite &write);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::optional<qint64> last_offset(int row) const;
    void copy_selection();
    void record_writes();
    void step_concluded(Sequence *sequence);
    void run_finished(Sequence *sequence);
    void show_meter(int row);
    void show_setting(int index);
    void set_status(const QString &text, bool error);
    void enable_buttons();

    Widgets ui;
    QPushButton *export_btn = nullptr;
    QString last_dir;
    QDateTime read_at;
    Exchanger *line;
    QStringList models;
    RiserTable *table = nullptr;
    std::optional<scan::LineReadout> pass;
    std::optional<scan::ClockSync> sync;
    QVector<int> sync_rows; // the table row of each meter the clock setting asks
};
