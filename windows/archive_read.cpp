// The archive read: the hourly, daily and monthly archives, each handed to
// the archive window as the archive reader gets it, whole or cut short.
#include "windows/mainwindow.h"

#include "archive/archive_geometry.h"
#include "archive/archive_reader.h"
#include "link/exchanger.h"
#include "meter/poll.h"
#include "ui_mainwindow.h"
#include "windows/archive.h"

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

    // The addressing holds for the whole run: the window cuts the answers by
    // the same header length the requests ask for.
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
    const std::optional<MeterTarget> target = sequence_target(by_serial);
    if (!target) {
        ui->arch_btn->setStyleSheet(QLatin1String(red_button));
        ui->arch_btn->setText(tr("Архив не прочитан"));
        return;
    }
    const int version = archive_version_for(*target);
    archive_run = std::make_unique<ArchiveReader>(version, *target);
    if (archive_run->finished()) {
        ui->arch_btn->setStyleSheet(QLatin1String(red_button));
        ui->arch_btn->setText(tr("Некорректные параметры чтения"));
        return;
    }
    archive_window->set_version_scale(version, volume_factor);
    archive_journal = {};
    archive_journal.by_serial = target->by_serial;
    archive_journal.batch.serial = archive_serial_for(*target);
    archive_journal.batch.factor = volume_factor;
    archive_journal.batch.decimals = factor_decimals;
    archive_journal.batch.read_at = QDateTime::currentDateTimeUtc();
    ExchangeRules rules;
    rules.ok_ms = port_settings.archive_ok_ms;
    rules.fail_ms = port_settings.archive_fail_ms;
    exchanger->run(archive_run.get(), rules);
}

// The version the archive's blocks are sized by: the one shown, unless it is
// empty or a poll of another meter put it there; then 0, and the reader asks
// the meter first.
int MainWindow::archive_version_for(const MeterTarget &target) const
{
    const QString shown = ui->ver_prot_line->text().trimmed();
    if (shown.isEmpty())
        return 0;
    const bool from_poll = poll_run && poll_run->values().protocol_version >= 0
        && shown == QString::number(poll_run->values().protocol_version);
    if (from_poll && !same_meter(poll_run->target(), target))
        return 0;
    return shown.toInt(nullptr, 10);
}

// A block has come, or the read is over.
void MainWindow::printer_arc()
{
    const int version = archive_run->version();
    if (version != 0 && ui->ver_prot_line->text() != QString::number(version)) {
        // The meter was asked for its version: show it, and size the tables by it.
        ui->ver_prot_line->setText(QString::number(version));
        archive_window->set_version_scale(version, volume_factor);
    }
    // The previous archive stays in the window until the first block of this
    // one (no archive is whole or handed over before a second block).
    if (archive_run->progress().done == 1)
        archive_window->clear_tables();
    const QVector<ReadArchive> completed = archive_run->take_completed();
    for (const ReadArchive &archive : completed)
        archive_window->add_archive(archive.frames, archive.type, archive.whole);
    journal_archives(completed);
    if (!archive_run->finished())
        return;
    if (archive_run->records_read() > 0)
        archive_window->set_read_state(archive_run->records_read(), archive_run->records_total());
    journal_archive_read_over();
    if (archive_run->complete()) {
        ui->arch_btn->setStyleSheet(QStringLiteral("QPushButton {color:black;}"));
        ui->arch_btn->setText(tr("Архив прочитан"));
    } else if (archive_run->version_unsupported()) {
        ui->arch_btn->setStyleSheet(QLatin1String(red_button));
        ui->arch_btn->setText(tr("Некорректные параметры чтения"));
    } else if (archive_run->failure() == ExchangeOutcome::Kind::bad_answer) {
        archive_read_failed(tr("Некорректные данные архива"), tr("Неверные данные"));
    } else if (archive_run->failure() == ExchangeOutcome::Kind::stopped) {
        archive_read_failed(tr("Архив не прочитан"), tr("Обмен остановлен"));
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
