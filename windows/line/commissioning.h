#pragma once

#include "link/exchange.h"
#include "meter/exchange_rules.h"
#include "model/meter_model.h"
#include "scan/commission.h"

#include <QObject>
#include <QSet>
#include <QStringList>
#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableView;
class ScanTable;
class Exchanger;

// Commissioning in the search window: the lookup of new meters by serial
// number, "Назначить адрес" and "Записать выбранным", run on the main
// window's exchanger. Each meter's outcome goes to its row of the list; the
// progress and the stop button are the main window's, as for every run.
class Commissioning : public QObject
{
    Q_OBJECT
public:
    struct Widgets
    {
        QLineEdit *serials = nullptr;
        QPushButton *serials_btn = nullptr;
        QSpinBox *assign_from = nullptr;
        QPushButton *assign_btn = nullptr;
        QComboBox *batch_item = nullptr;
        QComboBox *batch_value = nullptr;
        QLineEdit *batch_date = nullptr;
        QPushButton *batch_btn = nullptr;
        QTableView *table = nullptr;
        ScanTable *list = nullptr; // the table's rows
        QLabel *status = nullptr;
    };

    // A meter of the list to write to: its table row and how it is asked.
    struct Row
    {
        int table_row = -1;
        MeterTarget target;
    };

    Commissioning(const Widgets &widgets, Exchanger *line, QObject *parent = nullptr);

    // The line free and open: the port's periods; otherwise nothing, the
    // refusal already shown.
    using LineGate = std::function<std::optional<ExchangePeriods>()>;
    void set_line_gate(LineGate gate) { may_run = std::move(gate); }
    // The main window's lists of rates and parity/stop-bit codes, in the
    // order of their codes.
    void set_value_lists(const QStringList &rates, const QStringList &parities);

    bool running() const;
    void look_up();
    // `rows`: the selected meters found by serial number; `used`: the
    // addresses of the other meters of the list.
    void assign(const QVector<Row> &rows, const QSet<int> &used);
    void write_batch(const QVector<Row> &rows);
    // A new list: the outcomes shown speak of the old one.
    void forget();

signals:
    void looked_up(const QVector<scan::MeterIdentity> &meters);
    // Each write that left, with the meter's answer, for the report.
    void written(const SessionWrite &write);

private:
    void item_changed();
    std::optional<quint32> batch_value();
    QString batch_text() const;
    void start_writes(const QVector<Row> &rows, scan::MeterWrites writes, const ExchangePeriods &periods);
    void step_concluded(Sequence *sequence);
    void run_finished(Sequence *sequence);
    void record_writes();
    void show_row(int index);
    void set_status(const QString &text, bool error);

    Widgets ui;
    Exchanger *line;
    LineGate may_run;
    QStringList rate_texts, parity_texts;
    std::optional<scan::SerialLookup> lookup;
    std::optional<scan::MeterWrites> writes;
    QVector<int> write_rows; // the table row of each meter written
    QVector<int> skipped;    // addresses passed over by the last assignment
};
