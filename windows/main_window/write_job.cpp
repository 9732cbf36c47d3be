// The write: the checked items of the write block, each confirmed by the
// meter before the next leaves.
#include "windows/main_window/write_job.h"

#include "link/answer_check.h"
#include "link/exchanger.h"
#include "link/serial_number.h"
#include "meter/register_map.h"
#include "meter/write.h"
#include "model/meter_model.h"
#include "model/outcome_words.h"
#include "model/quantity.h"
#include "ui_mainwindow.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QStringList>

namespace {

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
void mark_item(QWidget *field, const WriteItemResult &result, int item)
{
    QString colour;
    switch (result.kind) {
    case WriteItemResult::Kind::confirmed: colour = QStringLiteral("#c8f0c8"); break;
    case WriteItemResult::Kind::refused: colour = QStringLiteral("#f5c4c4"); break;
    case WriteItemResult::Kind::not_sent: return;
    }
    field->setStyleSheet(
        QStringLiteral("%1 {background-color: %2;}").arg(QLatin1String(field->metaObject()->className()), colour));
    field->setToolTip(write_words(result, item));
}

} // namespace

WriteJob::WriteJob(const JobContext &context)
    : c(context)
{ }

WriteJob::~WriteJob() = default;

void WriteJob::start(const MeterTarget &target)
{
    const std::optional<WriteValues> values = values_of_form();
    if (!values)
        return;
    if (!line_change_confirmed(*values)) {
        c.status(tr("Запись отменена"), black_label_style);
        return;
    }
    // The marks of the last write go: they speak of other values.
    for (int item = 0; item < write_item::count; ++item) {
        item_field(c.ui, item)->setStyleSheet(QString());
        item_field(c.ui, item)->setToolTip(QString());
    }
    run = std::make_unique<WriteEngine>(target, *values, enabled[write_item::clock] && !typed_clock);
    c.line->run(run.get(), exchange_rules::write(c.periods->periods()), [this](bool) { show(); });
}

// Everything is checked before the first frame: a typo must not reach the
// meter as 0, and a run must not stop half-way through with some items written.
std::optional<WriteValues> WriteJob::values_of_form()
{
    Ui::MainWindow *ui = c.ui;
    WriteValues values;
    if (enabled[write_item::address]) {
        const std::optional<quint8> address = parse_device_address(ui->adr_line_w->text());
        if (!address) {
            c.status(tr("Неверный новый адрес устройства"), red_label_style);
            return std::nullopt;
        }
        values[write_item::address] = *address;
    }
    if (enabled[write_item::exchange_rate])
        values[write_item::exchange_rate] = quint32(ui->speed_box_w->currentIndex());
    if (enabled[write_item::parity])
        values[write_item::parity] = parity_code(ui->bit_box_w->currentIndex());
    if (enabled[write_item::save_date]) {
        const std::optional<quint16> date = parse_save_date(ui->date_line_w->text());
        if (!date) {
            c.status(tr("Неверная дата сохранения"), red_label_style);
            return std::nullopt;
        }
        values[write_item::save_date] = *date;
    }
    if (enabled[write_item::clock]) {
        if (typed_clock) {
            const std::optional<QDateTime> typed = parse_meter_time(ui->real_time_line->text());
            if (!typed) {
                c.status(tr("Неверный формат времени"), red_label_style);
                return std::nullopt;
            }
            if (!meter_clock_holds(*typed)) {
                const QString format = quantity::clock_format();
                c.status(tr("Часы счетчика хранят время от %1 до %2")
                             .arg(meter_clock_first().toString(format), meter_clock_last().toString(format)),
                         red_label_style);
                return std::nullopt;
            }
            values[write_item::clock] = meter_clock_value(*typed);
        } else {
            values[write_item::clock] = 0; // taken from the computer when sent
        }
    }
    return values;
}

// A wrong rate or parity cuts the meter off the line once it restarts: the
// operator is told what it will answer at and asked first.
bool WriteJob::line_change_confirmed(const WriteValues &values)
{
    QStringList after;
    for (int item : {int(write_item::exchange_rate), int(write_item::parity)}) {
        if (values[size_t(item)])
            after << next_exchange_text(item, *values[size_t(item)]);
    }
    if (after.isEmpty())
        return true;
    QWidget *window = c.ui->write_btn->window();
    const QString question = tr("После перезапуска счетчик будет отвечать только так: %1.\n"
                                "При других настройках порта связь с ним пропадет. Записать?")
                                 .arg(after.join(QStringLiteral("; ")));
    return QMessageBox::question(window, window->windowTitle(), question) == QMessageBox::Yes;
}

void WriteJob::show()
{
    // A confirmed clock shows what it was set to: the computer's time as the
    // request left, not the meter's time of the last poll.
    if (run->item_result(write_item::clock).kind == WriteItemResult::Kind::confirmed)
        c.ui->real_time_line->setText(quantity::clock(qint32(run->item_value(write_item::clock))));
    for (int item = 0; item < write_item::count; ++item)
        mark_item(item_field(c.ui, item), run->item_result(item), item);
    if (!run->finished())
        return;
    record_results();
    // The meter may take a new address, rate or parity only after its own
    // restart, so the run went on as before; the operator sets them next.
    for (int item = 0; item < write_item::count; ++item) {
        const WriteItemResult result = run->item_result(item);
        const QString next
            = result.kind == WriteItemResult::Kind::confirmed ? next_exchange_text(item, result.value) : QString();
        if (!next.isEmpty())
            c.log(tr("Для следующего обмена: %1").arg(next));
    }
    if (run->succeeded())
        c.status(tr("Запись завершена"), black_label_style);
    else
        c.status(run_status_text(Job::write, run->refusal()), red_label_style);
}

// Each item of a finished write, as the meter answered it, for the report.
void WriteJob::record_results()
{
    static const char *const names[write_item::count]
        = {QT_TRANSLATE_NOOP("MainWindow", "Адрес устройства"), QT_TRANSLATE_NOOP("MainWindow", "Код скорости обмена"),
           QT_TRANSLATE_NOOP("MainWindow", "Параметры битов четности"),
           QT_TRANSLATE_NOOP("MainWindow", "Дата сохранения"), QT_TRANSLATE_NOOP("MainWindow", "Время")};
    const MeterTarget &target = run->target();
    for (int item = 0; item < write_item::count; ++item) {
        const WriteItemResult result = run->item_result(item);
        if (result.kind == WriteItemResult::Kind::not_sent)
            continue;
        const SessionWrite write = session_write(
            target, tr(names[item]), written_value_text(item, run->item_value(item)),
            result.kind == WriteItemResult::Kind::confirmed ? tr("подтверждено") : outcome_words(result.outcome));
        c.meter->add_write(write);
    }
}
