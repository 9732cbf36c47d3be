#pragma once

// The real main window on one end of a virtual serial line, with the meter
// stand-in on the other: what a technician has at the desk, minus the hardware.

#include "mainwindow_probe.h"
#include "sim_line.h"
#include "windows/main_window/mainwindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <functional>
#include <memory>

// What settings.txt tells the program. The short periods keep the suite quick;
// the stand-in answers within a few milliseconds unless told otherwise.
struct LinePeriods
{
    int main_ok_ms = 100;
    int main_fail_ms = 400;
    int archive_ok_ms = 60;
    int archive_fail_ms = 400;
    int baud_rate = 9600;

    // The program's own defaults, as on a fresh installation.
    static LinePeriods defaults(int baud_rate) { return {300, 1000, 700, 2000, baud_rate}; }
};

class archive;
class QTimer;

class AppOnLine
{
public:
    AppOnLine();
    ~AppOnLine();

    // Starts the line and the stand-in (arguments and meter file as SimLine
    // takes them), writes settings.txt for its port and models_counter.csv,
    // builds the main window and presses "Запуск порта".
    bool start(const QStringList &sim_args = {}, const QString &meter_file = {}, const LinePeriods &periods = {});
    // The same over a network line: the stand-in as a serial device server on
    // 127.0.0.1, addressing.txt naming it, "Запуск порта" connected.
    bool start_tcp(const QStringList &sim_args = {}, const QString &meter_file = {}, const LinePeriods &periods = {});
    QString error() const { return error_; }
    // addressing.txt as the program finds it at its start.
    void set_side_settings(const QByteArray &content) { side_settings_ = content; }

    MainWindow &window() { return *window_; }
    MainWindowProbe probe() { return MainWindowProbe(*window_); }
    SimLine &line() { return line_; }

    QString text(const char *name); // line edit, label or button caption
    void set_text(const char *name, const QString &text);
    void check(const char *name, bool on = true);
    void click(const char *name);
    int combo_index(const char *name);
    QString status() { return text("label_31"); }
    QString status_style();
    QString log_text();
    // The archive window, once "Открыть архив" or a read has made it.
    static archive *archive_window();
    // The stand-in's default meter by its device address (1) or serial number.
    void address_meter(bool by_serial);
    QStringList sent_frames(); // the "->" lines of the log, as hex without the mark

    // Waits for the running sequence to stop its timer.
    bool wait_idle(int timeout_ms = 60000);
    bool wait_for(const std::function<bool()> &condition, int timeout_ms = 30000);

    // Answers each question box that shows from now on with `button`,
    // keeping its text; NoButton leaves them to the test.
    void answer_questions(QMessageBox::StandardButton button);
    // The same with a button of its own, by its object name.
    void answer_questions(const QString &button_name);
    const QStringList &questions() const { return questions_; }

    // The stand-in's answer to `get REG`, as a number (-1 when it has none).
    long sim_register(int reg);

private:
    template<typename T> T *find(const char *name);
    bool write_files(const QString &port_name, const LinePeriods &periods);
    void answer_with(const std::function<QAbstractButton *(QMessageBox *)> &pick);

    QTemporaryDir work_dir_;
    QString previous_dir_;
    SimLine line_;
    std::unique_ptr<MainWindow> window_;
    QString error_;
    QByteArray side_settings_;
    std::unique_ptr<QTimer> answer_;
    QStringList questions_;
};
