#pragma once

#include "config/network_settings.h"
#include "config/port_settings.h"
#include "journal/journal_store.h"
#include "link/frames.h"
#include "link/network_endpoint.h"
#include "meter/write.h"
#include "windows/service_report.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QList>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

QT_BEGIN_NAMESPACE
class QProgressBar;
class QPushButton;
namespace Ui {
class MainWindow;
}
QT_END_NAMESPACE

class io_port;
class network_line;
class settings;
class archive;
class LOG_class;
class ScanWindow;
class Exchanger;
class Sequence;
class PollEngine;
class WriteEngine;
class ArchiveReader;
struct ReadArchive;
class JournalWindow;
namespace journal {
class Writer;
}
class RegisterWindow;
class WatchWindow;

// The configurator's main window. It owns the serial channel, the exchanger
// that runs every sequence on it, and the auxiliary windows. The sequences
// themselves are engines without widgets (meter/poll, meter/write,
// archive/archive_reader, scan/line_scan); the slots here start them with
// what the form says and show what they produced: the poll in
// windows/poll_cycle.cpp, the write in windows/write_sequence.cpp, the archive read
// in windows/archive_read.cpp, the search in windows/scan_commands.cpp, the port
// start in windows/port_start.cpp, the other commands in windows/commands.cpp.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // The files beside the program, in the working directory.
    static constexpr const char *settings_file = "settings.txt";
    static constexpr const char *models_file = "models_counter.csv";

protected:
    void keyPressEvent(QKeyEvent *event) override;

private slots:
    void printer();
    void write_data();
    void printer_arc();
    void clear_filds();
    void closeEvent(QCloseEvent *event) override;
    void on_setting_btn_clicked();
    void on_start_btn_clicked();
    void on_param_btn_clicked();
    void on_open_btn_clicked();
    void on_write_btn_clicked();
    void on_s_num_click_stateChanged(int state);
    void on_write_time_click_stateChanged(int state);
    void on_adr_click_w_stateChanged(int state);
    void on_speed_click_w_stateChanged(int state);
    void on_bit_click_w_stateChanged(int state);
    void on_date_save_w_stateChanged(int state);
    void on_arch_btn_clicked();
    void on_hend_time_stateChanged(int state);
    void on_log_btn_clicked();
    void on_adr_click_stateChanged(int state);
    // The search for meters on the line (windows/scan_commands.cpp).
    void on_scan_btn_clicked();
    void start_scan();
    void choose_meter(int address, const QString &serial);
    void start_read_all();
    void start_sync_all();
    void choose_line_setting(int baud_rate, int parity);
    // The readings journal (windows/journal_link.cpp).
    void on_journal_btn_clicked();
    // The service tools (windows/service_commands.cpp).
    void on_registers_btn_clicked();
    void on_watch_btn_clicked();
    void on_report_btn_clicked();

private:
    bool scan_may_run();

    // Shared by the sequences (windows/sequence_support.cpp).
    bool line_busy();
    bool line_free_and_open();
    std::optional<MeterTarget> sequence_target(bool serial_mode);
    void show_run(Sequence *sequence);
    void show_progress(Sequence *sequence);
    void run_over();
    void log_line(const QString &line);

    // The poll (windows/poll_cycle.cpp).
    void show_poll_answer(int step);

    // The write (windows/write_sequence.cpp).
    std::optional<WriteValues> write_values_of_form();

    // The archive read (windows/archive_read.cpp).
    int archive_version_for(const MeterTarget &target) const;
    void archive_read_failed(const QString &button_text, const QString &status);

    // The network line (windows/port_start.cpp).
    void start_network_line();
    void network_connected(int round_trip_ms);
    void network_failed(ConnectFailure why);
    // The readings journal (windows/journal_link.cpp).
    void start_journal();
    void journal_poll();
    QString archive_serial_for(const MeterTarget &target) const;
    void journal_archives(const QVector<ReadArchive> &archives);
    void journal_archive_read_over();
    // The service tools (windows/service_commands.cpp): the meter as the form
    // addresses it, or why a run cannot start now.
    std::optional<MeterTarget> service_target(QString *why);
    bool watching() const;
    void record_write_results();
    ServiceReportData report_data() const;
    bool save_report(const QString &path, QString *error);

    bool save_settings();
    void settings_accepted();
    void set_status(const QString &text, const char *style = nullptr);

    Ui::MainWindow *ui = nullptr;
    std::unique_ptr<io_port> port;
    std::unique_ptr<Exchanger> exchanger; // runs every sequence on the port
    bool port_opened = false;             // result of the last open
    bool by_serial = false;               // "Обращ. по сер. номеру" is checked
    PortSettings port_settings;
    NetworkSettings network_settings; // the line is a TCP connection when chosen
    std::unique_ptr<network_line> network;
    std::unique_ptr<settings> settings_window;
    double volume_factor = 0.0; // m3 per counted unit of the recognised model
    int factor_decimals = 0;
    bool port_started = false; // "Запуск порта" was pressed at least once
    std::unique_ptr<archive> archive_window;
    bool write_address_enabled = false;
    bool write_rate_enabled = false;
    bool write_parity_enabled = false;
    bool write_save_date_enabled = false;
    bool write_clock_enabled = false;
    QString build_number_text;
    QString compile_date_text;
    QString compile_time_text;
    bool build_info_shown = false;
    bool manual_time = false; // clock write takes real_time_line
    std::unique_ptr<LOG_class> log_window;
    bool by_address = false; // "Обращ. по адресу устр." is checked
    // Which addressing box was checked last; unchecking does not change it.
    // The sequences go by the boxes' present state instead (by_serial).
    bool serial_chosen_last = false;
    QStringList model_table;

    // The last run of each sequence; the exchanger runs at most one.
    std::unique_ptr<PollEngine> poll_run;
    std::unique_ptr<WriteEngine> write_run;
    std::unique_ptr<ArchiveReader> archive_run;

    QProgressBar *progress_bar = nullptr; // in the status bar while a run goes on
    QPushButton *stop_btn = nullptr;
    QElapsedTimer run_clock;
    bool reopen_after_run = false; // port settings changed during a run

    // Made at its first opening; a child window, deleted with this one.
    ScanWindow *scan_window = nullptr;
    JournalWindow *journal_window = nullptr;

    // Where the journal is, and its thread; the archive read under way, kept
    // whole for one transaction.
    journal::Connection journal_settings;
    std::unique_ptr<journal::Writer> journal_writer;
    struct
    {
        bool by_serial = false;
        journal::ArchiveBatch batch;
    } archive_journal;

    // The service tools; child windows made at their first opening.
    RegisterWindow *register_window = nullptr;
    WatchWindow *watch_window = nullptr;
    QList<SessionWrite> session_writes; // every write since the start, with its outcome
    QDateTime clock_read_at;            // the computer's time when the poll read the clock
    QString report_dir;                 // where the last report went

    friend class MainWindowProbe; // tests reach the state through this
};
