#pragma once

// Lets tests see the main window's state that no widget shows. The main
// window names this class its friend; nothing in the program uses it.

#include "archive/archive_reader.h"
#include "journal/journal_writer.h"
#include "link/exchanger.h"
#include "link/io_port.h"
#include "meter/poll.h"
#include "meter/write.h"
#include "windows/mainwindow.h"
#include "windows/service_report.h"

class MainWindowProbe
{
public:
    explicit MainWindowProbe(MainWindow &window)
        : w(window)
    { }

    bool by_serial() const { return w.by_serial; }
    bool by_address() const { return w.by_address; }
    bool serial_chosen_last() const { return w.serial_chosen_last; }
    bool polling() const { return runs(w.poll_run.get()); }
    bool writing() const { return runs(w.write_run.get()); }
    bool reading_archive() const { return runs(w.archive_run.get()); }
    bool exchanging() const { return polling() || writing() || reading_archive(); }
    // The poll step whose outcome came last; 0 before the first.
    int poll_step() const { return w.poll_run ? w.poll_run->step() : 0; }
    // Waits, resends and give-ups on the line since the window was made.
    const LineStats &line_stats() const { return w.exchanger->stats(); }
    double volume_factor() const { return w.volume_factor; }
    int factor_decimals() const { return w.factor_decimals; }
    QString build_number() const { return w.build_number_text; }
    QString compile_date() const { return w.compile_date_text; }
    QString compile_time() const { return w.compile_time_text; }
    journal::Writer *journal() const { return w.journal_writer.get(); }

    // The service report, written where the file dialog would have put it.
    bool save_report(const QString &path, QString *error) { return w.save_report(path, error); }
    QString report_file_name() const
    {
        return ::report_file_name(w.poll_run ? w.poll_run->values().serial_number : QString(), QDate::currentDate());
    }

    // The port a later "Запуск порта" opens, as the settings window's OK sets it.
    void set_port_name(const QString &name) { w.port_settings.port_name = name; }

    void set_build_texts(const QString &number, const QString &date, const QString &time)
    {
        w.build_number_text = number;
        w.compile_date_text = date;
        w.compile_time_text = time;
    }

private:
    bool runs(const Sequence *sequence) const { return sequence && w.exchanger->sequence() == sequence; }

    MainWindow &w;
};
