#pragma once

// A virtual RS-485 line for end-to-end tests: a socat pty pair with the meter
// stand-in on one end and the port for the program (or a test's own master)
// on the other. Everything it starts is stopped again in the destructor.

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class SimLine : public QObject
{
    Q_OBJECT
public:
    explicit SimLine(QObject *parent = nullptr);
    ~SimLine() override;

    // Starts socat and meter_sim (path from the METER_SIM environment
    // variable) and waits until the stand-in is ready. extra_args go to
    // meter_sim; a non-empty meter_file is written to a file and passed with
    // --config; program_port_arg among extra_args stands for program_port().
    // False, with error() saying why, when anything is missing or does not
    // come up.
    bool start(const QStringList &extra_args = QStringList(), const QString &meter_file = QString());
    static constexpr const char *program_port_arg = "{program_port}";
    // The same stand-in as a serial device server on 127.0.0.1 (its --tcp),
    // at a free port; no socat.
    bool start_tcp(const QStringList &extra_args = QStringList(), const QString &meter_file = QString());
    int tcp_port() const { return tcp_port_; }
    QString error() const { return error_; }

    // The program's end of the pair: socat's link to the pty in dir(), a name
    // of this line's own.
    QString program_port() const { return program_port_; }
    QString meter_port() const { return meter_port_; }
    // Scratch directory of this line (logs, meter file); gone after the test.
    QString dir() const;

    // Sends one control line and returns the stand-in's reply line, or a
    // line starting "error" when no reply comes in time.
    QString command(const QString &line, int timeout_ms = 10000);

    // The stand-in's stderr lines so far (received frames, answers, notes).
    QStringList sim_log();
    // Forgets them, so a long run does not hold every line in memory.
    void clear_log();
    // Waits until a log line at or after index `from` contains `needle`.
    bool wait_for_log(const QString &needle, int from = 0, int timeout_ms = 10000);

    bool sim_running() const;
    // Kills socat, as if the adapter were pulled out.
    void unplug();
    // Stops the stand-in and socat (also done by the destructor).
    void stop();

private:
    bool start_sim(QStringList args, const QString &meter_file);
    void read_stdout();
    void read_stderr();

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<QProcess> socat_;
    std::unique_ptr<QProcess> sim_;
    QString error_;
    QString program_port_;
    QString meter_port_;
    int tcp_port_ = 0;
    QByteArray stdout_rest_;
    QByteArray stderr_rest_;
    QStringList replies_;
    QStringList log_;
};
