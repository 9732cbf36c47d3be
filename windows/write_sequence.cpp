// The write: the checked items of the write block, each confirmed by the
// meter before the next leaves.
#include "windows/mainwindow.h"

#include "link/exchanger.h"
#include "link/serial_number.h"
#include "meter/register_map.h"
#include "meter/write.h"
#include "ui_mainwindow.h"

namespace {

const char *const red_label = "QLabel {color:red;}";
// How often what has come back is looked at: a write's answer equals its
// request, and an echoing adapter's copy must have had time to show itself.
constexpr int write_look_ms = 100;

// The field of the write block that holds an item's value.
QWidget *item_field(Ui::MainWindow *ui, int item)
{
    switch (item) {
    case write_item::address: return ui->adr_line_w;
    case write_item::exchange_rate: return ui->speed_box_w;
    case write_item::parity: return ui->bit_box_w;
    case write_item::save_date: return ui->date_line_w;
    default: return ui->real_time_line;
    }
}

// Green for a confirmed item, red for one refused or not confirmed; an item
// not sent is left as it is.
void mark_item(QWidget *field, const WriteItemResult &result)
{
    QString colour;
    switch (result.kind) {
    case WriteItemResult::Kind::confirmed: colour = QStringLiteral("#c8f0c8"); break;
    case WriteItemResult::Kind::refused: colour = QStringLiteral("#f5c4c4"); break;
    case WriteItemResult::Kind::not_sent: return;
    }
    field->setStyleSheet(
        QStringLiteral("%1 {background-color: %2;}").arg(QLatin1String(field->metaObject()->className()), colour));
    field->setToolTip(result.text);
}

} // namespace

void MainWindow::on_write_btn_clicked()
{
    if (!line_free_and_open())
        return;
    const std::optional<MeterTarget> target = sequence_target(by_serial);
    if (!target)
        return;
    const std::optional<WriteValues> values = write_values_of_form();
    if (!values)
        return;

    // The marks of the last write go: they speak of other values.
    for (int item = 0; item < write_item::count; ++item) {
        item_field(ui, item)->setStyleSheet(QString());
        item_field(ui, item)->setToolTip(QString());
    }
    write_run = std::make_unique<WriteEngine>(*target, *values, write_clock_enabled && !manual_time);
    // One wait of the main failure period per item, no resend: a write
    // repeated after a lost confirmation would be written twice.
    ExchangeRules rules;
    rules.retry = ExchangeRules::Retry::none;
    rules.fail_ms = port_settings.main_fail_ms;
    rules.look_ms = write_look_ms;
    exchanger->run(write_run.get(), rules);
}

// Everything is checked before the first frame: a typo must not reach the
// meter as 0, and a run must not stop half-way through with some items written.
std::optional<WriteValues> MainWindow::write_values_of_form()
{
    WriteValues values;
    if (write_address_enabled) {
        const std::optional<quint8> address = parse_device_address(ui->adr_line_w->text());
        if (!address) {
            set_status(tr("Неверный новый адрес устройства"), red_label);
            return std::nullopt;
        }
        values[write_item::address] = *address;
    }
    if (write_rate_enabled)
        values[write_item::exchange_rate] = quint32(ui->speed_box_w->currentIndex());
    if (write_parity_enabled)
        values[write_item::parity] = parity_code(ui->bit_box_w->currentIndex());
    if (write_save_date_enabled) {
        const std::optional<quint16> date = parse_save_date(ui->date_line_w->text());
        if (!date) {
            set_status(tr("Неверная дата сохранения"), red_label);
            return std::nullopt;
        }
        values[write_item::save_date] = *date;
    }
    if (write_clock_enabled) {
        if (manual_time) {
            const std::optional<QDateTime> typed = parse_meter_time(ui->real_time_line->text());
            if (!typed) {
                set_status(tr("Неверный формат времени"), red_label);
                return std::nullopt;
            }
            values[write_item::clock] = meter_clock_value(*typed);
        } else {
            values[write_item::clock] = 0; // taken from the computer when sent
        }
    }
    return values;
}

// An item has been confirmed, or the write is over.
void MainWindow::write_data()
{
    for (int item = 0; item < write_item::count; ++item)
        mark_item(item_field(ui, item), write_run->item_result(item));
    if (!write_run->finished())
        return;
    record_write_results();
    // The meter may take a new address, rate or parity only after its own
    // restart, so the run went on as before; the operator sets them next.
    for (int item = 0; item < write_item::count; ++item) {
        const QString next = write_run->item_result(item).next_exchange;
        if (!next.isEmpty())
            log_line(tr("Для следующего обмена: %1").arg(next));
    }
    if (write_run->succeeded()) {
        set_status(tr("Запись завершена"), "QLabel {color:black;}");
        return;
    }
    const ExchangeOutcome &refusal = write_run->refusal();
    if (refusal.kind == ExchangeOutcome::Kind::stopped) {
        set_status(tr("Обмен остановлен"), red_label);
        return;
    }
    const QString exception = exception_message(refusal.exception_code);
    set_status(exception.isEmpty() ? tr("Запись не подтверждена") : exception, red_label);
}
