#pragma once

#include "link/exchange.h"
#include "link/frames.h"
#include "meter/exchange_rules.h"
#include "meter/poll.h"
#include "model/meter_model.h"
#include "scan/line_scan.h"
#include "scan/settings_search.h"

#include <QDateTime>
#include <QHash>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>

QT_BEGIN_NAMESPACE
namespace Ui {
class ScanWindow;
}
QT_END_NAMESPACE

class Exchanger;
class Sequence;
class RiserReadout;
class Commissioning;
class ScanTable;

// "Поиск счетчиков": the list of meters on the line and the choice of one.
// The search itself is a LineScan run on the main window's exchanger; the
// main window decides whether it may start and takes the chosen meter.
class ScanWindow : public QWidget
{
    Q_OBJECT
public:
    ScanWindow(Exchanger *line, QWidget *parent = nullptr);
    ~ScanWindow() override;

    enum class Refusal { port_closed, line_busy };

    // Sets the open port to a rate and parity, or back to the port settings
    // with none; false when it cannot. A search over other settings than the
    // port's needs it.
    using LineControl = std::function<bool(const std::optional<scan::LineSetting> &)>;
    void set_line_control(LineControl control) { set_line = std::move(control); }
    // The labels the journal keeps, by serial number, asked for at each "Считать все".
    using LabelSource = std::function<QHash<QString, QString>()>;
    void set_label_source(LabelSource source) { labels = std::move(source); }
    // Commissioning runs on the line when this says it is free and open,
    // giving the main failure period; and takes the main window's lists of
    // rates and parities, and the model table for meters found by serial number.
    void set_line_gate(std::function<std::optional<ExchangePeriods>()> gate);
    void set_value_lists(const QStringList &rates, const QStringList &parities, const QStringList &model_table);

    // Starts the search over the range and wait of the form. The failure
    // period (port settings) bounds the wait for a meter that has answered.
    void start(const ExchangePeriods &periods, const QStringList &model_table);
    void refuse(Refusal why);
    bool running() const;

    // Reads every meter of the list, or the rows selected, one after another
    // by the poll's rules; sets the clock of every meter read.
    void read_all(const ExchangeRules &rules, const QStringList &model_table);
    void sync_all(const ExchangeRules &rules);

signals:
    // "Начать" with a valid range: the main window answers with start() or refuse().
    void start_requested();
    // `serial` as the serial addressing field takes it; empty when unknown.
    void meter_chosen(int address, const QString &serial);
    // "Считать все", "Установить время всем": the main window answers with
    // read_all() or sync_all(), or refuse().
    void read_all_requested();
    void sync_all_requested();
    // A meter of "Считать все" read whole: how it was addressed, what it
    // holds, and the computer's time when its clock was read. Emitted once
    // per meter, retries included, the moment its turn ends.
    void meter_read(const MeterTarget &target, const PollValues &values, const QDateTime &read_at);
    // A clock write of "Установить время всем".
    void clock_written(const SessionWrite &write);
    // A write of "Назначить адрес" or "Записать выбранным".
    void setting_written(const SessionWrite &write);
    // After a search over several settings, the chosen meter's: the port's from now on.
    void setting_chosen(int baud_rate, int parity);

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void start_clicked();
    void stop();
    void step_concluded(Sequence *sequence);
    void show_progress(int address);
    void search_finished(Sequence *sequence);
    void choose(int row);
    void set_status(const QString &text, bool error);
    int found_count() const;
    QVector<int> selected_rows() const;
    void assign_clicked();
    void batch_clicked();
    // The rates and parities of the form; empty when it asks for none.
    QVector<scan::LineSetting> chosen_settings() const;
    scan::LineSetting port_setting() const;
    bool many_settings() const;
    void show_search_time();
    void show_meters();
    bool start_part();
    void restore_port();

    Ui::ScanWindow *ui;
    ScanTable *table = nullptr;
    Exchanger *line;
    std::optional<scan::SettingsSearch> search; // the current or last search
    LineControl set_line;
    std::optional<scan::LineSetting> port_before; // the port's when a search over other settings started
    QVector<scan::FoundMeter> shown;
    ExchangePeriods periods;
    QStringList models;
    int asked_address = 0;
    RiserReadout *riser = nullptr;
    Commissioning *commission = nullptr;
    QVector<scan::MeterIdentity> by_serial; // found by serial number, at the port's setting
    scan::LineSetting serial_setting;
    LabelSource labels;
};
