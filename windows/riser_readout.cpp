#include "windows/riser_readout.h"
#include "model/quantity.h"

#include "archive/archive_export.h"
#include "config/atomic_file.h"
#include "windows/save_dialog.h"

#include "link/exchanger.h"
#include "link/serial_number.h"
#include "meter/register_map.h"

#include <QClipboard>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMap>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QSpinBox>
#include <QTableWidget>
#include <algorithm>

namespace {

enum Column { address, serial, model, version, volume, reverse, events, meter_clock, offset, outcome, label };

QString model_cell(const PollValues &v)
{
    return v.model_code ? quantity::model_name(*v.model_code, v.model) : QString();
}

} // namespace

RiserReadout::RiserReadout(const Widgets &widgets, Exchanger *exchanger, QObject *parent)
    : QObject(parent)
    , ui(widgets)
    , line(exchanger)
{
    // The label the journal keeps with the meter (an apartment, an account).
    ui.table->setColumnCount(label + 1);
    ui.table->setHorizontalHeaderItem(label, new QTableWidgetItem(tr("Метка")));
    ui.table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ui.table->horizontalHeader()->setStretchLastSection(true);
    // Beside the other buttons of the pass; the search window's form is left as it is.
    export_btn = new QPushButton(tr("Сохранить в CSV"), ui.read_all_btn->parentWidget());
    export_btn->setObjectName(QStringLiteral("riser_export_btn"));
    export_btn->setFont(ui.read_all_btn->font());
    export_btn->setEnabled(false);
    if (auto *grid = ui.read_all_btn->parentWidget()->findChild<QGridLayout *>(QStringLiteral("riser_layout"))) {
        grid->addWidget(export_btn, 0, 4);
        // The table and its status keep the whole width under the buttons.
        grid->removeWidget(ui.table);
        grid->addWidget(ui.table, 1, 0, 1, 5);
        grid->removeWidget(ui.status);
        grid->addWidget(ui.status, 2, 0, 1, 5);
    }
    connect(export_btn, &QPushButton::clicked, this, [this] {
        save_with_dialog(ui.table->window(), tr("Сохранить таблицу"),
                         arc::export_file_name(QStringLiteral("riser"), QString(), read_at), tr("Файлы CSV (*.csv)"),
                         &last_dir, [this](const QString &path, QString *error) { return save_to(path, error); });
    });
    ui.table->installEventFilter(this);
    connect(ui.read_all_btn, &QPushButton::clicked, this, &RiserReadout::read_all_requested);
    connect(ui.sync_all_btn, &QPushButton::clicked, this, &RiserReadout::sync_all_requested);
    connect(line, &Exchanger::concluded, this, &RiserReadout::step_concluded);
    connect(line, &Exchanger::finished, this, &RiserReadout::run_finished);
}

bool RiserReadout::running() const
{
    return line->busy() && ((pass && line->sequence() == &*pass) || (sync && line->sequence() == &*sync));
}

void RiserReadout::stop()
{
    if (running())
        line->stop();
}

void RiserReadout::read_all(const QVector<scan::ListedMeter> &rows, const ExchangeRules &rules,
                            const QStringList &model_table)
{
    if (running())
        return;
    if (rows.isEmpty()) {
        set_status(tr("Список пуст: сначала найдите счетчики"), true);
        return;
    }
    models = model_table;
    sync.reset();
    sync_rows.clear();
    pass.emplace(scan::readout_targets(rows), models);
    read_at = QDateTime::currentDateTime();
    listed_serials.clear();
    for (const scan::ListedMeter &row : rows)
        listed_serials << row.serial;
    ui.table->setRowCount(0);
    ui.table->setRowCount(rows.size());
    for (int row = 0; row < rows.size(); ++row)
        show_meter(row);
    set_status(tr("Чтение счетчиков: %1").arg(rows.size()), false);
    // On a noisy line two faults anywhere in a meter's 31 reads would end it:
    // the pass gives each request its own wait and resend.
    ExchangeRules per_request = rules;
    per_request.strikes_per_request = true;
    line->run(&*pass, per_request);
    enable_buttons();
}

// Every meter the pass read whole; the others have no clock worth setting
// from here. The operator is asked first, and may leave the clocks that are
// near enough.
void RiserReadout::sync_all(const ExchangeRules &rules)
{
    if (running() || !pass)
        return;
    QVector<int> rows;
    for (int row = 0; row < int(pass->meters().size()); ++row) {
        if (pass->meters().at(size_t(row)).outcome == scan::MeterReadout::Outcome::ok)
            rows.append(row);
    }
    if (rows.isEmpty()) {
        set_status(tr("Нет ответивших счетчиков"), true);
        return;
    }
    const int threshold = ui.sync_threshold->value();
    QVector<int> off_rows;
    for (int row : qAsConst(rows)) {
        if (scan::clock_needs_setting(last_offset(row), threshold))
            off_rows.append(row);
    }
    QWidget *window = ui.table->window();
    QMessageBox box(QMessageBox::Question, window->windowTitle(),
                    tr("Установить часы счетчиков по часам компьютера?\n"
                       "Ответивших счетчиков: %1, из них расходятся с компьютером более чем на %2 с: %3.")
                        .arg(rows.size())
                        .arg(threshold)
                        .arg(off_rows.size()),
                    QMessageBox::Cancel, window);
    QPushButton *every = box.addButton(tr("Все (%1)").arg(rows.size()), QMessageBox::AcceptRole);
    every->setObjectName(QStringLiteral("sync_every_btn"));
    QPushButton *off = box.addButton(tr("Только расходящиеся (%1)").arg(off_rows.size()), QMessageBox::AcceptRole);
    off->setObjectName(QStringLiteral("sync_off_btn"));
    off->setEnabled(!off_rows.isEmpty());
    box.setDefaultButton(off_rows.isEmpty() ? every : off);
    box.exec();
    if (box.clickedButton() == off)
        rows = off_rows;
    else if (box.clickedButton() != every) {
        set_status(tr("Установка времени отменена"), false);
        return;
    }
    // The line may have been taken while the question was open.
    if (line->busy()) {
        set_status(tr("Дождитесь окончания обмена"), true);
        return;
    }
    QVector<MeterTarget> targets;
    for (int row : qAsConst(rows))
        targets.append(pass->meters().at(size_t(row)).target);
    sync.emplace(targets);
    sync_rows = rows;
    set_status(tr("Установка времени: %1").arg(targets.size()), false);
    line->run(&*sync, rules);
    enable_buttons();
}

// The offset the table shows for a row: read back by the last clock setting
// if it set that clock, else read by the pass.
std::optional<qint64> RiserReadout::last_offset(int row) const
{
    const int index = sync ? sync_rows.indexOf(row) : -1;
    if (index >= 0 && index < int(sync->meters().size())) {
        const scan::ClockSetting &setting = sync->meters().at(size_t(index));
        if (setting.outcome == scan::ClockSetting::Outcome::set)
            return setting.clock_offset_s;
    }
    return pass->meters().at(size_t(row)).clock_offset_s;
}

// Every clock write that left, as the single write records its own.
void RiserReadout::record_writes()
{
    for (const scan::ClockSetting &meter : sync->meters()) {
        if (!meter.sent)
            continue;
        SessionWrite write;
        write.at = QDateTime::currentDateTime();
        write.meter = quantity::addressing(meter.target);
        write.what = tr("Время");
        write.value = quantity::clock(qint32(*meter.sent));
        write.outcome = meter.outcome == scan::ClockSetting::Outcome::set
            ? tr("подтверждено")
            : scan::outcome_text(meter).section(QLatin1Char('\n'), 0, 0);
        emit clock_written(write);
    }
}

void RiserReadout::step_concluded(Sequence *sequence)
{
    // A row is shown once its meter's turn is over: the table sizes its
    // columns to their contents, which is not worth doing on every request.
    if (pass && sequence == &*pass && pass->last_meter() >= 0) {
        if (!pass->last_turn_ended())
            return;
        show_meter(pass->last_meter());
        const scan::MeterReadout &meter = pass->meters().at(size_t(pass->last_meter()));
        if (meter.outcome == scan::MeterReadout::Outcome::ok)
            emit meter_read(meter.target, meter.values, meter.read_at);
    } else if (sync && sequence == &*sync && sync->last_meter() >= 0) {
        show_setting(sync->last_meter());
    }
}

void RiserReadout::run_finished(Sequence *sequence)
{
    if (pass && sequence == &*pass) {
        // The meters left for the retry show they were not asked again.
        for (int row = 0; row < int(pass->meters().size()); ++row)
            show_meter(row);
        const int ok = pass->ok_count();
        const int total = int(pass->meters().size());
        if (pass->port_lost())
            set_status(tr("Чтение прервано: порт не открыт, считано %1 из %2").arg(ok).arg(total), true);
        else if (pass->stopped())
            set_status(tr("Чтение остановлено, считано %1 из %2").arg(ok).arg(total), true);
        else
            set_status(tr("Считано %1 из %2").arg(ok).arg(total), ok < total);
    } else if (sync && sequence == &*sync) {
        record_writes();
        int done = 0;
        for (const scan::ClockSetting &meter : sync->meters())
            done += meter.outcome == scan::ClockSetting::Outcome::set ? 1 : 0;
        const int total = int(sync->meters().size());
        if (sync->port_lost())
            set_status(tr("Установка прервана: порт не открыт, установлено %1 из %2").arg(done).arg(total), true);
        else if (sync->stopped())
            set_status(tr("Установка остановлена, установлено %1 из %2").arg(done).arg(total), true);
        else
            set_status(tr("Время установлено на %1 из %2").arg(done).arg(total), done < total);
    } else {
        return;
    }
    enable_buttons();
}

void RiserReadout::show_meter(int row)
{
    const scan::MeterReadout &meter = pass->meters().at(size_t(row));
    const PollValues &v = meter.values;
    set_cell(row, address,
             meter.target.by_serial ? tr("%1 (по сер. номеру)").arg(meter.target.address)
                                    : QString::number(meter.target.address));
    const QString serial_number = v.serial ? quantity::serial_number(*v.serial) : listed_serials.value(row);
    set_cell(row, serial, serial_number);
    set_cell(row, model, model_cell(v));
    set_cell(row, version, quantity::number(v.protocol_version));
    // The columns are in cubic metres; a meter of a model the table does not
    // know says its counts are counts.
    const auto shown_volume
        = [&](const QString &text) { return v.scale().known() ? text : quantity::with_unit(text, v.scale()); };
    using quantity::Kind;
    set_cell(row, volume, shown_volume(quantity::text(Kind::volume, v.volume_units, v.scale())));
    // Version 2 meters keep no reverse flow.
    const bool keeps_reverse = !v.protocol_version || *v.protocol_version == poll::reverse_flow_version;
    set_cell(row, reverse,
             keeps_reverse ? shown_volume(quantity::text(Kind::reverse_volume, v.reverse_units, v.scale()))
                           : tr("нет"));
    set_cell(row, events, quantity::text(Kind::event, v.event));
    set_cell(row, meter_clock, quantity::text(Kind::clock, v.clock_seconds));
    set_cell(row, offset, meter.clock_offset_s ? quantity::offset(*meter.clock_offset_s) : QString());
    using O = scan::MeterReadout::Outcome;
    // A pass cut short leaves meters it never asked: they say so.
    const bool not_read = meter.outcome == O::pending && pass->finished();
    const bool failed = not_read || (meter.outcome != O::ok && meter.outcome != O::pending);
    QString result = not_read ? tr("Не считан") : scan::outcome_text(meter);
    if (failed && !not_read && meter.attempts == 1 && !pass->finished())
        result = tr("%1, повтор в конце").arg(result);
    set_cell(row, outcome, result);
    set_cell(row, label, labels.value(serial_number));
    ui.table->item(row, outcome)->setForeground(failed ? Qt::red : Qt::black);
}

void RiserReadout::show_setting(int index)
{
    const scan::ClockSetting &meter = sync->meters().at(size_t(index));
    const int row = sync_rows.value(index, -1);
    if (row < 0)
        return;
    if (meter.clock) {
        set_cell(row, meter_clock, quantity::clock(*meter.clock));
        set_cell(row, offset, quantity::offset(*meter.clock_offset_s));
    } else if (meter.outcome == scan::ClockSetting::Outcome::set) {
        // Set but not read back: the old offset no longer holds.
        set_cell(row, offset, QStringLiteral("?"));
    }
    set_cell(row, outcome, scan::outcome_text(meter));
    ui.table->item(row, outcome)
        ->setForeground(meter.outcome == scan::ClockSetting::Outcome::set ? Qt::black : Qt::red);
}

void RiserReadout::set_cell(int row, int column, const QString &text)
{
    QTableWidgetItem *item = ui.table->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        ui.table->setItem(row, column, item);
    }
    item->setText(text);
}

void RiserReadout::set_status(const QString &text, bool error)
{
    ui.status->setStyleSheet(error ? QStringLiteral("QLabel {color:red;}") : QString());
    ui.status->setText(text);
}

void RiserReadout::enable_buttons()
{
    const bool busy = running();
    ui.read_all_btn->setEnabled(!busy);
    ui.sync_all_btn->setEnabled(!busy && pass && pass->ok_count() > 0);
    export_btn->setEnabled(!busy && pass);
}

bool RiserReadout::save_to(const QString &path, QString *error)
{
    const ShownTable shown = shown_table(ui.table);
    QString text
        = arc::csv_line({arc::csv_field(tr("Время чтения")), arc::csv_field(quantity::computer_time(read_at))});
    text += arc::csv_line({arc::csv_field(tr("Итог")), arc::csv_field(ui.status->text())});
    text += arc::csv_line({});
    text += arc::csv_rows(shown.titles, shown.rows, serial);
    return write_file_atomically(path, arc::csv_file(text), error);
}

// Ctrl+C: the selected cells row by row, as a spreadsheet pastes them.
void RiserReadout::copy_selection()
{
    QMap<int, QMap<int, QString>> cells;
    QSet<int> columns;
    const QList<QTableWidgetItem *> selected = ui.table->selectedItems();
    for (const QTableWidgetItem *item : selected) {
        cells[item->row()].insert(item->column(), item->text());
        columns.insert(item->column());
    }
    if (cells.isEmpty())
        return;
    QList<int> ordered = columns.values();
    std::sort(ordered.begin(), ordered.end());
    QList<QStringList> rows;
    for (const QMap<int, QString> &row : qAsConst(cells)) {
        QStringList texts;
        for (int c : qAsConst(ordered))
            texts << row.value(c);
        rows << texts;
    }
    QGuiApplication::clipboard()->setText(arc::tab_separated(rows));
}

bool RiserReadout::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui.table && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy)) {
        copy_selection();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
