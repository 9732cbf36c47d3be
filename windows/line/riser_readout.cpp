#include "windows/line/riser_readout.h"

#include "archive/archive_export.h"
#include "config/atomic_file.h"
#include "link/exchanger.h"
#include "model/outcome_words.h"
#include "model/quantity.h"
#include "model/riser_table.h"
#include "windows/widgets/save_dialog.h"
#include "windows/widgets/table_fit.h"

#include <QClipboard>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>

RiserReadout::RiserReadout(const Widgets &widgets, Exchanger *exchanger, QObject *parent)
    : QObject(parent)
    , ui(widgets)
    , line(exchanger)
{
    table = new RiserTable(this);
    ui.table->setModel(table);
    ui.table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fit_columns(
        ui.table,
        {RiserTable::model, RiserTable::address, RiserTable::meter_clock, RiserTable::label, RiserTable::outcome});
    // What became of each meter is seen beside it, however narrow the window;
    // the file and the clipboard keep their order of columns.
    ui.table->horizontalHeader()->moveSection(RiserTable::outcome, RiserTable::model);
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
    table->start(rows);
    for (int row = 0; row < rows.size(); ++row)
        show_meter(row);
    set_status(tr("Чтение счетчиков: %1").arg(rows.size()), false);
    line->run(&*pass, rules);
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
        if (pass->meters().at(size_t(row)).outcome.ok())
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
        if (setting.outcome.ok())
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
        const SessionWrite write
            = session_write(meter.target, tr("Время"), quantity::clock(qint32(*meter.sent)),
                            meter.outcome.ok() ? tr("подтверждено") : outcome_words(meter.outcome));
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
        if (meter.outcome.ok())
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
            done += meter.outcome.ok() ? 1 : 0;
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
    table->set_meter(row, pass->meters().at(size_t(row)), pass->finished());
}

void RiserReadout::show_setting(int index)
{
    table->set_setting(sync_rows.value(index, -1), sync->meters().at(size_t(index)));
}

void RiserReadout::set_labels(const QHash<QString, QString> &by_serial)
{
    table->set_labels(by_serial);
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
    return write_file_atomically(path, table->csv(read_at, ui.status->text()), error);
}

// Ctrl+C: the selected cells row by row, as a spreadsheet pastes them.
void RiserReadout::copy_selection()
{
    const QModelIndexList selected = ui.table->selectionModel()->selectedIndexes();
    if (!selected.isEmpty())
        QGuiApplication::clipboard()->setText(table->spreadsheet_text(selected));
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
