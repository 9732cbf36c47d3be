#pragma once

#include "scan/line_scan.h"

#include <QObject>
#include <QString>
#include <optional>

class QTimer;
class io_port;

// Runs a LineScan on the serial channel: sends each exchange, takes its
// answer the moment it is whole, or whatever came when its wait is over.
class ScanDriver : public QObject
{
    Q_OBJECT
public:
    // `line_echoes` is the main window's knowledge of an echoing adapter,
    // shared so that either learns it for both.
    ScanDriver(io_port *port, bool *line_echoes, QObject *parent = nullptr);

    enum class End { done, stopped, port_closed };

    // The port must be open and no other exchange running. The line timing
    // is the port's.
    void start(scan::Settings settings);
    // Ends the search once the current exchange is over.
    void stop();
    bool running() const { return active; }
    // The current or last search; null before the first.
    const scan::LineScan *search() const { return run ? &*run : nullptr; }

signals:
    void asking(int address);
    void meter_changed(int index);
    void finished(ScanDriver::End end);
    void traffic(const QString &line); // for the log window

private:
    void send_current();
    void answer_arrived();
    void conclude();
    void finish(End end);

    io_port *port;
    bool *line_echoes;
    QTimer *wait_timer;
    std::optional<scan::LineScan> run; // the current or last search
    bool active = false;
};
