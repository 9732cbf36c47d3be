#include "windows/line/commissioning.h"

#include "link/exchanger.h"
#include "link/serial_number.h"
#include "meter/register_map.h"
#include "meter/write_values.h"
#include "model/outcome_words.h"
#include "model/quantity.h"
#include "model/scan_table.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>

namespace {

// The items "Записать выбранным" offers, in the order of the list.
const int batch_items[] = {write_item::save_date, write_item::exchange_rate, write_item::parity, write_item::clock};

} // namespace

Commissioning::Commissioning(const Widgets &widgets, Exchanger *exchanger, QObject *parent)
    : QObject(parent)
    , ui(widgets)
    , line(exchanger)
{
    ui.batch_item->addItems(
        {tr("Дата сохранения"), tr("Код скорости обмена"), tr("Параметры битов четности"), tr("Время компьютера")});
    connect(ui.batch_item, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &Commissioning::item_changed);
    connect(ui.serials_btn, &QPushButton::clicked, this, &Commissioning::look_up);
    connect(line, &Exchanger::concluded, this, &Commissioning::step_concluded);
    connect(line, &Exchanger::finished, this, &Commissioning::run_finished);
    item_changed();
}

void Commissioning::set_value_lists(const QStringList &rates, const QStringList &parities)
{
    rate_texts = rates;
    parity_texts = parities;
    item_changed();
}

// The value beside the item: a list for the rate and the parity, the save
// date typed, nothing for the computer's clock.
void Commissioning::item_changed()
{
    const int item = batch_items[qBound(0, ui.batch_item->currentIndex(), 3)];
    ui.batch_value->clear();
    if (item == write_item::exchange_rate)
        ui.batch_value->addItems(rate_texts);
    else if (item == write_item::parity)
        ui.batch_value->addItems(parity_texts);
    ui.batch_value->setVisible(item == write_item::exchange_rate || item == write_item::parity);
    ui.batch_date->setVisible(item == write_item::save_date);
}

bool Commissioning::running() const
{
    return line->busy() && ((lookup && line->sequence() == &*lookup) || (writes && line->sequence() == &*writes));
}

void Commissioning::look_up()
{
    if (running())
        return;
    const std::optional<QVector<SerialBytes>> serials = scan::parse_serial_list(ui.serials->text());
    if (!serials || serials->isEmpty()) {
        set_status(tr("Введите серийные номера: 12 шестнадцатеричных цифр каждый"), true);
        return;
    }
    const std::optional<ExchangePeriods> periods = may_run ? may_run() : std::nullopt;
    if (!periods)
        return;
    lookup.emplace(*serials);
    set_status(tr("Поиск по серийным номерам: %1").arg(serials->size()), false);
    line->run(&*lookup, exchange_rules::serial_lookup(*periods));
}

void Commissioning::assign(const QVector<Row> &rows, const QSet<int> &used)
{
    if (running())
        return;
    if (rows.isEmpty()) {
        set_status(tr("Выберите счетчики, найденные по серийному номеру"), true);
        return;
    }
    const std::optional<ExchangePeriods> periods = may_run ? may_run() : std::nullopt;
    if (!periods)
        return;
    skipped.clear();
    const QVector<int> addresses = scan::plan_addresses(rows.size(), ui.assign_from->value(), used, &skipped);
    QVector<SerialBytes> serials;
    for (const Row &row : rows)
        serials.append(row.target.serial);
    start_writes(rows, scan::address_assignment(serials, addresses), *periods);
}

void Commissioning::write_batch(const QVector<Row> &rows)
{
    if (running())
        return;
    if (rows.isEmpty()) {
        set_status(tr("Выберите счетчики"), true);
        return;
    }
    const int item = batch_items[qBound(0, ui.batch_item->currentIndex(), 3)];
    const std::optional<quint32> value = batch_value();
    if (!value) {
        set_status(tr("Неверная дата сохранения"), true);
        return;
    }
    // Every meter is asked about at once: a wrong rate or parity cuts them
    // all off the line once they restart.
    QString question = tr("Записать в выбранные счетчики (%1): %2?").arg(rows.size()).arg(batch_text());
    const QString after = next_exchange_text(item, *value);
    if (!after.isEmpty())
        question += QLatin1Char('\n')
            + tr("После перезапуска счетчики будут отвечать только так: %1.\n"
                 "При других настройках порта связь с ними пропадет.")
                  .arg(after);
    QWidget *window = ui.table->window();
    if (QMessageBox::question(window, window->windowTitle(), question) != QMessageBox::Yes) {
        set_status(tr("Запись отменена"), false);
        return;
    }
    const std::optional<ExchangePeriods> periods = may_run ? may_run() : std::nullopt;
    if (!periods)
        return;
    skipped.clear();
    QVector<MeterTarget> targets;
    for (const Row &row : rows)
        targets.append(row.target);
    start_writes(rows,
                 scan::MeterWrites(targets, item, QVector<std::optional<quint32>>(rows.size(), *value),
                                   item == write_item::clock),
                 *periods);
}

std::optional<quint32> Commissioning::batch_value()
{
    const int item = batch_items[qBound(0, ui.batch_item->currentIndex(), 3)];
    switch (item) {
    case write_item::save_date: {
        const std::optional<quint16> date = parse_save_date(ui.batch_date->text());
        return date ? std::optional<quint32>(*date) : std::nullopt;
    }
    case write_item::exchange_rate: return quint32(qMax(0, ui.batch_value->currentIndex()));
    case write_item::parity: return parity_code(qMax(0, ui.batch_value->currentIndex()));
    default: return 0u; // the computer's clock as each request leaves
    }
}

// What is written, for the question: the item and its value.
QString Commissioning::batch_text() const
{
    const int item = batch_items[qBound(0, ui.batch_item->currentIndex(), 3)];
    const QString name = ui.batch_item->currentText();
    switch (item) {
    case write_item::save_date: return QStringLiteral("%1 %2").arg(name, ui.batch_date->text().trimmed());
    case write_item::exchange_rate:
    case write_item::parity: return QStringLiteral("%1 %2").arg(name, ui.batch_value->currentText());
    default: return name;
    }
}

void Commissioning::start_writes(const QVector<Row> &rows, scan::MeterWrites run, const ExchangePeriods &periods)
{
    writes.emplace(std::move(run));
    write_rows.clear();
    for (const Row &row : rows)
        write_rows.append(row.table_row);
    for (int index = 0; index < write_rows.size(); ++index)
        show_row(index);
    set_status(writes->item() == write_item::address ? tr("Назначение адресов: %1").arg(rows.size())
                                                     : tr("Запись: %1").arg(rows.size()),
               false);
    line->run(&*writes, exchange_rules::write(periods));
}

void Commissioning::forget()
{
    writes.reset();
    write_rows.clear();
    ui.list->forget_results();
}

void Commissioning::step_concluded(Sequence *sequence)
{
    if (writes && sequence == &*writes && writes->last_meter() >= 0)
        show_row(writes->last_meter());
}

void Commissioning::run_finished(Sequence *sequence)
{
    if (lookup && sequence == &*lookup) {
        emit looked_up(lookup->found());
        const int found = lookup->found().size();
        const int total = found + lookup->silent().size();
        if (lookup->port_lost())
            set_status(tr("Поиск прерван: порт не открыт, найдено %1").arg(found), true);
        else if (lookup->stopped())
            set_status(tr("Поиск остановлен, найдено %1").arg(found), true);
        else if (!lookup->silent().isEmpty())
            set_status(tr("Найдено %1 из %2, не ответили: %3")
                           .arg(found)
                           .arg(total)
                           .arg(lookup->silent().join(QStringLiteral(", "))),
                       true);
        else
            set_status(tr("Найдено %1 из %2").arg(found).arg(total), false);
        return;
    }
    if (!writes || sequence != &*writes)
        return;
    record_writes();
    // Meters the run never reached say so.
    for (int index = 0; index < write_rows.size(); ++index)
        show_row(index);
    const int done = writes->confirmed_count();
    const int total = int(writes->meters().size());
    QString text;
    if (writes->port_lost())
        text = tr("Запись прервана: порт не открыт, записано %1 из %2").arg(done).arg(total);
    else if (writes->stopped())
        text = tr("Запись остановлена, записано %1 из %2").arg(done).arg(total);
    else
        text = tr("Записано %1 из %2").arg(done).arg(total);
    if (!skipped.isEmpty()) {
        QStringList addresses;
        for (int address : qAsConst(skipped))
            addresses << QString::number(address);
        text += QLatin1Char('\n') + tr("Адреса заняты другими счетчиками и пропущены: %1").arg(addresses.join(", "));
    }
    set_status(text, done < total);
}

// As the single write records its items.
void Commissioning::record_writes()
{
    QString what;
    switch (writes->item()) {
    case write_item::address: what = QCoreApplication::translate("MainWindow", "Адрес устройства"); break;
    case write_item::exchange_rate: what = QCoreApplication::translate("MainWindow", "Код скорости обмена"); break;
    case write_item::parity: what = QCoreApplication::translate("MainWindow", "Параметры битов четности"); break;
    case write_item::save_date: what = QCoreApplication::translate("MainWindow", "Дата сохранения"); break;
    default: what = QCoreApplication::translate("MainWindow", "Время"); break;
    }
    for (const scan::MeterWriteResult &meter : writes->meters()) {
        if (!meter.sent)
            continue;
        const SessionWrite write
            = session_write(meter.target, what, written_value_text(writes->item(), meter.value),
                            meter.outcome.ok() ? QCoreApplication::translate("WriteJob", "подтверждено")
                                               : outcome_words(meter.outcome));
        emit written(write);
    }
}

void Commissioning::show_row(int index)
{
    const int row = write_rows.value(index, -1);
    if (row < 0 || index >= int(writes->meters().size()))
        return;
    const scan::MeterWriteResult &meter = writes->meters().at(size_t(index));
    ui.list->set_result(row, meter, writes->finished(),
                        meter.outcome.ok() ? next_exchange_text(writes->item(), meter.value) : QString());
    ui.table->resizeRowToContents(row);
}

void Commissioning::set_status(const QString &text, bool error)
{
    ui.status->setStyleSheet(error ? QStringLiteral("QLabel {color:red;}") : QString());
    ui.status->setText(text);
}
