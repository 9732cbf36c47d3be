#include "model/meter_model.h"

#include "meter/register_map.h"
#include "meter/write_values.h"
#include "model/quantity.h"

void MeterModel::poll_started(const MeterTarget &target)
{
    polled = PollValues();
    polled_target = target;
    poll_ran = true;
    poll_whole = false;
    clock_read = QDateTime();
}

void MeterModel::poll_answered(const PollValues &values)
{
    if (!polled.clock_seconds && values.clock_seconds)
        clock_read = QDateTime::currentDateTime();
    polled = values;
}

void MeterModel::poll_over(bool complete)
{
    poll_whole = complete;
}

std::optional<MeterIdentity> MeterModel::identity_for(const MeterTarget &target) const
{
    // The poll knows the meter once it has its version, model and serial number.
    if (poll_ran && same_meter(polled_target, target) && polled.protocol_version && polled.model_code
        && !serial_for(target).isEmpty()) {
        MeterIdentity m;
        m.target = target;
        m.serial = serial_for(target);
        m.protocol_version = *polled.protocol_version;
        m.model_code = *polled.model_code;
        m.model_text = quantity::model_name(*polled.model_code, polled.model);
        m.scale = polled.scale();
        return m;
    }
    const MeterIdentity &read = archive_read.meter;
    if (read.protocol_version > 0 && read.model_code >= 0 && !read.serial.isEmpty() && same_meter(read.target, target))
        return read;
    return std::nullopt;
}

QString MeterModel::serial_for(const MeterTarget &target) const
{
    if (target.by_serial)
        return quantity::serial_number(target.serial);
    if (poll_ran && same_meter(polled_target, target) && polled.serial)
        return quantity::serial_number(*polled.serial);
    if (same_meter(archive_read.meter.target, target))
        return archive_read.meter.serial;
    return QString();
}

void MeterModel::archive_started(const ArchiveRead &read)
{
    archive_read = read;
}

void MeterModel::archive_sized(const MeterIdentity &meter)
{
    archive_read.meter = meter;
}

void MeterModel::archive_added(const QVector<ReadArchive> &archives)
{
    if (archives.isEmpty())
        return;
    archive_read.archives += archives;
}

void MeterModel::archive_over(int records_read, int records_total, bool complete)
{
    archive_read.records_read = records_read;
    archive_read.records_total = records_total;
    archive_read.over = true;
    archive_read.complete = complete;
}

void MeterModel::add_write(const SessionWrite &write)
{
    session_writes.append(write);
}

QList<SessionWrite> MeterModel::writes_to_polled() const
{
    QList<SessionWrite> own;
    if (!poll_ran)
        return own;
    const QString serial = serial_for(polled_target);
    const std::optional<quint16> address = polled.device_address;
    for (const SessionWrite &w : session_writes) {
        const MeterTarget &t = w.target;
        const bool same = same_meter(t, polled_target)
            || (t.by_serial && !serial.isEmpty()
                && quantity::serial_number(t.serial).compare(serial, Qt::CaseInsensitive) == 0)
            || (!t.by_serial && address && t.address == *address);
        if (same)
            own.append(w);
    }
    return own;
}

QList<arc::Record> MeterModel::archive_records(int type) const
{
    QList<arc::Record> records;
    for (const ReadArchive &a : archive_read.archives) {
        if (a.type == type)
            records += arc::archive_records(a.frames, archive_read.by_serial, archive_read.meter.protocol_version);
    }
    return records;
}

SessionWrite session_write(const MeterTarget &target, const QString &what, const QString &value, const QString &outcome)
{
    return {QDateTime::currentDateTime(), target, quantity::addressing(target), what, value, outcome};
}

QString written_value_text(int item, quint32 value)
{
    switch (item) {
    case write_item::parity: return QStringLiteral("0x%1").arg(value, 4, 16, QLatin1Char('0'));
    case write_item::clock: return quantity::clock(qint32(value));
    default: return QString::number(value);
    }
}
