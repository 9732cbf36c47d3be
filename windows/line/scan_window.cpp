#include "windows/line/scan_window.h"

#include "link/exchanger.h"
#include "link/serial_number.h"
#include "model/outcome_words.h"
#include "model/scan_rows.h"
#include "model/scan_table.h"
#include "ui_scan.h"
#include "windows/line/commissioning.h"
#include "windows/line/riser_readout.h"
#include "windows/widgets/flow_layout.h"
#include "windows/widgets/screen_fit.h"

#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>

ScanWindow::ScanWindow(Exchanger *exchanger, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , ui(new Ui::ScanWindow)
    , line(exchanger)
{
    ui->setupUi(this);
    // On a narrow or scaled screen the settings and the buttons wrap onto
    // more lines, long texts onto more lines, and the tables shrink.
    FlowLayout::from_grid_rows(ui->gridLayout, 1, 1);
    FlowLayout::from_grid_rows(ui->gridLayout, 0, 0);
    FlowLayout::from_grid_rows(ui->riser_layout, 0, 0);
    for (QLabel *text : {ui->scan_time_label, ui->scan_status, ui->riser_status})
        text->setWordWrap(true);
    // Lines that wrap need the height they wrap to: the form scrolls where
    // the screen is too low for it rather than squeezing them together.
    const QSize form_size = size();
    auto *form = new QWidget;
    form->setLayout(layout()); // takes the form's widgets along
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("scan_scroll"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(form);
    auto *whole = new QVBoxLayout(this);
    whole->setContentsMargins(0, 0, 0, 0);
    whole->addWidget(scroll);
    fit_to_screen(this, form_size);
    table = new ScanTable(this);
    ui->scan_table->setModel(table);
    ui->scan_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui->scan_table->installEventFilter(this);
    ui->scan_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ui->scan_table->horizontalHeader()->setStretchLastSection(true);

    connect(ui->scan_start_btn, &QPushButton::clicked, this, &ScanWindow::start_clicked);
    connect(ui->scan_stop_btn, &QPushButton::clicked, this, &ScanWindow::stop);
    connect(ui->scan_choose_btn, &QPushButton::clicked, this, [this] {
        const QVector<int> rows = selected_rows();
        if (!rows.isEmpty())
            choose(rows.first());
    });
    connect(ui->scan_table, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex &index) { choose(index.row()); });
    connect(ui->scan_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { ui->scan_choose_btn->setEnabled(!selected_rows().isEmpty()); });

    // Other rates and parities only when asked for: the port's own by default.
    for (QCheckBox *box :
         {ui->scan_rate_1200_box, ui->scan_rate_2400_box, ui->scan_rate_4800_box, ui->scan_rate_9600_box,
          ui->scan_parity_none_box, ui->scan_parity_odd_box, ui->scan_parity_even_box}) {
        connect(ui->scan_line_box, &QCheckBox::toggled, box, &QWidget::setEnabled);
        connect(box, &QCheckBox::toggled, this, &ScanWindow::show_search_time);
    }
    connect(ui->scan_line_box, &QCheckBox::toggled, this, &ScanWindow::show_search_time);
    for (QSpinBox *box : {ui->scan_from_box, ui->scan_to_box, ui->scan_wait_box})
        connect(box, QOverload<int>::of(&QSpinBox::valueChanged), this, &ScanWindow::show_search_time);
    show_search_time();

    connect(line, &Exchanger::concluded, this, &ScanWindow::step_concluded);
    connect(line, &Exchanger::finished, this, &ScanWindow::search_finished);

    // Several rows may be read at once; "Выбрать" takes the first.
    ui->scan_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    riser = new RiserReadout(
        {ui->read_all_btn, ui->sync_all_btn, ui->riser_table, ui->riser_status, ui->sync_threshold_box}, line, this);
    connect(riser, &RiserReadout::read_all_requested, this, &ScanWindow::read_all_requested);
    connect(riser, &RiserReadout::sync_all_requested, this, &ScanWindow::sync_all_requested);
    connect(riser, &RiserReadout::meter_read, this, &ScanWindow::meter_read);
    connect(riser, &RiserReadout::clock_written, this, &ScanWindow::clock_written);

    commission = new Commissioning({ui->scan_serials_line, ui->scan_serials_btn, ui->assign_from_box,
                                    ui->assign_address_btn, ui->batch_item_box, ui->batch_value_box,
                                    ui->batch_date_line, ui->batch_write_btn, ui->scan_table, table, ui->scan_status},
                                   line, this);
    connect(commission, &Commissioning::looked_up, this, [this](const QVector<scan::MeterIdentity> &meters) {
        // Found again: the meter's new answers replace its old row.
        for (const scan::MeterIdentity &meter : meters) {
            const QString serial = scan::Rows::row(meter, models).addressing_serial;
            for (int i = by_serial.size() - 1; i >= 0; --i) {
                if (scan::Rows::row(by_serial.at(i), models).addressing_serial == serial)
                    by_serial.remove(i);
            }
            by_serial.append(meter);
        }
        serial_setting = port_setting();
        commission->forget();
        show_meters();
    });
    connect(commission, &Commissioning::written, this, &ScanWindow::setting_written);
    connect(ui->assign_address_btn, &QPushButton::clicked, this, &ScanWindow::assign_clicked);
    connect(ui->batch_write_btn, &QPushButton::clicked, this, &ScanWindow::batch_clicked);
}

void ScanWindow::set_line_gate(std::function<std::optional<ExchangePeriods>()> gate)
{
    commission->set_line_gate([this, gate] {
        // The search itself holds the line while it runs.
        if (running()) {
            refuse(Refusal::line_busy);
            return std::optional<ExchangePeriods>();
        }
        return gate();
    });
}

void ScanWindow::set_value_lists(const QStringList &rates, const QStringList &parities, const QStringList &model_table)
{
    if (models.isEmpty())
        models = model_table;
    commission->set_value_lists(rates, parities);
}

// Every row the operator sees highlighted. selectedRows() would want every
// cell of a row selected, and a column added since (the write's result) is not.
QVector<int> ScanWindow::selected_rows() const
{
    QVector<int> rows;
    for (const QModelIndex &index : ui->scan_table->selectionModel()->selectedIndexes()) {
        if (index.row() < found_count() && !rows.contains(index.row()))
            rows.append(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

// The selected meters with a serial number, at the port's setting, get new
// addresses; the addresses of every other meter listed are passed over.
void ScanWindow::assign_clicked()
{
    const QVector<int> selected = selected_rows();
    QVector<Commissioning::Row> rows;
    for (int row : selected) {
        const scan::FoundMeter &found = shown.at(row);
        const std::optional<SerialBytes> serial
            = pack_serial_number(scan::Rows::row(found.meter, models).addressing_serial);
        if (!serial || !(found.setting == port_setting()))
            continue;
        Commissioning::Row target;
        target.table_row = row;
        target.target.by_serial = true;
        target.target.serial = *serial;
        rows.append(target);
    }
    QSet<int> used;
    for (int row = 0; row < found_count(); ++row) {
        const bool assigned = std::any_of(rows.cbegin(), rows.cend(),
                                          [row](const Commissioning::Row &r) { return r.table_row == row; });
        if (!assigned)
            used.insert(shown.at(row).meter.address);
    }
    commission->assign(rows, used);
}

// Each selected meter asked as "Считать все" asks it: by serial number where
// it shares its address with another row, else by address.
void ScanWindow::batch_clicked()
{
    QVector<scan::ListedMeter> listed;
    for (const scan::FoundMeter &found : qAsConst(shown))
        listed.append({found.meter.address, scan::Rows::row(found.meter, models).addressing_serial});
    const QVector<MeterTarget> targets = scan::readout_targets(listed);
    QVector<Commissioning::Row> rows;
    for (int row : selected_rows()) {
        if (shown.at(row).setting == port_setting() && !shown.at(row).meter.garbled)
            rows.append({row, targets.at(row)});
    }
    commission->write_batch(rows);
}

void ScanWindow::read_all(const ExchangeRules &rules, const QStringList &model_table)
{
    if (running())
        return;
    QVector<int> rows = selected_rows();
    if (rows.isEmpty())
        for (int row = 0; row < found_count(); ++row)
            rows.append(row);
    // The pass runs at the port's setting: a meter found at another rate or
    // parity would only time out, so it is left for the operator to choose.
    QVector<scan::ListedMeter> listed;
    int elsewhere = 0;
    for (int row : qAsConst(rows)) {
        if (row >= found_count())
            continue;
        const scan::FoundMeter &found = shown.at(row);
        if (!(found.setting == port_setting())) {
            ++elsewhere;
            continue;
        }
        listed.append({found.meter.address, scan::Rows::row(found.meter, model_table).addressing_serial});
    }
    if (listed.isEmpty() && elsewhere > 0) {
        set_status(tr("Эти счетчики на другой скорости или четности: выберите один, затем считайте"), true);
        return;
    }
    if (labels)
        riser->set_labels(labels());
    riser->read_all(listed, rules, model_table);
    if (elsewhere > 0)
        set_status(tr("Не считаны счетчики на другой скорости или четности: %1").arg(elsewhere), true);
}

void ScanWindow::sync_all(const ExchangeRules &rules)
{
    if (!running())
        riser->sync_all(rules);
}

bool ScanWindow::running() const
{
    return search && line->sequence() == &search->part();
}

// Ends the search once the current exchange is over.
void ScanWindow::stop()
{
    if (running())
        search->part().stop();
}

scan::LineSetting ScanWindow::port_setting() const
{
    return scan::LineSetting{line->port_timing().baud_rate, line->port_timing().parity};
}

bool ScanWindow::many_settings() const
{
    return ui->scan_line_box->isChecked();
}

QVector<scan::LineSetting> ScanWindow::chosen_settings() const
{
    if (!many_settings())
        return {port_setting()};
    QVector<int> rates;
    const std::pair<QCheckBox *, int> rate_boxes[] = {{ui->scan_rate_1200_box, 1200},
                                                      {ui->scan_rate_2400_box, 2400},
                                                      {ui->scan_rate_4800_box, 4800},
                                                      {ui->scan_rate_9600_box, 9600}};
    for (const auto &box : rate_boxes) {
        if (box.first->isChecked())
            rates.append(box.second);
    }
    QVector<int> parities;
    const std::pair<QCheckBox *, int> parity_boxes[]
        = {{ui->scan_parity_none_box, 0}, {ui->scan_parity_odd_box, 1}, {ui->scan_parity_even_box, 2}};
    for (const auto &box : parity_boxes) {
        if (box.first->isChecked())
            parities.append(box.second);
    }
    return scan::settings_to_try(rates, parities);
}

// The time of a search over empty addresses, before it starts.
void ScanWindow::show_search_time()
{
    const std::optional<scan::AddressRange> range
        = scan::address_range(ui->scan_from_box->value(), ui->scan_to_box->value());
    const QVector<scan::LineSetting> settings = chosen_settings();
    if (!range || settings.isEmpty()) {
        ui->scan_time_label->setText(QString());
        return;
    }
    const qint64 seconds
        = (scan::search_ms(settings, line->port_timing().stop_bits, *range, ui->scan_wait_box->value()) + 999) / 1000;
    const QString time = seconds < 60 ? tr("%1 с").arg(seconds) : tr("%1 мин %2 с").arg(seconds / 60).arg(seconds % 60);
    ui->scan_time_label->setText(tr("Поиск займет около %1").arg(time));
}

ScanWindow::~ScanWindow()
{
    delete ui;
}

void ScanWindow::start_clicked()
{
    if (running())
        return;
    if (!scan::address_range(ui->scan_from_box->value(), ui->scan_to_box->value())) {
        set_status(tr("Неверный диапазон адресов"), true);
        return;
    }
    if (chosen_settings().isEmpty()) {
        set_status(tr("Выберите хотя бы одну скорость и одну четность"), true);
        return;
    }
    emit start_requested();
}

void ScanWindow::refuse(Refusal why)
{
    switch (why) {
    case Refusal::port_closed: set_status(outcome_words(RunOutcome::Kind::port_lost), true); break;
    case Refusal::line_busy: set_status(tr("Дождитесь окончания обмена"), true); break;
    }
}

void ScanWindow::start(const ExchangePeriods &line_periods, const QStringList &model_table)
{
    const std::optional<scan::AddressRange> range
        = scan::address_range(ui->scan_from_box->value(), ui->scan_to_box->value());
    const QVector<scan::LineSetting> settings = chosen_settings();
    if (!range || settings.isEmpty() || running())
        return;
    const bool own_setting = settings.size() == 1 && settings.first() == port_setting();
    if (!own_setting && (!set_line || !set_line(settings.first()))) {
        set_status(tr("Скорость и четность этой линии программа не меняет: найдите счетчики на настройке порта"), true);
        return;
    }
    port_before.reset();
    if (!own_setting)
        port_before = port_setting();
    models = model_table;
    periods = line_periods;
    shown.clear();
    commission->forget();
    // The setting each meter answered at, when more than one is tried.
    table->start(!own_setting);
    set_status(QString(), false);
    ui->scan_start_btn->setEnabled(false);
    ui->scan_stop_btn->setEnabled(true);

    scan::Settings base;
    base.range = *range;
    base.wait_ms = ui->scan_wait_box->value();
    base.fail_period_ms = periods.fail_ms;
    base.line = line->port_timing();
    search.emplace(base, settings, base.line.stop_bits);
    ui->scan_progress->setRange(0, search->addresses_total());
    ui->scan_progress->setValue(0);
    start_part();
}

// Runs the search at the current setting, the port already set to it.
bool ScanWindow::start_part()
{
    show_progress(search->part().exchange().address);
    return line->run(&search->part(), exchange_rules::search(periods));
}

void ScanWindow::restore_port()
{
    // The port settings may have changed meanwhile: those, not the setting before.
    if (port_before && set_line)
        set_line(std::nullopt);
    port_before.reset();
}

void ScanWindow::step_concluded(Sequence *sequence)
{
    if (!search || sequence != &search->part())
        return;
    search->take_step();
    if (search->part().last_step().meter >= 0)
        show_meters();
    if (!search->part().finished() && search->part().exchange().field == scan::protocol_version)
        show_progress(search->part().exchange().address);
}

int ScanWindow::found_count() const
{
    return shown.size();
}

void ScanWindow::show_progress(int address)
{
    const scan::AddressRange &range = search->part().settings().range;
    asked_address = address;
    ui->scan_progress->setValue(search->addresses_done());
    const QString text = tr("Адрес %1 из %2, найдено %3").arg(address).arg(range.last).arg(found_count());
    ui->scan_progress->setFormat(
        search->part_count() > 1 ? ScanTable::setting_text(search->setting()) + QStringLiteral(": ") + text : text);
}

// The list anew: a meter heard cleanly may take the place of its garbled row.
void ScanWindow::show_meters()
{
    const int before = shown.size();
    shown = search ? search->found().list() : QVector<scan::FoundMeter>();
    // The meters found by serial number after the search's, each once.
    QSet<QString> listed;
    for (const scan::FoundMeter &found : qAsConst(shown))
        listed.insert(scan::Rows::row(found.meter, models).addressing_serial);
    for (const scan::MeterIdentity &meter : qAsConst(by_serial)) {
        if (!listed.contains(scan::Rows::row(meter, models).addressing_serial))
            shown.append({meter, serial_setting});
    }
    table->set_meters(shown, models);
    if (shown.size() != before && running())
        show_progress(asked_address); // the count found
}

void ScanWindow::search_finished(Sequence *sequence)
{
    if (!search || sequence != &search->part())
        return;
    // The next setting, on the same line at once.
    if (search->next_part()) {
        if (set_line && set_line(search->setting()) && start_part())
            return;
        set_status(tr("Не удалось сменить скорость порта"), true);
    }
    restore_port();
    ui->scan_start_btn->setEnabled(true);
    ui->scan_stop_btn->setEnabled(false);
    if (search->part().port_lost()) {
        ui->scan_progress->setFormat(tr("Поиск прерван, найдено %1").arg(found_count()));
        set_status(outcome_words(RunOutcome::Kind::port_lost), true);
    } else if (search->part().stopped() || !search->part().finished()) {
        ui->scan_progress->setFormat(tr("Поиск остановлен, найдено %1").arg(found_count()));
    } else {
        ui->scan_progress->setValue(ui->scan_progress->maximum());
        ui->scan_progress->setFormat(tr("Поиск завершен, найдено %1").arg(found_count()));
    }
}

void ScanWindow::choose(int row)
{
    if (row < 0 || row >= shown.size())
        return;
    const scan::FoundMeter found = shown.at(row);
    const QString serial = scan::Rows::row(found.meter, models).addressing_serial;
    // The port's own setting is the one it had before the search.
    const bool other_setting = !(found.setting == port_before.value_or(port_setting()));
    close(); // ends a search still running
    emit meter_chosen(found.meter.address, serial);
    if (other_setting)
        emit setting_chosen(found.setting.baud_rate, found.setting.parity);
}

// Closing the window ends the search too: nobody would see it go on.
void ScanWindow::closeEvent(QCloseEvent *event)
{
    stop();
    riser->stop();
    if (commission->running())
        line->stop();
    QWidget::closeEvent(event);
}

// The port's setting may have changed since the window was last open.
void ScanWindow::showEvent(QShowEvent *event)
{
    show_search_time();
    QWidget::showEvent(event);
}

// Ctrl+C: the selected cells row by row, as a spreadsheet pastes them.
bool ScanWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->scan_table && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy)) {
        const QModelIndexList selected = ui->scan_table->selectionModel()->selectedIndexes();
        if (!selected.isEmpty())
            QGuiApplication::clipboard()->setText(table->spreadsheet_text(selected));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ScanWindow::set_status(const QString &text, bool error)
{
    ui->scan_status->setStyleSheet(error ? QStringLiteral("QLabel {color:red;}") : QString());
    ui->scan_status->setText(text);
}
