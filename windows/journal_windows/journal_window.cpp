#include "windows/journal_windows/journal_window.h"
#include "model/quantity.h"

#include "archive/archive_export.h"
#include "archive/records.h"
#include "config/atomic_file.h"
#include "journal/consumption.h"
#include "journal/journal_reader.h"
#include "meter/register_map.h"
#include "model/archive_texts.h"
#include "model/journal_tables.h"
#include "model/journal_texts.h"
#include "windows/journal_windows/consumption_window.h"
#include "windows/widgets/consumption_chart.h"
#include "windows/widgets/flow_layout.h"
#include "windows/widgets/save_dialog.h"
#include "windows/widgets/screen_fit.h"

#include <QComboBox>
#include <QDateEdit>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <optional>

// What the readings and records tables show, so that a new reading only
// adds what came after it.
struct JournalWindow::Shown
{
    bool valid = false;
    QString serial;
    int type = 0;
    QDate from, to;
    QDateTime last_read_at;                             // the newest reading shown
    std::optional<qint64> last_record;                  // the newest record shown
    std::optional<journal::ArchiveRecordRow> last_kept; // and the newest that holds a reading
};

namespace {

QTableView *make_table(const QString &name, QAbstractItemModel *model, QWidget *parent)
{
    auto *table = new QTableView(parent);
    table->setObjectName(name);
    table->setModel(model);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->hide();
    // Years of hourly records: rows of one height are never measured one by one.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->horizontalHeader()->setStretchLastSection(true);
    // Widths from the first rows only, once per new content rather than per row added.
    QObject::connect(model, &QAbstractItemModel::modelReset, table, &QTableView::resizeColumnsToContents);
    return table;
}

QDateTime utc_start(const QDate &date)
{
    return QDateTime(date, QTime(0, 0), Qt::UTC);
}

// What one question to the journal asks, and what it found.
struct Question
{
    bool meters = false;
    bool meter = false;
    bool all = false;
    QString serial;
    int type = 1;
    bool by_hand = false;
    QDate from, to, today;
};

struct Found
{
    QList<journal::MeterRow> meters;
    QDate from, to;
    bool added = false; // only what came after the rows shown
    QList<journal::ReadingRow> readings;
    QList<journal::ArchiveRecordRow> records;
    QList<arc::ConsumptionPoint> points;
    bool open = false;
    journal::Fault fault = journal::Fault::none;
};

} // namespace

JournalWindow::JournalWindow(const journal::Connection &connection, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , connection(connection)
    , reader(std::make_unique<journal::Reader>(connection))
    , shown(std::make_unique<Shown>())
{
    setObjectName(QStringLiteral("journal_window"));
    setWindowTitle(tr("Журнал"));

    state = new QLabel(this);
    state->setObjectName(QStringLiteral("journal_state"));
    state->setWordWrap(true);

    meters_model = new JournalMetersModel(this);
    readings_model = new JournalReadingsModel(this);
    records_model = new JournalRecordsModel(this);
    meters_shown = new QSortFilterProxyModel(this);
    meters_shown->setSourceModel(meters_model);
    meters_shown->setFilterKeyColumn(-1);
    meters_shown->setFilterCaseSensitivity(Qt::CaseInsensitive);

    meters = make_table(QStringLiteral("journal_meters"), meters_shown, this);
    meters->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
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
        // A date being typed is no date yet: it counts once it is whole.
        edit->setKeyboardTracking(false);
    }
    range_note = new QLabel(this);
    range_note->setObjectName(QStringLiteral("journal_range_note"));
    range_note->setStyleSheet(QStringLiteral("QLabel {color:red;}"));
    range_note->hide();
    archive_type = new QComboBox(this);
    archive_type->setObjectName(QStringLiteral("journal_archive_type"));
    archive_type->addItems({tr("Часовой"), tr("Суточный"), tr("Месячный")});
    auto *save = new QPushButton(tr("Сохранить в файл"), this);
    save->setObjectName(QStringLiteral("journal_save_btn"));
    auto *period = new QPushButton(tr("Расход за период"), this);
    period->setObjectName(QStringLiteral("journal_consumption_btn"));

    readings = make_table(QStringLiteral("journal_readings"), readings_model, this);
    records = make_table(QStringLiteral("journal_archive"), records_model, this);
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
    layout->addWidget(range_note);
    layout->addWidget(split, 1);
    fit_to_screen(this, QSize(900, 800));

    connect(meters->selectionModel(), &QItemSelectionModel::selectionChanged, this, &JournalWindow::meter_picked);
    connect(meter_filter, &QLineEdit::textChanged, this, &JournalWindow::filter_meters);
    for (QDateEdit *edit : {from_date, to_date})
        connect(edit, &QDateEdit::dateChanged, this, &JournalWindow::range_typed);
    connect(archive_type, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this] {
        want_meter = true;
        want_all = true;
        ask();
    });
    connect(period, &QPushButton::clicked, this, &JournalWindow::show_consumption);
    connect(save, &QPushButton::clicked, this, [this] {
        save_with_dialog(
            this, tr("Сохранить архив"),
            arc::export_file_name(QStringLiteral("journal"), selected_serial(), QDateTime::currentDateTime()),
            tr("Файлы CSV (*.csv)"), &last_dir,
            [this](const QString &path, QString *error) { return save_to(path, error); });
    });
}

// The reader's thread is let finish first: its answers are for this window.
JournalWindow::~JournalWindow()
{
    reader.reset();
}

void JournalWindow::show_state(bool open, journal::Fault fault)
{
    if (open) {
        state->setText(tr("Журнал: %1").arg(journal_place(connection)));
        state->setStyleSheet(QString());
    } else {
        state->setText(journal_fault_text(fault, connection));
        state->setStyleSheet(QStringLiteral("QLabel {color:red;}"));
    }
}

QString JournalWindow::state_text() const
{
    return state->text();
}

QString JournalWindow::range_text() const
{
    return range_note->isHidden() ? QString() : range_note->text();
}

bool JournalWindow::busy() const
{
    return asking || want_meters || want_meter || pending_saves > 0;
}

void JournalWindow::refresh()
{
    want_meters = true;
    want_meter = true; // a read since may have widened its range and added rows
    ask();
}

void JournalWindow::ask()
{
    if (asking || (!want_meters && !want_meter))
        return;
    Question q;
    q.meters = want_meters;
    q.meter = want_meter;
    q.all = want_all || !shown->valid;
    q.serial = selected_serial();
    q.type = archive_type->currentIndex() + 1;
    q.by_hand = range_by_hand;
    q.from = from_date->date();
    q.to = to_date->date();
    q.today = QDate::currentDate();
    // A range refused is not queried; it is asked again once it is put right.
    if (q.by_hand && !range_note->isHidden())
        q.meter = false;
    want_meters = want_meter = want_all = false;
    if (!q.meters && !q.meter)
        return;
    asking = true;
    const Shown before = *shown;
    reader->ask(this, [this, q, before](journal::Store &store) -> journal::Reader::Answer {
        Found f;
        if (q.meters)
            f.meters = store.meters();
        if (q.meter && !q.serial.isEmpty()) {
            f.from = q.from;
            f.to = q.to;
            // A meter whose clock is years off keeps its records years off the
            // computer's date: the range is that of what is kept.
            if (!q.by_hand) {
                const QPair<QDate, QDate> range = journal::shown_range(store.span(q.serial), q.today);
                f.from = range.first;
                f.to = range.second;
            }
            f.added = !q.all && before.valid && before.serial == q.serial && before.type == q.type
                && before.from == f.from && f.to >= before.to;
            // Readings by the computer's clock over whole local days; archive
            // records by the meter's own wall time over the same dates.
            QDateTime readings_from(f.from, QTime(0, 0));
            QDateTime records_from = utc_start(f.from);
            if (f.added && before.last_read_at.isValid())
                readings_from = qMax(readings_from, before.last_read_at.addMSecs(1));
            if (f.added && before.last_record)
                records_from = qMax(records_from, QDateTime::fromSecsSinceEpoch(*before.last_record + 1, Qt::UTC));
            f.readings = store.readings(q.serial, readings_from, QDateTime(f.to.addDays(1), QTime(0, 0)));
            f.records = store.archive_records(q.serial, q.type, records_from, utc_start(f.to.addDays(1)));
            QList<journal::ArchiveRecordRow> chain = f.records;
            if (f.added && before.last_kept)
                chain.prepend(*before.last_kept);
            f.points = journal::consumption_points(chain);
        }
        f.open = store.is_open();
        f.fault = store.fault();
        return [this, q, f] {
            asking = false;
            show_state(f.open, f.fault);
            if (q.meters) {
                // The meter picked stays picked while the list moves on.
                const QSignalBlocker quiet(meters->selectionModel());
                const QString picked = selected_serial();
                meters_model->set_meters(f.meters);
                QString now = picked;
                if (now.isEmpty() && !f.meters.isEmpty() && meter_filter->text().trimmed().isEmpty())
                    now = f.meters.first().serial; // the first opening shows the first meter
                const int row = meters_model->row_of(now);
                const QModelIndex at = meters_shown->mapFromSource(meters_model->index(row, 0));
                if (row >= 0 && at.isValid())
                    meters->selectRow(at.row());
                else
                    meters->clearSelection();
                meters->viewport()->update();
                if (selected_serial() != picked) {
                    want_meter = true;
                    want_all = true;
                }
            }
            // Another meter, archive or range was chosen meanwhile: asked anew.
            const bool still = q.serial == selected_serial() && q.type == archive_type->currentIndex() + 1
                && q.by_hand == range_by_hand
                && (!q.by_hand || (q.from == from_date->date() && q.to == to_date->date()));
            if (q.meter && still) {
                if (!q.by_hand && !q.serial.isEmpty()) {
                    const QSignalBlocker quiet_from(from_date);
                    const QSignalBlocker quiet_to(to_date);
                    from_date->setDate(f.from);
                    to_date->setDate(f.to);
                }
                if (f.added) {
                    readings_model->append_rows(f.readings);
                    records_model->append_rows(f.records);
                    consumption->add_points(f.points);
                } else {
                    const journal::MeterRow meter = meters_model->meter(q.serial);
                    readings_model->set_rows(f.readings);
                    records_model->set_rows(f.records, meter.protocol_version,
                                            q.serial.isEmpty() ? VolumeScale{1.0, 0}
                                                               : VolumeScale{meter.factor, meter.decimals});
                    consumption->set_series(f.points, quantity::volume_unit(records_model->scale()));
                }
                shown->valid = !q.serial.isEmpty();
                shown->serial = q.serial;
                shown->type = q.type;
                shown->from = q.serial.isEmpty() ? QDate() : f.from;
                shown->to = q.serial.isEmpty() ? QDate() : f.to;
                if (!f.added || !f.readings.isEmpty())
                    shown->last_read_at = f.readings.isEmpty() ? QDateTime() : f.readings.last().read_at;
                if (!f.added || !f.records.isEmpty())
                    shown->last_record
                        = f.records.isEmpty() ? std::optional<qint64>() : std::optional<qint64>(f.records.last().time);
                if (!f.added)
                    shown->last_kept.reset();
                for (const journal::ArchiveRecordRow &r : f.records) {
                    if (r.event != arc::event_empty)
                        shown->last_kept = r;
                }
            } else if (q.meter) {
                want_meter = true;
                want_all = true;
            }
            ask();
        };
    });
}

// Another meter: its own range, whatever the last one's was.
void JournalWindow::meter_picked()
{
    const QString serial = selected_serial();
    if (serial == shown->serial && shown->valid)
        return;
    range_by_hand = false;
    range_note->hide();
    want_meter = true;
    want_all = true;
    ask();
}

// Checked before anything is asked: a range the wrong way round shows nothing.
void JournalWindow::range_typed()
{
    range_by_hand = true;
    const TypedRange range = typed_range(from_date->text(), to_date->text());
    range_note->setText(range.refused);
    range_note->setHidden(range.refused.isEmpty());
    if (!range.refused.isEmpty())
        return;
    want_meter = true;
    ask();
}

// Rows holding the text in any column stay; a hidden row is not picked.
void JournalWindow::filter_meters()
{
    meters_shown->setFilterFixedString(meter_filter->text().trimmed());
    meter_picked();
}

void JournalWindow::select_meter(const QString &serial)
{
    const QModelIndex at = meters_shown->mapFromSource(meters_model->index(meters_model->row_of(serial), 0));
    if (at.isValid())
        meters->selectRow(at.row());
}

void JournalWindow::set_range(const QDate &from, const QDate &to)
{
    {
        const QSignalBlocker quiet_from(from_date);
        const QSignalBlocker quiet_to(to_date);
        from_date->setDate(from);
        to_date->setDate(to);
    }
    range_typed();
}

QString JournalWindow::selected_serial() const
{
    const QModelIndexList picked = meters->selectionModel()->selectedRows();
    if (picked.isEmpty())
        return QString();
    const QModelIndex at = meters_shown->mapToSource(picked.first());
    return at.isValid() ? meters_model->meters().value(at.row()).serial : QString();
}

// Over whole local days, as the readings are shown.
void JournalWindow::show_consumption()
{
    const QDateTime from(from_date->date(), QTime(0, 0));
    const QDateTime to(to_date->date().addDays(1), QTime(0, 0));
    ++pending_saves;
    reader->ask(this, [this, from, to](journal::Store &store) -> journal::Reader::Answer {
        const QList<journal::ConsumptionRow> rows = journal::consumption(store, from, to);
        // A query that failed part-way would leave meters out: nothing is shown then.
        const QString fault = store.is_open() ? QString() : journal_fault_text(store.fault(), connection);
        return [this, rows, from, to, fault] {
            --pending_saves;
            if (!consumption_window)
                consumption_window = new ConsumptionWindow(this);
            consumption_window->show_period(fault.isEmpty() ? rows : QList<journal::ConsumptionRow>(), from, to, fault);
            consumption_window->show();
            consumption_window->raise();
        };
    });
}

bool JournalWindow::save_to(const QString &path, QString *error)
{
    const QString serial = selected_serial();
    const journal::MeterRow meter = meters_model->meter(serial);
    const QDate from = from_date->date();
    const QDate to = to_date->date();
    QList<journal::ArchiveRecordRow> rows[3];
    bool open = false;
    journal::Fault fault = journal::Fault::none;
    bool answered = false;
    QEventLoop wait;
    ++pending_saves;
    reader->ask(this, [&, serial, from, to](journal::Store &store) -> journal::Reader::Answer {
        QList<journal::ArchiveRecordRow> found[3];
        for (int type = 1; type <= 3 && !serial.isEmpty(); ++type)
            found[type - 1] = store.archive_records(serial, type, utc_start(from), utc_start(to.addDays(1)));
        const bool is_open = store.is_open();
        const journal::Fault why = store.fault();
        return [&, found0 = found[0], found1 = found[1], found2 = found[2], is_open, why] {
            rows[0] = found0;
            rows[1] = found1;
            rows[2] = found2;
            open = is_open;
            fault = why;
            answered = true;
            wait.quit();
        };
    });
    if (!answered)
        wait.exec();
    --pending_saves;
    // Part of the records would be saved as if they were all.
    if (!serial.isEmpty() && !open) {
        show_state(open, fault);
        if (error)
            *error = state_text();
        return false;
    }
    QList<arc::CsvSection> sections;
    VolumeScale scale;
    for (int type = 1; type <= 3; ++type) {
        if (!rows[type - 1].isEmpty())
            scale = VolumeScale{rows[type - 1].first().factor, rows[type - 1].first().decimals};
        sections.append(
            {archive_type->itemText(type - 1), journal::archive_record_texts(rows[type - 1], meter.protocol_version)});
    }
    const arc::CsvHeader header{
        serial, meter.model_code >= 0 ? quantity::model_name(quint16(meter.model_code), meter.model_name) : QString(),
        meter.protocol_version >= 0 ? QString::number(meter.protocol_version) : QString(),
        meter.last_read_at.toLocalTime(), scale};
    return write_file_atomically(path, arc::archive_csv(header, sections), error);
}
