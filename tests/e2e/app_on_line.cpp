#include "app_on_line.h"

#include "windows/main_window/archive.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

AppOnLine::AppOnLine()
{
    previous_dir_ = QDir::currentPath();
}

AppOnLine::~AppOnLine()
{
    answer_.reset();
    window_.reset();
    QDir::setCurrent(previous_dir_);
}

bool AppOnLine::start(const QStringList &sim_args, const QString &meter_file, const LinePeriods &periods)
{
    if (!line_.start(sim_args, meter_file)) {
        error_ = line_.error();
        return false;
    }
    if (!write_files(line_.program_port(), periods))
        return false;
    window_ = std::make_unique<MainWindow>();
    click("start_btn");
    if (text("start_btn") != QStringLiteral("Соединение установлено")) {
        error_ = "the port did not open: " + text("start_btn");
        return false;
    }
    return true;
}

bool AppOnLine::start_tcp(const QStringList &sim_args, const QString &meter_file, const LinePeriods &periods)
{
    if (!line_.start_tcp(sim_args, meter_file)) {
        error_ = line_.error();
        return false;
    }
    if (!write_files(QStringLiteral("/dev/null-no-such-port"), periods))
        return false;
    QFile side("addressing.txt");
    if (!side.open(QIODevice::Append)
        || side.write(QString("line=network\nhost=127.0.0.1\ntcp_port=%1\n").arg(line_.tcp_port()).toUtf8()) < 0) {
        error_ = "cannot write addressing.txt";
        return false;
    }
    side.close();
    window_ = std::make_unique<MainWindow>();
    click("start_btn");
    if (!wait_for([this] { return text("start_btn") == QStringLiteral("Соединение установлено"); }, 20000)) {
        error_ = "the network line did not connect: " + text("start_btn") + " / " + status();
        return false;
    }
    return true;
}

bool AppOnLine::write_files(const QString &port_name, const LinePeriods &periods)
{
    // The program keeps its files in the working directory.
    QDir::setCurrent(work_dir_.path());
    QFile settings("settings.txt");
    if (!settings.open(QIODevice::WriteOnly)) {
        error_ = "cannot write settings.txt";
        return false;
    }
    settings.write(QString("%1\n%6\n1\n%2\n%3\n%4\n%5\n0\n")
                       .arg(port_name)
                       .arg(periods.main_ok_ms)
                       .arg(periods.main_fail_ms)
                       .arg(periods.archive_ok_ms)
                       .arg(periods.archive_fail_ms)
                       .arg(periods.baud_rate)
                       .toLocal8Bit());
    settings.close();
    QFile::remove("models_counter.csv");
    if (!QFile::copy(QStringLiteral(MODELS_CSV), "models_counter.csv")) {
        error_ = "cannot copy " MODELS_CSV;
        return false;
    }
    if (!side_settings_.isEmpty()) {
        QFile side("addressing.txt");
        if (!side.open(QIODevice::WriteOnly) || side.write(side_settings_) != side_settings_.size()) {
            error_ = "cannot write addressing.txt";
            return false;
        }
    }
    return true;
}

template<typename T> T *AppOnLine::find(const char *name)
{
    T *child = window_->findChild<T *>(QLatin1String(name));
    if (!child)
        qFatal("no widget %s", name);
    return child;
}

QString AppOnLine::text(const char *name)
{
    QObject *object = window_->findChild<QObject *>(QLatin1String(name));
    if (auto *edit = qobject_cast<QLineEdit *>(object))
        return edit->text();
    if (auto *label = qobject_cast<QLabel *>(object))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(object))
        return button->text();
    qFatal("no text widget %s", name);
    return {};
}

void AppOnLine::set_text(const char *name, const QString &text)
{
    find<QLineEdit>(name)->setText(text);
}

void AppOnLine::check(const char *name, bool on)
{
    find<QCheckBox>(name)->setChecked(on);
}

void AppOnLine::answer_questions(QMessageBox::StandardButton button)
{
    answer_.reset();
    if (button != QMessageBox::NoButton)
        answer_with([button](QMessageBox *box) { return box->button(button); });
}

void AppOnLine::answer_questions(const QString &button_name)
{
    answer_.reset();
    answer_with([button_name](QMessageBox *box) { return box->findChild<QPushButton *>(button_name); });
}

void AppOnLine::answer_with(const std::function<QAbstractButton *(QMessageBox *)> &pick)
{
    answer_ = std::make_unique<QTimer>();
    QObject::connect(answer_.get(), &QTimer::timeout, [this, pick] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QAbstractButton *button = box ? pick(box) : nullptr;
        if (!button)
            return;
        questions_ << box->text();
        button->click();
    });
    answer_->start(20);
}

void AppOnLine::click(const char *name)
{
    find<QPushButton>(name)->click();
}

int AppOnLine::combo_index(const char *name)
{
    return find<QComboBox>(name)->currentIndex();
}

QString AppOnLine::status_style()
{
    return find<QLabel>("label_31")->styleSheet();
}

QString AppOnLine::log_text()
{
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->objectName() == QLatin1String("LOG_class"))
            return top->findChild<QTextEdit *>("textEdit")->toPlainText();
    }
    return {};
}

archive *AppOnLine::archive_window()
{
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<archive *>(top))
            return window;
    }
    return nullptr;
}

void AppOnLine::address_meter(bool by_serial)
{
    if (by_serial) {
        check("s_num_click");
        set_text("sereal_num_line_w", "0012345678AB");
    } else {
        check("adr_click");
    }
}

QStringList AppOnLine::sent_frames()
{
    QStringList frames;
    for (const QString &line : log_text().split('\n')) {
        if (line.startsWith("->"))
            frames << line.mid(3);
    }
    return frames;
}

bool AppOnLine::wait_idle(int timeout_ms)
{
    return wait_for([this] { return !probe().exchanging(); }, timeout_ms);
}

// A real event loop, as the program has in the field: QTest::qWaitFor sleeps
// between its looks, and the program would stall with it.
bool AppOnLine::wait_for(const std::function<bool()> &condition, int timeout_ms)
{
    if (condition())
        return true;
    QEventLoop loop;
    QTimer look;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (condition())
            loop.quit();
    });
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    look.start(2);
    deadline.start(timeout_ms);
    loop.exec();
    return condition();
}

long AppOnLine::sim_register(int reg)
{
    const QString reply = line_.command(QString("get 0x%1").arg(reg, 4, 16, QLatin1Char('0')));
    const QStringList parts = reply.split(' ');
    if (parts.size() < 2 || parts[0] != "ok")
        return -1;
    return parts[1].toLong();
}
