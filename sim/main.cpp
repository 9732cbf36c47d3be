// meter_sim: plays one or more meters on one end of a serial line (usually a
// pty of a socat pair), so the configurator can be run and tested without
// hardware. The traffic is logged on stderr.
//
// Control commands come one per line on stdin, one reply line ("ok ..." or
// "error ...") each on stdout; "meter N " in front addresses the N-th meter
// of the file, otherwise the first:
//   fault NAME [args] [count=N] [after=N]   fault clear
//   exception REG CODE                       exception clear
//   get REG          set REG VALUE           record TYPE INDEX
//   count            quit
//   drop             (--tcp) ends the connection, as a network gone down

#include "line.h"
#include "meter.h"
#include "slave.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {

void print_out(const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

int fail(const QString &text, int code = 2)
{
    std::fprintf(stderr, "meter_sim: %s\n", qPrintable(text));
    return code;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("meter_sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Water meter stand-in on a serial line."));
    parser.addHelpOption();
    const QCommandLineOption port_opt(QStringLiteral("port"), QStringLiteral("Serial device to serve."),
                                      QStringLiteral("PATH"));
    const QCommandLineOption tcp_opt(QStringLiteral("tcp"),
                                     QStringLiteral("Listen on 127.0.0.1:PORT as a serial device server instead of "
                                                    "serving a serial device (0: any free port, told on stderr)."),
                                     QStringLiteral("PORT"));
    const QCommandLineOption config_opt(
        QStringLiteral("config"), QStringLiteral("Meter file (default: the built-in meter)."), QStringLiteral("FILE"));
    const QCommandLineOption baud_opt(QStringLiteral("baud"), QStringLiteral("Baud rate (9600)."), QStringLiteral("N"),
                                      QStringLiteral("9600"));
    const QCommandLineOption parity_opt(QStringLiteral("parity"), QStringLiteral("none, odd or even (none)."),
                                        QStringLiteral("PARITY"), QStringLiteral("none"));
    const QCommandLineOption stop_opt(QStringLiteral("stop"), QStringLiteral("Stop bits 1 or 2 (1)."),
                                      QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption wire_opt(QStringLiteral("wire-time"),
                                      QStringLiteral("Take as long as the bytes would on the wire."));
    const QCommandLineOption turn_opt(QStringLiteral("turnaround"),
                                      QStringLiteral("Ms between a request and its answer (5)."), QStringLiteral("MS"),
                                      QStringLiteral("5"));
    const QCommandLineOption detached_opt(QStringLiteral("detached"),
                                          QStringLiteral("No control channel: ignore stdin, run until killed."));
    const QCommandLineOption master_opt(
        QStringLiteral("master-port"),
        QStringLiteral("The master's end of the pty pair: meters with a baud or parity hear at its settings."),
        QStringLiteral("PATH"));
    parser.addOptions(
        {port_opt, tcp_opt, config_opt, baud_opt, parity_opt, stop_opt, wire_opt, turn_opt, detached_opt, master_opt});
    parser.process(app);

    sim::line_options options;
    options.port = parser.value(port_opt);
    bool ok = false;
    options.tcp = parser.isSet(tcp_opt);
    if (options.tcp) {
        options.tcp_port = parser.value(tcp_opt).toInt(&ok);
        if (!ok || options.tcp_port < 0 || options.tcp_port > 65535)
            return fail(QStringLiteral("bad --tcp '%1'").arg(parser.value(tcp_opt)));
    }
    if (options.port.isEmpty() == !options.tcp)
        return fail(QStringLiteral("one of --port PATH and --tcp PORT is required"));
    options.baud = parser.value(baud_opt).toInt(&ok);
    if (!ok || options.baud < 50 || options.baud > 4000000)
        return fail(QStringLiteral("bad --baud '%1'").arg(parser.value(baud_opt)));
    const QStringList parities = {QStringLiteral("none"), QStringLiteral("odd"), QStringLiteral("even")};
    options.parity = parities.indexOf(parser.value(parity_opt));
    if (options.parity < 0)
        return fail(QStringLiteral("bad --parity '%1'").arg(parser.value(parity_opt)));
    options.stop_bits = parser.value(stop_opt).toInt(&ok);
    if (!ok || (options.stop_bits != 1 && options.stop_bits != 2))
        return fail(QStringLiteral("bad --stop '%1'").arg(parser.value(stop_opt)));
    options.turnaround_ms = parser.value(turn_opt).toInt(&ok);
    if (!ok || options.turnaround_ms < 0)
        return fail(QStringLiteral("bad --turnaround '%1'").arg(parser.value(turn_opt)));
    options.wire_time = parser.isSet(wire_opt);
    options.master_port = parser.value(master_opt);

    QString text = sim::builtin_meter_text();
    QString source = QStringLiteral("built-in meter");
    if (parser.isSet(config_opt)) {
        QFile file(parser.value(config_opt));
        if (!file.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString()));
        text = QString::fromUtf8(file.readAll());
        source = file.fileName();
    }
    QVector<sim::meter> meters;
    QString error;
    if (!sim::parse_meter_file(text, &meters, &error))
        return fail(QStringLiteral("%1: %2").arg(source, error));

    sim::line line(meters, options);
    QObject::connect(&line, &sim::line::quit_requested, &app, [](int code) { QCoreApplication::exit(code); });
    if (!line.open(&error))
        return fail(error, 1);

    for (int i = 0; i < meters.size(); ++i) {
        const sim::meter &m = meters.at(i);
        std::fprintf(stderr, "meter %d: address %d, serial %012llX (wire %s), version %d\n", i + 1, m.address,
                     static_cast<unsigned long long>(m.serial), qPrintable(sim::hex(m.serial_wire())), m.version);
    }

    QSocketNotifier *control = nullptr;
    QByteArray pending;
    if (!parser.isSet(detached_opt)) {
        control = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, &app);
        QObject::connect(control, &QSocketNotifier::activated, &app, [&] {
            char buffer[4096];
            const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                return;
            if (n <= 0) {
                // Whoever controlled us is gone; do not linger on the line.
                control->setEnabled(false);
                std::fprintf(stderr, "control channel closed\n");
                QCoreApplication::exit(0);
                return;
            }
            pending.append(buffer, int(n));
            int end = 0;
            while ((end = pending.indexOf('\n')) >= 0) {
                const QString command = QString::fromLocal8Bit(pending.left(end)).trimmed();
                pending.remove(0, end + 1);
                if (command.isEmpty())
                    continue;
                print_out(line.command(command));
            }
        });
    }

    print_out(QStringLiteral("ready"));
    return app.exec();
}
