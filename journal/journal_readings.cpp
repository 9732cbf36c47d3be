// The journal's readings, archive records, labels and clock settings: kept
// and read back (journal::Store, journal_store.h).
#include "journal/journal_store.h"
#include "model/archive_texts.h"
#include "model/quantity.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace journal {

namespace {

QVariant optional_value(const std::optional<qint32> &value)
{
    return value ? QVariant(qlonglong(*value)) : QVariant();
}

std::optional<qint64> optional_of(const QVariant &value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toLongLong();
}

QDateTime utc_of_ms(const QVariant &ms)
{
    return ms.isNull() ? QDateTime() : QDateTime::fromMSecsSinceEpoch(ms.toLongLong(), Qt::UTC);
}

} // namespace

QVector<ArchiveRecordRow> archive_rows(const QList<QByteArray> &records, int type, int version, double factor,
                                       int decimals)
{
    QVector<ArchiveRecordRow> rows;
    rows.reserve(records.size());
    for (const QByteArray &bytes : records) {
        const arc::Record r = arc::decode_record(bytes, version);
        // A slot never written has no time to be kept by. A record the meter
        // wrote with the event 7 is kept, as the archive window shows it.
        if (r.time <= 0)
            continue;
        rows.append({type, r.time, r.reading, r.event, r.reverse_flow, factor, decimals});
    }
    return rows;
}

ArchiveBatch archive_batch(const QString &serial, int version, const VolumeScale &scale, const QDateTime &read_at,
                           bool by_serial, const QVector<ReadArchive> &archives)
{
    ArchiveBatch batch;
    batch.serial = serial;
    batch.protocol_version = version;
    batch.factor = scale.factor;
    batch.decimals = scale.decimals;
    batch.read_at = read_at;
    for (const ReadArchive &a : archives) {
        const QList<QByteArray> records
            = arc::split_records(a.frames, modbus::archive_header_length(by_serial), arc::record_length(version));
        batch.records += archive_rows(records, a.type, version, scale.factor, scale.decimals);
    }
    return batch;
}

double volume_of(qint64 units, double factor)
{
    return factor == 0.0 ? double(units) : double(units) * factor;
}

QList<arc::ConsumptionPoint> consumption_points(const QList<ArchiveRecordRow> &records)
{
    QVector<arc::ArchiveReading> readings;
    for (const ArchiveRecordRow &r : records) {
        if (r.event != arc::event_empty)
            readings.append({r.time, r.reading, r.factor});
    }
    return arc::consumption_of(readings, records.isEmpty() ? 0 : records.first().type);
}

arc::Record as_record(const ArchiveRecordRow &row)
{
    arc::Record record;
    record.time = qint32(row.time);
    record.reading = qint32(row.reading);
    record.event = quint16(row.event);
    record.reverse_flow = qint32(row.reverse_flow);
    return record;
}

bool Store::upsert_meter(const QString &serial, int model_code, const QString &model_name, int version,
                         const QString &address, double factor, int decimals)
{
    QSqlQuery query(db);
    if (!query.prepare(QStringLiteral(
            "INSERT INTO meters (serial, model_code, model_name, protocol_version, address, factor, decimals)"
            " VALUES (:serial, :code, :name, :version, :address, :factor, :decimals)"
            " ON CONFLICT (serial) DO UPDATE SET model_code = excluded.model_code, model_name = excluded.model_name,"
            " protocol_version = excluded.protocol_version, address = excluded.address, factor = excluded.factor,"
            " decimals = excluded.decimals")))
        return fail_with(query.lastError());
    query.bindValue(QStringLiteral(":serial"), serial);
    query.bindValue(QStringLiteral(":code"), model_code);
    query.bindValue(QStringLiteral(":name"), model_name);
    query.bindValue(QStringLiteral(":version"), version);
    query.bindValue(QStringLiteral(":address"), address);
    query.bindValue(QStringLiteral(":factor"), factor);
    query.bindValue(QStringLiteral(":decimals"), decimals);
    if (!query.exec())
        return fail_with(query.lastError());
    return true;
}

bool Store::store_poll(const PollValues &values, const QDateTime &read_at, const MeterTarget &addressing)
{
    if (!ready && !open())
        return false;
    if (!values.serial)
        return true; // nothing to key it by; a poll always reads it before it completes
    const QString serial = quantity::serial_number(*values.serial);
    const qint64 at = read_at.toMSecsSinceEpoch();
    const QString address
        = addressing.by_serial ? quantity::number(values.device_address) : QString::number(addressing.address);
    const bool matched = values.model.end == ModelLookup::End::matched;
    const VolumeScale scale = values.scale();
    if (!begin_write())
        return false;
    if (!upsert_meter(serial, values.model_code ? int(*values.model_code) : -1, matched ? values.model.name : QString(),
                      values.protocol_version ? int(*values.protocol_version) : -1, address, scale.factor,
                      scale.decimals))
        return false;
    QSqlQuery query(db);
    if (!query.prepare(QStringLiteral(
            "INSERT INTO readings (serial, read_at, meter_clock, volume_units, reverse_units, event, factor, decimals,"
            " address, by_serial) VALUES (:serial, :at, :clock, :volume, :reverse, :event, :factor, :decimals,"
            " :address, :by_serial) ON CONFLICT (serial, read_at) DO NOTHING")))
        return fail_with(query.lastError());
    query.bindValue(QStringLiteral(":serial"), serial);
    query.bindValue(QStringLiteral(":at"), at);
    query.bindValue(QStringLiteral(":clock"), optional_value(values.clock_seconds));
    query.bindValue(QStringLiteral(":volume"), optional_value(values.volume_units));
    query.bindValue(QStringLiteral(":reverse"), optional_value(values.reverse_units));
    query.bindValue(QStringLiteral(":event"), values.event ? QVariant(int(*values.event)) : QVariant());
    query.bindValue(QStringLiteral(":factor"), scale.factor);
    query.bindValue(QStringLiteral(":decimals"), scale.decimals);
    query.bindValue(QStringLiteral(":address"), address);
    query.bindValue(QStringLiteral(":by_serial"), addressing.by_serial ? 1 : 0);
    if (!query.exec())
        return fail_with(query.lastError());
    if (!db.commit())
        return fail_with(db.lastError());
    return true;
}

int Store::store_archive(const ArchiveBatch &batch)
{
    if (!ready && !open())
        return -1;
    if (batch.serial.isEmpty() || batch.records.isEmpty())
        return 0;
    if (!begin_write())
        return -1;
    QSqlQuery meter(db);
    if (!meter.prepare(
            QStringLiteral("INSERT INTO meters (serial, protocol_version, factor, decimals)"
                           " VALUES (:serial, :version, :factor, :decimals) ON CONFLICT (serial) DO NOTHING"))) {
        fail_with(meter.lastError());
        return -1;
    }
    meter.bindValue(QStringLiteral(":serial"), batch.serial);
    meter.bindValue(QStringLiteral(":version"), batch.protocol_version);
    meter.bindValue(QStringLiteral(":factor"), batch.factor);
    meter.bindValue(QStringLiteral(":decimals"), batch.decimals);
    if (!meter.exec()) {
        fail_with(meter.lastError());
        return -1;
    }
    // Many rows a statement: a server is asked once per hundred records, not once per record.
    constexpr int rows_per_statement = 100;
    const auto statement = [](int rows) {
        QStringList values;
        for (int k = 0; k < rows; ++k)
            values << QStringLiteral("(?, ?, ?, ?, ?, ?, ?, ?, ?)");
        return QStringLiteral("INSERT INTO archive_records (serial, archive_type, record_time, reading, event,"
                              " reverse_flow, factor, decimals, read_at) VALUES ")
            + values.join(QLatin1String(", "))
            + QStringLiteral(" ON CONFLICT (serial, archive_type, record_time) DO NOTHING");
    };
    const qint64 at = batch.read_at.toMSecsSinceEpoch();
    int added = 0;
    QSqlQuery full(db);
    if (batch.records.size() >= rows_per_statement && !full.prepare(statement(rows_per_statement))) {
        fail_with(full.lastError());
        return -1;
    }
    for (int first = 0; first < batch.records.size(); first += rows_per_statement) {
        const int rows = qMin(rows_per_statement, int(batch.records.size()) - first);
        QSqlQuery tail(db);
        QSqlQuery &query = rows == rows_per_statement ? full : tail;
        if (rows != rows_per_statement && !tail.prepare(statement(rows))) {
            fail_with(tail.lastError());
            return -1;
        }
        for (int k = 0; k < rows; ++k) {
            const ArchiveRecordRow &r = batch.records.at(first + k);
            const int p = k * 9;
            query.bindValue(p, batch.serial);
            query.bindValue(p + 1, r.type);
            query.bindValue(p + 2, r.time);
            query.bindValue(p + 3, r.reading);
            query.bindValue(p + 4, r.event);
            query.bindValue(p + 5, r.reverse_flow);
            query.bindValue(p + 6, r.factor);
            query.bindValue(p + 7, r.decimals);
            query.bindValue(p + 8, at);
        }
        if (!query.exec()) {
            fail_with(query.lastError());
            return -1;
        }
        added += qMax(query.numRowsAffected(), 0);
    }
    if (!db.commit()) {
        fail_with(db.lastError());
        return -1;
    }
    return added;
}

bool Store::store_label(const QString &serial, const QString &label, const QString &line)
{
    if (!ready && !open())
        return false;
    if (serial.isEmpty())
        return true;
    QSqlQuery query(db);
    if (!query.prepare(
            QStringLiteral("INSERT INTO meters (serial, label, line) VALUES (?, ?, ?)"
                           " ON CONFLICT (serial) DO UPDATE SET label = excluded.label, line = excluded.line")))
        return fail_with(query.lastError());
    query.bindValue(0, serial);
    query.bindValue(1, label);
    query.bindValue(2, line);
    if (!query.exec())
        return fail_with(query.lastError());
    return true;
}

bool Store::store_clock_setting(const QString &serial, const QDateTime &set_at, qint64 offset_before,
                                std::optional<qint64> offset_after)
{
    if (!ready && !open())
        return false;
    QSqlQuery query(db);
    if (!query.prepare(QStringLiteral("INSERT INTO clock_settings (serial, set_at, offset_before, offset_after)"
                                      " VALUES (?, ?, ?, ?) ON CONFLICT (serial, set_at) DO NOTHING")))
        return fail_with(query.lastError());
    query.bindValue(0, serial);
    query.bindValue(1, set_at.toMSecsSinceEpoch());
    query.bindValue(2, offset_before);
    query.bindValue(3, offset_after ? QVariant(qlonglong(*offset_after)) : QVariant());
    if (!query.exec())
        return fail_with(query.lastError());
    return true;
}

QHash<QString, QHash<int, qint64>> Store::newest_records()
{
    QHash<QString, QHash<int, qint64>> newest;
    if (!ready && !open())
        return newest;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT serial, archive_type, MAX(record_time) FROM archive_records"
                                   " GROUP BY serial, archive_type"))) {
        fail_with(query.lastError());
        return newest;
    }
    while (query.next())
        newest[query.value(0).toString()].insert(query.value(1).toInt(), query.value(2).toLongLong());
    // Damage met part-way: nothing is handed on as if it were whole.
    if (query.lastError().isValid()) {
        fail_with(query.lastError());
        return {};
    }
    return newest;
}

QList<MeterRow> Store::meters()
{
    QList<MeterRow> rows;
    if (!ready && !open())
        return rows;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral(
            "SELECT m.serial, m.model_code, m.model_name, m.protocol_version, m.address, m.factor, m.decimals,"
            " r.read_at, r.volume_units, m.label, m.line FROM meters m LEFT JOIN readings r ON r.serial = m.serial"
            " AND r.read_at = (SELECT MAX(read_at) FROM readings WHERE serial = m.serial) ORDER BY m.serial"))) {
        fail_with(query.lastError());
        return rows;
    }
    while (query.next()) {
        MeterRow row;
        row.serial = query.value(0).toString();
        row.model_code = query.value(1).isNull() ? -1 : query.value(1).toInt();
        row.model_name = query.value(2).toString();
        row.protocol_version = query.value(3).isNull() ? -1 : query.value(3).toInt();
        row.address = query.value(4).toString();
        row.factor = query.value(5).toDouble();
        row.decimals = query.value(6).toInt();
        row.last_read_at = utc_of_ms(query.value(7));
        row.last_volume_units = optional_of(query.value(8));
        row.label = query.value(9).toString();
        row.line = query.value(10).toString();
        rows.append(row);
    }
    // Damage met part-way: nothing is handed on as if it were whole.
    if (query.lastError().isValid()) {
        fail_with(query.lastError());
        return {};
    }
    return rows;
}

QList<ReadingRow> Store::readings(const QString &serial, const QDateTime &from, const QDateTime &to)
{
    QList<ReadingRow> rows;
    if (!ready && !open())
        return rows;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT read_at, meter_clock, volume_units, reverse_units, event, factor, decimals,"
                                 " address, by_serial FROM readings WHERE serial = ? AND read_at >= ? AND read_at < ?"
                                 " ORDER BY read_at"));
    query.bindValue(0, serial);
    query.bindValue(1, from.isValid() ? from.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min());
    query.bindValue(2, to.isValid() ? to.toMSecsSinceEpoch() : std::numeric_limits<qint64>::max());
    if (!query.exec()) {
        fail_with(query.lastError());
        return rows;
    }
    while (query.next()) {
        ReadingRow row;
        row.read_at = utc_of_ms(query.value(0));
        row.meter_clock = optional_of(query.value(1));
        row.volume_units = optional_of(query.value(2));
        row.reverse_units = optional_of(query.value(3));
        row.event = query.value(4).isNull() ? -1 : query.value(4).toInt();
        row.factor = query.value(5).toDouble();
        row.decimals = query.value(6).toInt();
        row.address = query.value(7).toString();
        row.by_serial = query.value(8).toInt() != 0;
        rows.append(row);
    }
    // Damage met part-way: nothing is handed on as if it were whole.
    if (query.lastError().isValid()) {
        fail_with(query.lastError());
        return {};
    }
    return rows;
}

QList<ArchiveRecordRow> Store::archive_records(const QString &serial, int type, const QDateTime &from,
                                               const QDateTime &to)
{
    QList<ArchiveRecordRow> rows;
    if (!ready && !open())
        return rows;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT record_time, reading, event, reverse_flow, factor, decimals"
                                 " FROM archive_records WHERE serial = ? AND archive_type = ?"
                                 " AND record_time >= ? AND record_time < ? ORDER BY record_time"));
    query.bindValue(0, serial);
    query.bindValue(1, type);
    query.bindValue(2, from.isValid() ? from.toSecsSinceEpoch() : std::numeric_limits<qint64>::min());
    query.bindValue(3, to.isValid() ? to.toSecsSinceEpoch() : std::numeric_limits<qint64>::max());
    if (!query.exec()) {
        fail_with(query.lastError());
        return rows;
    }
    while (query.next()) {
        ArchiveRecordRow row;
        row.type = type;
        row.time = query.value(0).toLongLong();
        row.reading = query.value(1).toLongLong();
        row.event = query.value(2).toInt();
        row.reverse_flow = query.value(3).toLongLong();
        row.factor = query.value(4).toDouble();
        row.decimals = query.value(5).toInt();
        rows.append(row);
    }
    // Damage met part-way: nothing is handed on as if it were whole.
    if (query.lastError().isValid()) {
        fail_with(query.lastError());
        return {};
    }
    return rows;
}

MeterSpan Store::span(const QString &serial)
{
    MeterSpan span;
    if (!ready && !open())
        return span;
    QSqlQuery records(db);
    records.prepare(QStringLiteral("SELECT MIN(record_time), MAX(record_time) FROM archive_records WHERE serial = ?"));
    records.bindValue(0, serial);
    QSqlQuery readings(db);
    readings.prepare(QStringLiteral("SELECT MIN(read_at), MAX(read_at) FROM readings WHERE serial = ?"));
    readings.bindValue(0, serial);
    if (!records.exec() || !records.next()) {
        fail_with(records.lastError());
        return span;
    }
    if (!readings.exec() || !readings.next()) {
        fail_with(readings.lastError());
        return span;
    }
    span.first_record = optional_of(records.value(0));
    span.last_record = optional_of(records.value(1));
    span.first_reading = utc_of_ms(readings.value(0));
    span.last_reading = utc_of_ms(readings.value(1));
    return span;
}

QPair<QDate, QDate> shown_range(const MeterSpan &span, const QDate &today)
{
    QDate from, to;
    auto take = [&](const QDate &date) {
        if (!date.isValid())
            return;
        from = from.isValid() ? qMin(from, date) : date;
        to = to.isValid() ? qMax(to, date) : date;
    };
    // Records are kept by the meter's wall time as UTC; readings are shown by
    // local days.
    for (const std::optional<qint64> &time : {span.first_record, span.last_record}) {
        if (time)
            take(QDateTime::fromSecsSinceEpoch(*time, Qt::UTC).date());
    }
    for (const QDateTime &time : {span.first_reading, span.last_reading}) {
        if (time.isValid())
            take(time.toLocalTime().date());
    }
    if (!from.isValid())
        return {today.addMonths(-1), today};
    return {from, to};
}

} // namespace journal
