// The archive read: the hourly, daily and monthly archives, each handed to
// the archive window once the archive reader has it whole.
#include "app/mainwindow.h"

#include "app/archive.h"
#include "archive/archive_geometry.h"
#include "archive/archive_reader.h"
#include "link/exchanger.h"
#include "ui_mainwindow.h"

namespace {

const char *const red_button = "QPushButton {color:red;}";
const char *const red_label = "QLabel {color:red;}";

} // namespace

void MainWindow::on_arch_btn_clicked()
{
    if (line_busy())
        return;
    ui->arch_btn->setStyleSheet(QStringLiteral("QPushButton {color:green;}"));
    ui->arch_btn->setText(tr("Идет чтение архива"));
    ui->label_31->setText(QString());
    archive_window->clear_tables();

    // The version and the addressing hold for the whole run: the window cuts
    // the answers by the same record and header lengths the requests ask for.
    const int version = ui->ver_prot_line->text().toInt(nullptr, 10);
    archive_window->set_version_scale(version, volume_factor);
    archive_window->set_decimals(factor_decimals);
    archive_window->set_by_serial(by_serial);
    // Names the file the archive is saved to.
    const QString serial = ui->serial_num_line->text();
    archive_window->set_meter_serial(serial.isEmpty() && by_serial ? ui->sereal_num_line_w->text() : serial);
    archive_window->set_read_details(ui->model_line->text(), QDateTime::currentDateTime());

    if (!port_started) {
        ui->label_31->setText(tr("Порт не открыт"));
        ui->arch_btn->setStyleSheet(QLatin1String(red_button));
        ui->arch_btn->setText(tr("Архив не прочитан"));
        return;
    }
    if (!archive_geometry::is_supported_version(version)) {
        ui->arch_btn->setStyleSheet(QLatin1String(red_button));
        ui->arch_btn->setText(tr("Некорректные параметры чтения"));
        return;
    }
    const std::optional<MeterTarget> target = sequence_target(by_serial);
    if (!target) {
        ui->arch_btn->setStyleSheet(QLatin1String(red_button));
        ui->arch_btn->setText(tr("Архив не прочитан"));
        return;
    }
    archive_run = std::make_unique<ArchiveReader>(version, *target);
    ExchangeRules rules;
    rules.ok_ms = port_settings.archive_ok_ms;
    rules.fail_ms = port_settings.archive_fail_ms;
    exchanger->run(archive_run.get(), rules);
}

// A block has come, or the read is over.
void MainWindow::printer_arc()
{
    for (const ReadArchive &read : archive_run->take_completed())
        archive_window->add_archive(read.frames, read.type);
    if (!archive_run->finished())
        return;
    if (archive_run->complete()) {
        ui->arch_btn->setStyleSheet(QStringLiteral("QPushButton {color:black;}"));
        ui->arch_btn->setText(tr("Архив прочитан"));
    } else if (archive_run->failure() == ExchangeOutcome::Kind::bad_answer) {
        archive_read_failed(tr("Некорректные данные архива"), tr("Неверные данные"));
    } else {
        archive_read_failed(tr("Архив не прочитан"), tr("Соединение отсутствует"));
    }
}

void MainWindow::archive_read_failed(const QString &button_text, const QString &status)
{
    ui->arch_btn->setStyleSheet(QLatin1String(red_button));
    ui->arch_btn->setText(button_text);
    set_status(status, red_label);
}
