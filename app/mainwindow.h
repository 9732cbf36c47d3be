#pragma once

#include "app/port_settings.h"
#include "link/frames.h"
#include "meter/write_values.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <optional>

QT_BEGIN_NAMESPACE
namespace Ui { class MainWindow; }
class QTimer;
QT_END_NAMESPACE

class io_port;
class settings;
class archive;
class LOG_class;
class ScanWindow;

// The configurator's main window. It owns the serial channel, the three
// auxiliary windows, the three step sequences' timers and all state they share
// between ticks. Its slots are kept thin and live beside their subsystem:
// the poll cycle in meter/poll_cycle.cpp, the write sequence in
// meter/write_sequence.cpp, the archive read in archive/archive_read.cpp,
// the port start in link/port_start.cpp, the other commands in app/commands.cpp.
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
    // The search for meters on the line (scan/scan_commands.cpp).
    void on_scan_btn_clicked();
    void start_scan();
    void choose_meter(int address, const QString &serial);

private:
    // Shared by the step sequences (link/sequence_support.cpp).
    void report_line_busy();
    void answer_arrived();
    void wait_longer(QTimer *timer, int &period, int failure_ms);
    void start_answer_wait(QTimer *timer, int period_ms, const QByteArray &request, int answer_length);
    std::optional<MeterTarget> sequence_target(bool serial_mode);
    QByteArray take_answer(const QByteArray &request, QByteArray *received);
    void log_line(const QString &line);
    // A search for meters holds the line (scan/scan_commands.cpp).
    bool scan_running() const;

    // The poll cycle (meter/poll_cycle.cpp).
    void start_poll();
    void poll_answer_step();
    void send_poll_request(int step, bool line_end);
    void resend_poll_request();
    void empty_poll_field(int step);
    void show_poll_answer(int step, const QByteArray &data);
    bool reverse_flow_read() const;

    // The write sequence (meter/write_sequence.cpp).
    enum class WriteConfirmation { confirmed, waiting, failed };
    bool prepare_write_run();
    WriteConfirmation confirm_write();
    void send_write_item(int item);

    // The archive read (archive/archive_read.cpp).
    void start_archive_read();
    void archive_step();
    bool handle_archive_answer();
    void send_archive_block();
    void resend_archive_block();
    void archive_read_failed(const QString &button_text, const QString &status);

    bool save_settings();
    void settings_accepted();
    void set_status(const QString &text, const char *style = nullptr);

    Ui::MainWindow *ui = nullptr;
    std::unique_ptr<io_port> port;
    bool port_opened = false;          // result of the last open
    QList<QByteArray> received_chunks; // what the last take brought
    QTimer *poll_timer = nullptr;
    int poll_step = 0;
    bool by_serial = false;            // "Обращ. по сер. номеру" is checked
    PortSettings port_settings;
    std::unique_ptr<settings> settings_window;
    QTimer *archive_timer = nullptr;
    double volume_factor = 0.0;        // m3 per counted unit of the recognised model
    bool port_started = false;         // "Запуск порта" was pressed at least once
    QTimer *write_timer = nullptr;
    int write_step = 0;
    std::unique_ptr<archive> archive_window;
    bool write_address_enabled = false;
    bool write_rate_enabled = false;
    bool write_parity_enabled = false;
    bool write_save_date_enabled = false;
    bool write_clock_enabled = false;
    int archive_type = 1;
    QString build_number_text;
    QString compile_date_text;
    QString compile_time_text;
    bool build_info_shown = false;
    bool manual_time = false;          // clock write takes real_time_line
    int archive_index = 0;
    std::unique_ptr<LOG_class> log_window;
    bool by_address = false;           // "Обращ. по адресу устр." is checked
    QList<QByteArray> archive_frames;
    // Which addressing box was checked last; unchecking does not change it.
    // The sequences go by the boxes' present state instead (by_serial).
    bool serial_chosen_last = false;
    QStringList model_table;
    int no_answer_count = 0;
    int bad_data_count = 0;
    bool skip_tick = false;
    int bad_answer_count = 0;
    int factor_decimals = 0;
    bool line_echoes = false; // the adapter was seen to hand back what is sent

    // The poll cycle's outstanding request, kept for a resend.
    MeterTarget poll_target;
    QByteArray poll_request;
    QString poll_request_line;
    int poll_answer_length = 0;
    int poll_period = 0; // the success period, and the failure period after a first wait

    // The write sequence's run: the values taken at its start (none for an
    // item not checked), and the write awaiting the meter's confirmation.
    MeterTarget write_target;
    std::array<std::optional<quint32>, write_item::count> write_values;
    bool clock_from_computer = false;
    QByteArray write_request;
    QByteArray write_answer;
    QElapsedTimer write_waited;
    int write_wait_ms = 0;

    // The archive read's run: version and addressing are fixed at its start.
    int archive_version = 0;
    MeterTarget archive_target;
    bool archive_target_ready = false;
    QByteArray archive_request; // the block awaiting its answer; empty when none
    int archive_answer_length = 0;
    int archive_period = 0;

    // Made at its first opening; a child window, deleted with this one.
    ScanWindow *scan_window = nullptr;

    friend class MainWindowProbe; // tests reach the state through this
};
