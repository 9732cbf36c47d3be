#include "sim_line.h"

#include <QDeadlineTimer>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTest>

#ifdef Q_OS_LINUX
#include <signal.h>
#include <sys/prctl.h>
#endif

namespace {

// A child that dies with the test process, so a crashed test leaves no
// socat or stand-in behind.
void die_with_parent()
{
#ifdef Q_OS_LINUX
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
}

#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
class child_process : public QProcess
{
public:
    child_process() { setChildProcessModifier(die_with_parent); }
};
#else
class child_process : public QProcess
{
protected:
    void setupChildProcess() override { die_with_parent(); }
};
#endif

void end_process(QProcess *p)
{
    if (!p || p->state() == QProcess::NotRunning)
        return;
    p->kill();
    p->waitForFinished(5000);
}

QStringList take_lines(QByteArray *rest, const QByteArray &data)
{
    rest->append(data);
    QStringList lines;
    int end = 0;
    while ((end = rest->indexOf('\n')) >= 0) {
        lines.append(QString::fromLocal8Bit(rest->left(end)).trimmed());
        rest->remove(0, end + 1);
    }
    return lines;
}

} // namespace

SimLine::SimLine(QObject *parent)
    : QObject(parent)
{ }

SimLine::~SimLine()
{
    stop();
}

QString SimLine::dir() const
{
    return dir_ ? dir_->path() : QString();
}

bool SimLine::start(const QStringList &extra_args, const QString &meter_file)
{
    if (socat_ || sim_) {
        error_ = QStringLiteral("already started");
        return false;
    }
    const QString socat = QStandardPaths::findExecutable(QStringLiteral("socat"));
    if (socat.isEmpty()) {
        error_ = QStringLiteral("socat is not installed");
        return false;
    }
    const QString sim = qEnvironmentVariable("METER_SIM");
    if (sim.isEmpty() || !QFileInfo(sim).isExecutable()) {
        error_ = QStringLiteral("METER_SIM does not name the meter_sim binary ('%1')").arg(sim);
        return false;
    }
    dir_.reset(new QTemporaryDir);
    if (!dir_->isValid()) {
        error_ = QStringLiteral("no scratch directory: %1").arg(dir_->errorString());
        return false;
    }
    const QString program_link = dir_->filePath(QStringLiteral("program"));
    const QString meter_link = dir_->filePath(QStringLiteral("meter"));

    socat_.reset(new child_process);
    socat_->setStandardOutputFile(dir_->filePath(QStringLiteral("socat.log")));
    socat_->setStandardErrorFile(dir_->filePath(QStringLiteral("socat.log")), QIODevice::Append);
    socat_->start(socat,
                  {QStringLiteral("-d"), QStringLiteral("-d"), QStringLiteral("pty,raw,echo=0,link=") + program_link,
                   QStringLiteral("pty,raw,echo=0,link=") + meter_link});
    if (!socat_->waitForStarted(10000)) {
        error_ = QStringLiteral("socat did not start: %1").arg(socat_->errorString());
        return false;
    }
    const bool linked = QTest::qWaitFor(
        [&] {
            return (QFileInfo::exists(program_link) && QFileInfo::exists(meter_link))
                || socat_->state() == QProcess::NotRunning;
        },
        10000);
    if (!linked || socat_->state() == QProcess::NotRunning) {
        QFile log(dir_->filePath(QStringLiteral("socat.log")));
        log.open(QIODevice::ReadOnly);
        error_ = QStringLiteral("socat made no pty pair: %1").arg(QString::fromLocal8Bit(log.readAll()));
        return false;
    }
    // The links, not the /dev/pts/N behind them: when a pty goes away, a test
    // running beside this one may get its number, but never these names.
    program_port_ = program_link;
    meter_port_ = meter_link;

    return start_sim(QStringList{QStringLiteral("--port"), meter_port_} + extra_args, meter_file);
}

bool SimLine::start_tcp(const QStringList &extra_args, const QString &meter_file)
{
    if (socat_ || sim_) {
        error_ = QStringLiteral("already started");
        return false;
    }
    dir_.reset(new QTemporaryDir);
    if (!dir_->isValid()) {
        error_ = QStringLiteral("no scratch directory: %1").arg(dir_->errorString());
        return false;
    }
    if (!start_sim(QStringList{QStringLiteral("--tcp"), QStringLiteral("0")} + extra_args, meter_file))
        return false;
    const QString told = QStringLiteral("tcp port ");
    for (const QString &line : qAsConst(log_)) {
        if (line.startsWith(told))
            tcp_port_ = line.mid(told.size()).toInt();
    }
    if (tcp_port_ <= 0) {
        error_ = QStringLiteral("meter_sim told no TCP port: %1").arg(log_.join(QLatin1Char('\n')));
        return false;
    }
    return true;
}

bool SimLine::start_sim(QStringList args, const QString &meter_file)
{
    const QString sim = qEnvironmentVariable("METER_SIM");
    if (sim.isEmpty() || !QFileInfo(sim).isExecutable()) {
        error_ = QStringLiteral("METER_SIM does not name the meter_sim binary ('%1')").arg(sim);
        return false;
    }
    if (!meter_file.isEmpty()) {
        const QString path = dir_->filePath(QStringLiteral("line.meter"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(meter_file.toUtf8()) < 0) {
            error_ = QStringLiteral("cannot write %1").arg(path);
            return false;
        }
        file.close();
        args << QStringLiteral("--config") << path;
    }
    for (QString &arg : args) {
        if (arg == QLatin1String(program_port_arg))
            arg = program_port_;
    }

    sim_.reset(new child_process);
    connect(sim_.get(), &QProcess::readyReadStandardOutput, this, &SimLine::read_stdout);
    connect(sim_.get(), &QProcess::readyReadStandardError, this, &SimLine::read_stderr);
    sim_->start(sim, args);
    if (!sim_->waitForStarted(10000)) {
        error_ = QStringLiteral("meter_sim did not start: %1").arg(sim_->errorString());
        return false;
    }
    const bool ready = QTest::qWaitFor(
        [&] { return replies_.contains(QStringLiteral("ready")) || sim_->state() == QProcess::NotRunning; }, 20000);
    read_stderr();
    if (!ready || !replies_.contains(QStringLiteral("ready"))) {
        error_ = QStringLiteral("meter_sim is not ready: %1").arg(log_.join(QLatin1Char('\n')));
        return false;
    }
    replies_.removeAll(QStringLiteral("ready"));
    return true;
}

void SimLine::read_stdout()
{
    if (sim_)
        replies_ += take_lines(&stdout_rest_, sim_->readAllStandardOutput());
}

void SimLine::read_stderr()
{
    if (sim_)
        log_ += take_lines(&stderr_rest_, sim_->readAllStandardError());
}

QString SimLine::command(const QString &line, int timeout_ms)
{
    if (!sim_running())
        return QStringLiteral("error meter_sim is not running");
    sim_->write(line.toLocal8Bit() + '\n');
    // The reply comes within moments; waiting on the pipe itself is much faster
    // than polling, and tests ask for hundreds of archive records.
    QDeadlineTimer deadline(timeout_ms);
    read_stdout();
    while (replies_.isEmpty() && sim_->state() != QProcess::NotRunning && !deadline.hasExpired()) {
        sim_->waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
        read_stdout();
    }
    if (replies_.isEmpty())
        return QStringLiteral("error no reply to '%1'").arg(line);
    return replies_.takeFirst();
}

QStringList SimLine::sim_log()
{
    read_stderr();
    return log_;
}

void SimLine::clear_log()
{
    read_stderr();
    log_.clear();
}

bool SimLine::wait_for_log(const QString &needle, int from, int timeout_ms)
{
    return QTest::qWaitFor(
        [&] {
            read_stderr();
            for (int i = qMax(0, from); i < log_.size(); ++i) {
                if (log_.at(i).contains(needle))
                    return true;
            }
            return false;
        },
        timeout_ms);
}

bool SimLine::sim_running() const
{
    return sim_ && sim_->state() == QProcess::Running;
}

void SimLine::unplug()
{
    end_process(socat_.get());
    // Killed, socat leaves its links behind, pointing at pty numbers that a
    // test running beside this one may get next: gone with the line.
    if (dir_) {
        QFile::remove(dir_->filePath(QStringLiteral("program")));
        QFile::remove(dir_->filePath(QStringLiteral("meter")));
    }
}

void SimLine::stop()
{
    if (sim_) {
        read_stderr();
        end_process(sim_.get());
    }
    unplug();
}
