// The service tools: any register by either addressing, a watched meter, and
// the service report of the meter last read.
#include "windows/mainwindow.h"

#include "link/exchanger.h"
#include "link/serial_number.h"
#include "meter/poll.h"
#include "meter/register_map.h"
#include "meter/write.h"
#include "ui_mainwindow.h"
#include "windows/archive.h"
#include "windows/log_class.h"
#include "windows/register_window.h"
#include "windows/save_dialog.h"
#include "windows/watch_window.h"

#include <QSpinBox>

std::optional<MeterTarget> MainWindow::service_target(QString *why)
{
    if (exchanger->busy()) {
        *why = tr("Дождитесь окончания обмена");
        return std::nullopt;
    }
    if (!port_started || !port_opened) {
        *why = tr("Порт не открыт");
        return std::nullopt;
    }
    MeterTarget target;
    target.by_serial = by_serial;
    if (by_serial) {
        const std::optional<SerialBytes> serial = pack_serial_number(ui->sereal_num_line_w->text());
        if (!serial) {
            *why = tr("Неверный серийный номер");
            return std::nullopt;
        }
        target.serial = *serial;
    } else if (by_address) {
        const std::optional<quint8> address = parse_device_address(ui->adr_line->text());
        if (!address) {
            *why = tr("Неверный адрес устройства");
            return std::nullopt;
        }
        target.address = *address;
    } else {
        *why = tr("Не выбран способ обращения к счетчику");
        return std::nullopt;
    }
    return target;
}

bool MainWindow::watching() const
{
    return watch_window && watch_window->watching();
}

void MainWindow::on_registers_btn_clicked()
{
    if (!register_window) {
        register_window = new RegisterWindow(
            exchanger.get(),
            [this](QString *why) -> std::optional<MeterTarget> {
                if (watching()) {
                    *why = tr("Идёт наблюдение: остановите его");
                    return std::nullopt;
                }
                return service_target(why);
            },
            [this] { return port_settings.main_fail_ms; }, this);
        connect(register_window, &RegisterWindow::write_concluded, this,
                [this](const SessionWrite &write) { session_writes.append(write); });
    }
    register_window->show();
    register_window->raise();
    register_window->activateWindow();
}

void MainWindow::on_watch_btn_clicked()
{
    if (!watch_window) {
        watch_window = new WatchWindow(
            exchanger.get(), [this](QString *why) { return service_target(why); },
            [this] {
                ExchangeRules rules;
                rules.ok_ms = port_settings.main_ok_ms;
                rules.fail_ms = port_settings.main_fail_ms;
                return rules;
            },
            model_table, this);
        connect(watch_window, &WatchWindow::watching_changed, this,
                [this](bool on) { ui->watch_btn->setText(on ? tr("Стоп наблюдения") : tr("Наблюдение")); });
    }
    if (watch_window->watching()) {
        watch_window->stop(tr("Наблюдение остановлено"));
        return;
    }
    QString why;
    if (!watch_window->start(ui->watch_period_box->value(), &why)) {
        set_status(why, "QLabel {color:red;}");
        return;
    }
    watch_window->show();
    watch_window->raise();
}

// Each item of a finished write, as the meter answered it, for the report.
void MainWindow::record_write_results()
{
    static const char *const names[write_item::count]
        = {QT_TR_NOOP("Адрес устройства"), QT_TR_NOOP("Код скорости обмена"), QT_TR_NOOP("Параметры битов четности"),
           QT_TR_NOOP("Дата сохранения"), QT_TR_NOOP("Время")};
    const MeterTarget &target = write_run->target();
    QString serial;
    for (quint8 b : target.serial)
        serial += QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0'));
    for (int item = 0; item < write_item::count; ++item) {
        const WriteItemResult result = write_run->item_result(item);
        if (result.kind == WriteItemResult::Kind::not_sent)
            continue;
        SessionWrite write;
        write.at = QDateTime::currentDateTime();
        write.meter = target.by_serial ? tr("с/н %1").arg(serial) : tr("адрес %1").arg(target.address);
        write.what = tr(names[item]);
        const quint32 value = write_run->item_value(item);
        switch (item) {
        case write_item::parity: write.value = QStringLiteral("0x%1").arg(value, 4, 16, QLatin1Char('0')); break;
        case write_item::clock: write.value = meter_time_text(qint32(value)); break;
        default: write.value = QString::number(value); break;
        }
        write.outcome = result.kind == WriteItemResult::Kind::confirmed ? tr("подтверждено")
                                                                        : result.text.section(QLatin1Char('\n'), 0, 0);
        session_writes.append(write);
    }
}

ServiceReportData MainWindow::report_data() const
{
    ServiceReportData d;
    d.made_at = QDateTime::currentDateTime();
    const PollValues &v = poll_run->values();
    d.model = ui->model_line->text();
    d.serial = v.serial_number;
    d.protocol_version = v.protocol_version >= 0 ? QString::number(v.protocol_version) : QString();
    d.software_version = v.software_version;
    d.software_id = v.software_id;
    d.device_address = v.device_address;
    const char parity[] = {'N', 'O', 'E'};
    d.line = tr("%1, %2 бод, 8%3%4")
                 .arg(port_settings.port_name)
                 .arg(port_settings.baud_rate)
                 .arg(QLatin1Char(parity[qBound(0, port_settings.parity, 2)]))
                 .arg(port_settings.stop_bits);
    d.volume_unit = v.volume_factor > 0.0 ? tr("м³") : tr("ед.");
    d.decimals = v.volume_factor > 0.0 ? v.factor_decimals : 0;
    auto with_unit
        = [&](const QString &volume) { return volume.isEmpty() ? volume : volume + QLatin1Char(' ') + d.volume_unit; };
    d.readings = {{tr("Текущий объём"), with_unit(v.volume)},
                  {tr("Текущее событие"), v.event},
                  {tr("Обратный поток"), with_unit(v.reverse_volume)}};
    const std::pair<const char *, const ArchivedReadingText *> archived[]
        = {{QT_TR_NOOP("На начало часа"), &v.hour},
           {QT_TR_NOOP("На последние сутки"), &v.day},
           {QT_TR_NOOP("На начало месячного журнала"), &v.month}};
    for (const auto &a : archived) {
        if (a.second->time.isEmpty())
            continue;
        d.readings.append(
            {tr(a.first), tr("%1: %2, событие %3").arg(a.second->time, with_unit(a.second->volume), a.second->event)});
    }
    d.meter_clock = v.clock;
    d.read_at = clock_read_at;
    const std::optional<QDateTime> meter_clock = parse_meter_time(v.clock);
    if (meter_clock && clock_read_at.isValid())
        d.clock_offset_s = wall_time_as_utc(clock_read_at).secsTo(*meter_clock);
    d.writes = session_writes;
    const char *const archive_names[] = {QT_TR_NOOP("Часовой"), QT_TR_NOOP("Суточный"), QT_TR_NOOP("Месячный")};
    // Only an archive of this meter: another one may have been read since.
    const QString archive_serial = archive_window->serial().trimmed();
    d.archive_of_other_meter = !archive_serial.isEmpty() && !d.serial.isEmpty()
        && archive_serial.compare(d.serial, Qt::CaseInsensitive) != 0;
    for (int type = 1; type <= 3 && !d.archive_of_other_meter; ++type) {
        const arc::ArchiveSummary summary = archive_window->summary(type);
        if (summary.records > 0)
            d.archives.append({tr(archive_names[type - 1]), summary});
    }
    d.stats = exchanger->stats();
    return d;
}

bool MainWindow::save_report(const QString &path, QString *error)
{
    return write_service_report(path, report_data(), error);
}

void MainWindow::on_report_btn_clicked()
{
    if (!poll_run) {
        set_status(tr("Сначала считайте параметры счётчика"), "QLabel {color:red;}");
        return;
    }
    const QString path = save_with_dialog(
        this, tr("Сохранить отчёт"), report_file_name(poll_run->values().serial_number, QDate::currentDate()),
        tr("Файлы PDF (*.pdf)"), &report_dir,
        [this](const QString &file, QString *error) { return save_report(file, error); });
    if (!path.isEmpty())
        set_status(tr("Отчёт сохранён: %1").arg(path), "QLabel {color:black;}");
}
