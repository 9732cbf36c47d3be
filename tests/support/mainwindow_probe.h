#pragma once

// Lets tests see the main window's state that no widget shows. The main
// window names this class its friend; nothing in the program uses it.

#include "archive/archive_reader.h"
#include "journal/journal_writer.h"
#include "link/exchanger.h"
#include "link/io_port.h"
#include "link/line_session.h"
#include "meter/poll.h"
#include "meter/write.h"
#include "model/meter_model.h"
#include "model/quantity.h"
#include "windows/main_window/archive_job.h"
#include "windows/main_window/journal_link.h"
#include "windows/main_window/mainwindow.h"
#include "windows/main_window/poll_job.h"
#include "windows/main_window/write_job.h"
#include "windows/service/service_report.h"

class MainWindowProbe
{
public:
    explicit MainWindowProbe(MainWindow &window)
        : w(window)
    { }

    bool by_serial() const { return w.by_serial(); }
    bool by_address() const { return w.by_address(); }
    bool serial_chosen_last() const { return w.serial_chosen_last; }
    bool polling() const { return runs(w.poll->engine()); }
    bool writing() const { return runs(w.write->engine()); }
    bool reading_archive() const { return runs(w.archive_read->engine()); }
    bool exchanging() const { return polling() || writing() || reading_archive(); }
    // The poll step whose outcome came last; 0 before the first.
    int poll_step() const { return w.poll->engine() ? w.poll->engine()->step() : 0; }
    // Waits, resends and give-ups on the line since the window was made.
    const LineStats &line_stats() const { return w.line.session->exchanger()->stats(); }
    const MeterModel &meter() const { return *w.meter; }
    double volume_factor() const { return w.meter->poll().scale().factor; }
    int factor_decimals() const { return w.meter->poll().scale().decimals; }
    QString build_number() const { return quantity::number(w.meter->poll().build_number); }
    QString compile_date() const { return quantity::build(w.meter->poll().compile_date); }
    QString compile_time() const { return quantity::build(w.meter->poll().compile_time); }
    journal::Writer *journal() const { return w.journal->writer(); }

    // The service report, written where the file dialog would have put it.
    bool save_report(const QString &path, QString *error) { return w.save_report(path, error); }
    QString report_file_name() const
    {
        return ::report_file_name(quantity::serial_number(w.meter->poll().serial), QDate::currentDate());
    }

    // The status line as any run sets it.
    void set_status(const QString &text) { w.set_status(text); }

    // The port a later "Запуск порта" opens, as the settings window's OK sets it.
    void set_port_name(const QString &name) { w.port_settings.port_name = name; }

    // Build information as if a poll had read it.
    void set_build(quint16 number, const QByteArray &date, const QByteArray &time)
    {
        PollValues v = w.meter->poll();
        v.build_number = number;
        v.compile_date = date;
        v.compile_time = time;
        w.meter->poll_answered(v);
    }

private:
    bool runs(const Sequence *sequence) const
    {
        return sequence && w.line.session->exchanger()->sequence() == sequence;
    }

    MainWindow &w;
};
