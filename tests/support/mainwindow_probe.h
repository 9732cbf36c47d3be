#pragma once

// Lets tests see the main window's state that no widget shows. The main
// window names this class its friend; nothing in the program uses it.

#include "app/mainwindow.h"
#include "link/io_port.h"

#include <QTimer>

class MainWindowProbe
{
public:
    explicit MainWindowProbe(MainWindow &window) : w(window) {}

    bool by_serial() const { return w.by_serial; }
    bool by_address() const { return w.by_address; }
    bool serial_chosen_last() const { return w.serial_chosen_last; }
    bool polling() const { return w.poll_timer->isActive(); }
    bool writing() const { return w.write_timer->isActive(); }
    bool reading_archive() const { return w.archive_timer->isActive(); }
    bool exchanging() const { return polling() || writing() || reading_archive(); }
    int poll_step() const { return w.poll_step; }
    int write_step() const { return w.write_step; }
    // Waits and resends of the current run: the no-answer counter (shared by
    // the poll and the archive read), the poll's and the archive's bad-answer counters.
    QByteArray queued_bytes() const { return w.port->queued_bytes(); }
    int no_answer_count() const { return w.no_answer_count; }
    int bad_answer_count() const { return w.bad_answer_count; }
    int bad_data_count() const { return w.bad_data_count; }
    double volume_factor() const { return w.volume_factor; }
    int factor_decimals() const { return w.factor_decimals; }
    QString build_number() const { return w.build_number_text; }
    QString compile_date() const { return w.compile_date_text; }
    QString compile_time() const { return w.compile_time_text; }

    // The port a later "Запуск порта" opens, as the settings window's OK sets it.
    void set_port_name(const QString &name) { w.port_settings.port_name = name; }

    void set_build_texts(const QString &number, const QString &date, const QString &time)
    {
        w.build_number_text = number;
        w.compile_date_text = date;
        w.compile_time_text = time;
    }

private:
    MainWindow &w;
};
