#include "windows/main_window/settings.h"

#include "config/network_settings.h"
#include "config/port_settings.h"
#include "link/io_port.h"
#include "link/network_endpoint.h"
#include "ui_settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

namespace {

const char *const bad_field_style = "QLineEdit {background-color: yellow;}";

} // namespace

settings::settings(QWidget *parent, port_lister lister)
    : QWidget(parent)
    , ui(new Ui::settings)
{
    ui->setupUi(this);
    setWindowTitle(tr("Параметры СОМ порта"));
    set_port_lister(std::move(lister));
    // A long name (a /dev/serial/by-id/ link, say) must not widen the window
    // past the screen: the box keeps a usual width, the whole name is in its
    // tooltip and in the list it drops.
    ui->name_box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ui->name_box->setMinimumContentsLength(16);
    connect(ui->name_box, &QComboBox::currentTextChanged, ui->name_box, &QWidget::setToolTip);
    ui->name_box->addItems(port_source());
    ui->host_line->setMaxLength(max_side_value_length);
    ui->tcp_port_line->setMaxLength(5);
    connect(ui->net_click, &QCheckBox::toggled, this, &settings::show_line_choice);
    show_line_choice();
    // Leaves as Escape does: the record keeps what it held, and the next
    // opening shows that, not what was typed here.
    auto *cancel = new QPushButton(tr("Отмена"), this);
    cancel->setObjectName(QStringLiteral("cancel_btn"));
    cancel->setFont(ui->set_btn->font());
    ui->gridLayout->addWidget(cancel, 12, 1);
    connect(cancel, &QPushButton::clicked, this, &QWidget::close);
}

// The serial port's name means nothing while the line is a TCP connection,
// and the host and TCP port nothing while it is the serial port. The rate,
// parity and stop bits stay: behind a server they are its line's.
void settings::show_line_choice()
{
    const bool network = ui->net_click->isChecked();
    ui->name_box->setEnabled(!network);
    ui->host_line->setEnabled(network);
    ui->tcp_port_line->setEnabled(network);
}

void settings::load_network(const NetworkSettings &network)
{
    ui->net_click->setChecked(network.chosen);
    ui->host_line->setText(network.host);
    ui->tcp_port_line->setText(network.tcp_port > 0 ? QString::number(network.tcp_port) : QString());
    ui->host_line->setStyleSheet(QString());
    ui->tcp_port_line->setStyleSheet(QString());
}

void settings::attach_network(NetworkSettings *target)
{
    network_record = target;
}

// Only a chosen network line needs its host and port; the fields of one not
// chosen are kept as typed, checked the day it is chosen.
bool settings::network_fields_valid()
{
    const bool network = ui->net_click->isChecked();
    const bool host_ok = !network || check_host(ui->host_line->text()) == EndpointProblem::none;
    const bool port_ok = !network || check_tcp_port(ui->tcp_port_line->text()) == EndpointProblem::none;
    ui->host_line->setStyleSheet(host_ok ? QString() : QLatin1String(bad_field_style));
    ui->tcp_port_line->setStyleSheet(port_ok ? QString() : QLatin1String(bad_field_style));
    return host_ok && port_ok;
}

void settings::set_port_lister(port_lister lister)
{
    port_source = lister ? std::move(lister) : port_lister(openable_port_names);
}

void settings::showEvent(QShowEvent *event)
{
    // Adapters come and go while the program runs: list them anew each time
    // the window is opened (not when it is merely restored from the taskbar),
    // and show what is stored, not what was typed and abandoned last time.
    if (!event->spontaneous()) {
        if (record)
            load(record->parity, record->baud_rate, record->stop_bits, record->port_name, record->main_ok_ms,
                 record->main_fail_ms, record->archive_ok_ms, record->archive_fail_ms);
        if (network_record)
            load_network(*network_record);
        list_ports();
    }
    QWidget::showEvent(event);
}

// Escape leaves the window as Cancel would: nothing is stored.
void settings::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void settings::list_ports()
{
    const QString selected = ui->name_box->currentText();
    QStringList names = port_source();
    // The selection stays even when the system no longer lists it, like a
    // configured port that load() added.
    if (!selected.isEmpty() && !names.contains(selected))
        names.append(selected);
    ui->name_box->clear();
    ui->name_box->addItems(names);
    // Nothing selected yet: the last openable port, as load() does.
    ui->name_box->setCurrentIndex(selected.isEmpty() ? names.size() - 1 : names.indexOf(selected));
}

settings::~settings()
{
    delete ui;
}

void settings::load(int parity, int baud_rate, int stop_bits, const QString &port_name, int main_ok_ms,
                    int main_fail_ms, int archive_ok_ms, int archive_fail_ms)
{
    if (parity >= 0 && parity <= 2)
        ui->parity_box->setCurrentIndex(parity);

    const int speed_index = QList<int>{1200, 2400, 4800, 9600}.indexOf(baud_rate);
    if (speed_index >= 0)
        ui->speed_box->setCurrentIndex(speed_index);

    if (stop_bits == 1 || stop_bits == 2)
        ui->bot_box_param->setCurrentIndex(stop_bits - 1);

    // A configured port that is not listed (busy, not plugged in yet, or a
    // path the system does not list) is kept rather than silently replaced.
    if (!port_name.isEmpty() && ui->name_box->findText(port_name) < 0)
        ui->name_box->addItem(port_name);
    // No name configured: the last openable port, the one the open would probe.
    const int name_index = port_name.isEmpty() ? ui->name_box->count() - 1 : ui->name_box->findText(port_name);
    if (name_index >= 0)
        ui->name_box->setCurrentIndex(name_index);

    ui->time_yes->setText(QString::number(main_ok_ms, 10));
    ui->time_no->setText(QString::number(main_fail_ms, 10));
    ui->time_arc_y->setText(QString::number(archive_ok_ms, 10));
    ui->time_arc_n->setText(QString::number(archive_fail_ms, 10));
    for (QLineEdit *field : {ui->time_yes, ui->time_no, ui->time_arc_y, ui->time_arc_n})
        field->setStyleSheet(QString());
}

void settings::attach(PortSettings *target)
{
    record = target;
}

void settings::on_set_btn_clicked()
{
    // A period of 0 or a typo would make the exchanges fire without waiting
    // for the meter: refuse the whole form and mark what is wrong.
    int periods[4] = {};
    QLineEdit *fields[4] = {ui->time_yes, ui->time_no, ui->time_arc_y, ui->time_arc_n};
    bool all_valid = true;
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        periods[i] = fields[i]->text().trimmed().toInt(&ok, 10);
        const bool valid = ok && is_valid_period(periods[i]);
        fields[i]->setStyleSheet(valid ? QString() : QLatin1String(bad_field_style));
        all_valid = all_valid && valid;
    }
    all_valid = network_fields_valid() && all_valid;
    if (!all_valid || !record)
        return;

    if (network_record) {
        network_record->chosen = ui->net_click->isChecked();
        network_record->host = normalized_host(ui->host_line->text());
        int port = 0;
        check_tcp_port(ui->tcp_port_line->text(), &port);
        network_record->tcp_port = port;
    }

    record->baud_rate = ui->speed_box->currentText().toInt(nullptr, 10);
    record->parity = ui->parity_box->currentIndex();
    record->stop_bits = ui->bot_box_param->currentText().toInt(nullptr, 10);
    record->port_name = ui->name_box->currentText();
    record->main_ok_ms = periods[0];
    record->main_fail_ms = periods[1];
    record->archive_ok_ms = periods[2];
    record->archive_fail_ms = periods[3];
    emit accepted();
    close();
}
