#include "windows/journal_window.h"
#include "model/quantity.h"

#include "archive/archive_export.h"
#include "archive/records.h"
#include "config/atomic_file.h"
#include "meter/register_map.h"
#include "model/archive_rows.h"
#include "windows/consumption_chart.h"
#include "windows/consumption_window.h"
#include "windows/flow_layout.h"
#include "windows/journal_link.h"
#include "windows/save_dialog.h"
#include "windows/screen_fit.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QTableWidget *make_table(const QString &name, const QStringList &titles, QWidget *parent)
{
    auto *table = new QTableWidget(0, titles.size(), parent);
    table->setObjectName(name);
    table->setHorizontalHeaderLabels(titles);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

void set_row(QTableWidget *table, int row, const QStringList &texts)
{
    for (int c = 0; c < texts.size(); ++c) {
        auto *item = new QTableWidgetItem(texts.at(c));
        if (c > 0)
            item->setData(Qt::TextAlignmentRole, int(Qt::AlignRight | Qt::AlignVCenter));
        table->setItem(row, c, item);
    }
}

// A reading kept in counts (its model unknown when read) says so.
QString units_text(const std::optional<qint64> &units, double factor, int decimals)
{
    const VolumeScale scale{factor, decimals};
    if (!units)
        return QStringLiteral("--");
    const QString text = quantity::volume(*units, scale);
    return scale.known() ? text : quantity::with_unit(text, scale);
}

QString local_time_text(const QDateTime &utc)
{
    return quantity::computer_time(utc.toLocalTime());
}

} // namespace

JournalWindow::JournalWindow(const journal::Connection &connection, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , connection(connection)
{
    setObjectName(QStringLiteral("journal_window"));
    setWindowTitle(tr("Журнал"));

    state = new QLabel(this);
    state->setObjectName(QStringLiteral("journal_state"));
    state->setWordWrap(true);

    meters = make_table(QStringLiteral("journal_meters"),
                        {tr("Серийный номер"), tr("Модель"), tr("Версия"), tr("Адрес"), tr("Показания"),
                         tr("Время чтения"), tr("Метка"), tr("Линия")},
                        this);
    meter_filter = new QLineEdit(this);
    meter_filter->setObjectName(QStringLiteral("journal_meter_filter"));
    meter_filter->setPlaceholderText(tr("Номер, модель, адрес, метка или линия"));
    meter_filter->setClearButtonEnabled(true);
    from_date = new QDateEdit(QDate::currentDate().addMonths(-1), this);
    from_date->setObjectName(QStringLiteral("journal_from"));
    to_date = new QDateEdit(QDate::currentDate(), this);
    to_date->setObjectName(QStringLiteral("journal_to"));
    for (QDateEdit *edit : {from_date, to_date}) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    }
    archive_type = new QComboBox(this);
    archive_type->setObjectName(QStringLiteral("journal_archive_type"));
    archive_type->addItems({tr("Часовой"), tr("Суточный"), tr("Месячный")});
    auto *save = new QPushButton(tr("Сохранить в файл"), this);
    save->setObjectName(QStringLiteral("journal_save_btn"));
    auto *period = new QPushButton(tr("Расход за период"), this);
    period->setObjectName(QStringLiteral("journal_consumption_btn"));

    readings = make_table(
        QStringLiteral("journal_readings"),
        {tr("Время чтения"), tr("Время счетчика"), tr("Показания"), tr("Обратный поток"), tr("Событие"), tr("Адрес")},
        this);
    // Cubic metres until a meter is picked; then the unit its records were kept in.
    records = make_table(QStringLiteral("journal_archive"), arc::column_titles(VolumeScale{1.0, 0}), this);
    consumption = new consumption_chart(this);

    // Wraps onto a second line on a narrow screen.
    auto *range = new FlowLayout;
    range->add_pair(new QLabel(tr("С"), this), from_date);
    range->add_pair(new QLabel(tr("по"), this), to_date);
    range->add_pair(new QLabel(tr("Архив"), this), archive_type);
    range->addWidget(period);
    range->addWidget(save);

    // The meters with their search box above; the list takes the most room.
    auto *list = new QWidget(this);
    auto *list_layout = new QVBoxLayout(list);
    list_layout->setContentsMargins(0, 0, 0, 0);
    auto *search = new QHBoxLayout;
    search->addWidget(new QLabel(tr("Поиск"), list));
    search->addWidget(meter_filter, 1);
    list_layout->addLayout(search);
    list_layout->addWidget(meters, 1);

    auto *split = new QSplitter(Qt::Vertical, this);
    split->addWidget(list);
    split->addWidget(readings);
    split->addWidget(records);
    split->addWidget(consumption);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    split->setStretchFactor(2, 2);
    split->setStretchFactor(3, 2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(state);
    layout->addLayout(range);
    layout->addWidget(split, 1);
    fit_to_screen(this, QSize(900, 800));

    connect(meters, &QTableWidget::itemSelectionChanged, this, &JournalWindow::meter_picked);
    connect(meter_filter, &QLineEdit::textChanged, this, &JournalWindow::filter_meters);
    for (QDateEdit *edit : {from_date, to_date}) {
        connect(edit, &QDateEdit::dateChanged, this, [this] {
            range_by_hand = true;
            show_meter();
        });
    }
    connect(archive_type, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &JournalWindow::show_archive);
    connect(period, &QPushButton::clicked, this, &JournalWindow::show_consumption);
    connect(save, &QPushButton::clicked, this, [this] {
        save_with_dialog(
            this, tr("Сохранить архив"),
            arc::export_file_name(QStringLiteral("journal"), selected_serial(), QDateTime::currentDateTime()),
            tr("Файлы CSV (*.csv)"), &last_dir,
            [this](const QString &path, QString *error) { return save_to(path, error); });
    });
}

JournalWindow::~JournalWindow() = default;

bool JournalWindow::store_ready()
{
    if (store && store->is_open())
        return true;
    // Opened anew each time it is not open: the file may have been put right.
    store = std::make_unique<journal::Store>(connection);
    if (store->open()) {
        state->setText(tr("Журнал: %1").arg(journal_place(connection)));
        state->setStyleSheet(QString());
        return true;
    }
    state->setText(journal_fault_text(store->fault(), connection));
    state->setStyleSheet(QStringLiteral("QLabel {color:red;}"));
    return false;
}

QString JournalWindow::state_text() const
{
    return state->text();
}

void JournalWindow::refresh()
{
    const QString picked = selected_serial();
    known = store_ready() ? store->meters() : QList<journal::MeterRow>();
    if (!store->is_open())
        store_ready(); // says why, and shows nothing as if it were whole
    const QSignalBlocker quiet(meters);
    meters->setRowCount(known.size());
    int picked_row = known.isEmpty() ? -1 : 0;
    for (int r = 0; r < known.size(); ++r) {
        const journal::MeterRow &m = known.at(r);
        set_row(meters, r,
                {m.serial, m.model_code >= 0 ? quantity::model_name(quint16(m.model_code), m.model_name) : QString(),
                 m.protocol_version >= 0 ? QString::number(m.protocol_version) : QString(), m.address,
                 units_text(m.last_volume_units, m.factor, m.decimals), local_time_text(m.last_read_at), m.label,
                 m.line});
        if (m.serial == picked)
            picked_row = r;
    }
    if (picked_row >= 0)
        meters->selectRow(picked_row);
    filter_meters();
    range_of_meter(); // a read since may have widened it
    show_meter();
}

// Another meter: its own range, whatever the last one's was.
void JournalWindow::meter_picked()
{
    range_by_hand = false;
    range_of_meter();
    show_meter();
}

// A meter whose clock is years off keeps its records years off the
// computer's date: the range is that of what is kept, not the last month.
void JournalWindow::range_of_meter()
{
    const QString serial = selected_serial();
    if (range_by_hand || serial.isEmpty() || !store_ready())
        return;
    const QPair<QDate, QDate> range = journal::shown_range(store->span(serial), QDate::currentDate());
    const QSignalBlocker quiet_from(from_date);
    const QSignalBlocker quiet_to(to_date);
    from_date->setDate(range.first);
    to_date->setDate(range.second);
}

// Rows holding the text in any column stay; a hidden row is not picked.
void JournalWindow::filter_meters()
{
    const QString wanted = meter_filter->text().trimmed();
    for (int r = 0; r < meters->rowCount(); ++r) {
        bool match = wanted.isEmpty();
        for (int c = 0; c < meters->columnCount() && !match; ++c) {
            const QTableWidgetItem *item = meters->item(r, c);
            match = item && item->text().contains(wanted, Qt::CaseInsensitive);
        }
        meters->setRowHidden(r, !match);
    }
    const int row = meters->currentRow();
    if (row >= 0 && meters->isRowHidden(row))
        meters->clearSelection();
}

void JournalWindow::select_meter(const QString &serial)
{
    for (int r = 0; r < known.size(); ++r) {
        if (known.at(r).serial == serial)
            meters->selectRow(r);
    }
}

void JournalWindow::set_range(const QDate &from, const QDate &to)
{
    const QSignalBlocker quiet_from(from_date);
    const QSignalBlocker quiet_to(to_date);
    from_date->setDate(from);
    to_date->setDate(to);
    range_by_hand = true;
    show_meter();
}

QString JournalWindow::selected_serial() const
{
    const int row = meters->currentRow();
    if (row < 0 || row >= known.size() || meters->selectedItems().isEmpty() || meters->isRowHidden(row))
        return QString();
    return known.at(row).serial;
}

// Readings by the computer's clock over whole local days; archive records by
// the meter's own wall time over the same dates.
void JournalWindow::show_meter()
{
    const QString serial = selected_serial();
    QList<journal::ReadingRow> rows;
    if (!serial.isEmpty() && store_ready())
        rows = store->readings(serial, QDateTime(from_date->date(), QTime(0, 0)),
                               QDateTime(to_date->date().addDays(1), QTime(0, 0)));
    if (store && !store->is_open())
        store_ready(); // says why: a query that met damage hands on nothing
    readings->setRowCount(rows.size());
    for (int r = 0; r < rows.size(); ++r) {
        const journal::ReadingRow &row = rows.at(r);
        set_row(readings, r,
                {local_time_text(row.read_at), row.meter_clock ? quantity::clock(qint32(*row.meter_clock)) : QString(),
                 units_text(row.volume_units, row.factor, row.decimals),
                 units_text(row.reverse_units, row.factor, row.decimals),
                 row.event >= 0 ? QString::number(row.event) : QString(), row.address});
    }
    show_archive();
}

namespace {

QDateTime utc_start(const QDate &date)
{
    return QDateTime(date, QTime(0, 0), Qt::UTC);
}

} // namespace

void JournalWindow::show_archive()
{
    const QString serial = selected_serial();
    QList<journal::ArchiveRecordRow> rows;
    int version = -1;
    for (const journal::MeterRow &m : known) {
        if (m.serial == serial)
            version = m.protocol_version;
    }
    if (!serial.isEmpty() && store_ready())
        rows = store->archive_records(serial, archive_type->currentIndex() + 1, utc_start(from_date->date()),
                                      utc_start(to_date->date().addDays(1)));
    if (store && !store->is_open())
        store_ready();
    const QList<QStringList> texts = journal::archive_record_texts(rows, version);
    records->setRowCount(texts.size());
    for (int r = 0; r < texts.size(); ++r)
        set_row(records, r, texts.at(r));
    const VolumeScale scale = rows.isEmpty() ? VolumeScale() : VolumeScale{rows.first().factor, rows.first().decimals};
    records->setHorizontalHeaderLabels(arc::column_titles(scale));
    consumption->set_series(journal::consumption_points(rows), quantity::volume_unit(scale));
}

// Over whole local days, as the readings are shown.
void JournalWindow::show_consumption()
{
    const QDateTime from(from_date->date(), QTime(0, 0));
    const QDateTime to(to_date->date().addDays(1), QTime(0, 0));
    QList<journal::ConsumptionRow> rows;
    QString fault;
    if (store_ready())
        rows = journal::consumption(*store, from, to);
    // A query that failed part-way would leave meters out: nothing is shown then.
    if (!store->is_open())
        fault = journal_fault_text(store->fault(), connection);
    if (!consumption_window)
        consumption_window = new ConsumptionWindow(this);
    consumption_window->show_period(rows, from, to, fault);
    consumption_window->show();
    consumption_window->raise();
}

bool JournalWindow::save_to(const QString &path, QString *error)
{
    const QString serial = selected_serial();
    journal::MeterRow meter;
    for (const journal::MeterRow &m : known) {
        if (m.serial == serial)
            meter = m;
    }
    QList<arc::CsvSection> sections;
    VolumeScale scale;
    for (int type = 1; type <= 3; ++type) {
        QList<journal::ArchiveRecordRow> rows;
        if (!serial.isEmpty() && store_ready())
            rows = store->archive_records(serial, type, utc_start(from_date->date()),
                                          utc_start(to_date->date().addDays(1)));
        if (!rows.isEmpty())
            scale = VolumeScale{rows.first().factor, rows.first().decimals};
        sections.append(
            {archive_type->itemText(type - 1), journal::archive_record_texts(rows, meter.protocol_version)});
    }
    // Part of the records would be saved as if they were all.
    if (!serial.isEmpty() && (!store || !store->is_open())) {
        store_ready();
        if (error)
            *error = state_text();
        return false;
    }
    const arc::CsvHeader header{
        serial, meter.model_code >= 0 ? quantity::model_name(quint16(meter.model_code), meter.model_name) : QString(),
        meter.protocol_version >= 0 ? QString::number(meter.protocol_version) : QString(),
        meter.last_read_at.toLocalTime(), scale};
    return write_file_atomically(path, arc::archive_csv(header, sections), error);
}
