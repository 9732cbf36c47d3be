#pragma once

#include "config/network_settings.h"
#include "config/port_settings.h"
#include "link/frames.h"
#include "link/line_place.h"
#include "windows/service/service_report.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QString>
#include <memory>
#include <optional>

QT_BEGIN_NAMESPACE
class QLabel;
class QProgressBar;
class QTimer;
class QPushButton;
namespace Ui {
class MainWindow;
}
QT_END_NAMESPACE

class LineSession;
class settings;
class archive;
class LOG_class;
class ScanWindow;
class Exchanger;
class Sequence;
class JournalWindow;
class RegisterWindow;
class WatchWindow;
class MeterModel;
class JournalLink;
class PollJob;
class WriteJob;
class ArchiveJob;

// The configurator's main window. It owns the line (the port, the exchanger
// that runs every job on it), the meter model and the auxiliary windows. The
// jobs on the line are engines without widgets (meter/, archive/, scan/),
// driven by a controller each that takes its inputs from the form once and
// shows what came in the form: the poll in windows/poll_job, the write in
// windows/write_job, the archive read in windows/archive_job. The slots here
// only forward to them; the port start is in windows/main_window/port_start.cpp, the
// search in windows/line/scan_commands.cpp, the service tools in
// windows/service/service_commands.cpp, the other commands in windows/main_window/commands.cpp.
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
    // The search for meters on the line (windows/line/scan_commands.cpp).
    void on_scan_btn_clicked();
    void start_scan();
    void choose_meter(int address, const QString &serial);
    void start_read_all();
    void start_sync_all();
    void choose_line_setting(int baud_rate, int parity);
    // The readings journal.
    void on_journal_btn_clicked();
    // The service tools (windows/service/service_commands.cpp).
    void on_registers_btn_clicked();
    void on_watch_btn_clicked();
    void on_report_btn_clicked();
    void on_about_btn_clicked();

private:
    bool scan_may_run();

    // The addressing boxes as the operator left them.
    bool by_serial() const;
    bool by_address() const;

    // Shared by the jobs (windows/main_window/sequence_support.cpp).
    bool line_busy();
    bool line_free_and_open();
    std::optional<MeterTarget> sequence_target(bool serial_mode);
    void show_progress(Sequence *sequence);
    void show_quiet_wait(Sequence *sequence, int ms);
    void run_over();
    void log_line(const QString &line);

    // The line opened by "Запуск порта" (windows/main_window/port_start.cpp).
    void start_network_line();
    void line_opened();
    void line_failed(LineFailure why);
    void start_journal();
    // The service tools (windows/main_window/service_commands.cpp): the meter as the form
    // addresses it, or why a run cannot start now.
    std::optional<MeterTarget> service_target(QString *why);
    bool watching() const;
    bool save_report(const QString &path, QString *error);

    bool save_settings();
    bool save_addressing();
    void settings_accepted();
    void show_line();
    void set_status(const QString &text, const char *style = nullptr);

    // The line: the serial port, or the TCP connection behind it, and the
    // exchanger that runs every job on it.
    struct Line
    {
        std::unique_ptr<LineSession> session; // the port and the exchanger on it
        bool started = false;                 // "Запуск порта" was pressed at least once
        bool opened = false;                  // result of the last open
        QLabel *caption = nullptr;            // "COM3 9600 8N1" in the status bar
    };
    // The auxiliary windows: those always there, and the child windows made
    // at their first opening (deleted with this one).
    struct Windows
    {
        std::unique_ptr<settings> setup; // "Настройка порта"
        std::unique_ptr<archive> archives;
        std::unique_ptr<LOG_class> log;
        ScanWindow *scan = nullptr;
        JournalWindow *journal = nullptr;
        RegisterWindow *registers = nullptr;
        WatchWindow *watch = nullptr;
    };
    // Any run's progress in the status bar, and its stop button.
    struct RunProgress
    {
        QProgressBar *bar = nullptr;
        QPushButton *stop = nullptr;
        QElapsedTimer clock;
        bool reopen_after_run = false; // port settings changed during a run
        QTimer *quiet_tick = nullptr;  // counts down the wait for a quiet line
        QDeadlineTimer quiet_until;
    };

    Ui::MainWindow *ui = nullptr;
    PortSettings port_settings;
    NetworkSettings network_settings; // the line is a TCP connection when chosen
    Line line;
    std::unique_ptr<MeterModel> meter; // what is known of the meter worked on
    std::unique_ptr<JournalLink> journal;
    std::unique_ptr<PollJob> poll;
    std::unique_ptr<WriteJob> write;
    std::unique_ptr<ArchiveJob> archive_read;
    Windows windows;
    RunProgress progress;
    // Which addressing box was checked last; unchecking does not change it.
    // The jobs go by the boxes' present state instead (by_serial()).
    bool serial_chosen_last = false;
    bool build_info_shown = false;
    QString report_dir; // where the last report went

    friend class MainWindowProbe; // tests reach the state through this
};
