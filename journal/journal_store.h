#pragma once

#include "archive/archive_chart_data.h"
#include "archive/archive_reader.h"
#include "archive/records.h"
#include "link/frames.h"
#include "meter/poll.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QPair>
#include <QSqlDatabase>
#include <QString>
#include <QVector>
#include <optional>

// The readings journal: every meter read, each reading and every archive
// record, kept in SQLite beside settings.txt or in a team's PostgreSQL.
// The same schema and statements serve both. Widget-free; one Store is one
// database connection and is used from the thread that made it.

namespace journal {

enum class Backend { sqlite, postgresql };

struct Connection
{
    Backend backend = Backend::sqlite;
    QString file; // SQLite
    QString host; // PostgreSQL
    int port = 5432;
    QString database;
    QString user;
    QString password;    // never saved; from the environment or a prompt
    QString sslmode;     // libpq's: disable … verify-full; empty: libpq's default
    QString sslrootcert; // the CA file the server's certificate is checked against
};

// Why the journal is not kept. The file or server is left as it is.
enum class Fault {
    none,
    damaged,      // not a database, or its pages are broken
    read_only,    // the file or its folder may not be written
    folder,       // the name given is a folder's, not a file's
    newer_schema, // written by a newer program
    locked,       // another copy of the program holds the file
    unreachable,  // no server, or no driver for it
    refused,      // the server turned the login away
    untrusted,    // TLS asked for and not made: the server's certificate not accepted, or no TLS
    failed,       // any other error of a statement
};

constexpr int schema_version = 3;

// What a PostgreSQL error's SQLSTATE asks of the program: the same statement
// or transaction again (a serialization failure, a deadlock, too many
// connections, a statement cancelled by its timeout), the server waited for
// as away, the login refused, or the journal given up.
enum class StateKind { retry, unreachable, refused, give_up };
StateKind sqlstate_kind(const QString &sqlstate);

// The pause before asking a server again: 0.5 s doubling to 30 s.
int next_backoff_ms(int previous_ms);
// A pause spread by +-25 %, so that collectors that lost the server together
// do not all come back in the same instant.
int jittered_ms(int ms);

struct MeterRow
{
    QString serial;
    int model_code = -1;
    QString model_name;
    int protocol_version = -1;
    QString address;
    double factor = 0.0; // m3 per counted unit; 0: raw counts
    int decimals = 0;
    QDateTime last_read_at; // invalid: no reading stored
    std::optional<qint64> last_volume_units;
    QString label; // the apartment or account, as the lines file gives it
    QString line;  // the name of the line the collector read it on
};

struct ReadingRow
{
    QDateTime read_at;                 // the computer's time, UTC
    std::optional<qint64> meter_clock; // the meter's wall time, seconds as UTC
    std::optional<qint64> volume_units, reverse_units;
    int event = -1;
    double factor = 0.0;
    int decimals = 0;
    QString address;
    bool by_serial = false;
};

struct ArchiveRecordRow
{
    int type = 0;    // archive_geometry::hourly, daily, monthly
    qint64 time = 0; // the meter's wall time, seconds as UTC
    qint64 reading = 0;
    int event = 0;
    qint64 reverse_flow = 0;
    double factor = 0.0;
    int decimals = 0;
};

// What the journal keeps of one meter, first to last: its archive records by
// the meter's own clock, its readings by the computer's.
struct MeterSpan
{
    std::optional<qint64> first_record, last_record; // seconds as UTC
    QDateTime first_reading, last_reading;           // UTC; invalid: none
};

// The dates to show a meter over: every record and reading it has (a meter
// whose clock is years off included); the month up to today when none.
QPair<QDate, QDate> shown_range(const MeterSpan &span, const QDate &today);

// One archive read, whole or cut short: its records of every type.
struct ArchiveBatch
{
    QString serial;
    int protocol_version = 0;
    double factor = 0.0;
    int decimals = 0;
    QDateTime read_at;
    QVector<ArchiveRecordRow> records;
};

// The records of one archive as read (arc::split_records), slots never
// written left out; records with the event 7 kept, as the archive shows them.
QVector<ArchiveRecordRow> archive_rows(const QList<QByteArray> &records, int type, int version, double factor,
                                       int decimals);

// One archive read as the journal keeps it: the records of every archive
// read, whole or cut short, scaled as the meter was when read. `read_at` in UTC.
ArchiveBatch archive_batch(const QString &serial, int version, const VolumeScale &scale, const QDateTime &read_at,
                           bool by_serial, const QVector<ReadArchive> &archives);

// Counted units as the meter's volume: raw counts while no factor is known.
double volume_of(qint64 units, double factor);

// Consumption between successive records of one archive, as the archive
// chart draws it (arc::consumption_of): not known beside a missing record.
QList<arc::ConsumptionPoint> consumption_points(const QList<ArchiveRecordRow> &records);

// A kept record as the meter's archive holds it: it knows whether it holds a value.
arc::Record as_record(const ArchiveRecordRow &row);

class Store
{
public:
    explicit Store(const Connection &connection);
    ~Store();
    Store(const Store &) = delete;
    Store &operator=(const Store &) = delete;

    // Connects, checks the schema and brings an older one forward. False with
    // fault() set when the journal cannot be kept; nothing is written then.
    bool open();
    bool is_open() const { return ready; }
    Fault fault() const { return why; }
    QString detail() const { return why_text; }
    // The last failure is worth trying again as it is (sqlstate_kind retry):
    // its transaction was rolled back, the connection kept.
    bool retryable() const { return retry_state; }
    // Forgets the last failure of an open store before the next statement,
    // so that what it says after one is that statement's.
    void clear_failure();

    // One complete poll, in one transaction. The serial number keys the meter.
    bool store_poll(const PollValues &values, const QDateTime &read_at, const MeterTarget &addressing);
    // Stores the records not yet kept, in one transaction; the count of new
    // ones, or -1 on failure.
    int store_archive(const ArchiveBatch &batch);

    // A meter's label and the name of its line, kept with it until others are given.
    bool store_label(const QString &serial, const QString &label, const QString &line);
    // A clock set: the offsets (meter minus computer, seconds) before the
    // write and as read back after it (none: not read back).
    bool store_clock_setting(const QString &serial, const QDateTime &set_at, qint64 offset_before,
                             std::optional<qint64> offset_after);
    // The newest record time of each archive type of each meter.
    QHash<QString, QHash<int, qint64>> newest_records();

    // Several collectors on one server share the lines of a round: each line
    // is claimed by one of them with a lease it renews while reading; a line
    // whose lease ran out (its collector died) is claimed again in the same
    // round. PostgreSQL only.
    // Leases are counted by the server's clock, so that collectors whose
    // clocks differ agree on them.
    bool add_lines(const QStringList &lines);
    // A line of `round` nobody holds, now held by `holder` for `lease_ms`;
    // empty when there is none, no value on failure.
    std::optional<QString> claim_line(qint64 round, const QString &holder, qint64 lease_ms);
    bool renew_claims(qint64 round, const QString &holder, qint64 lease_ms);
    bool finish_line(qint64 round, const QString &line, const QString &holder);
    // Lines not yet read whole in `round`; -1 on failure.
    int lines_left(qint64 round);
    // Lines read whole in `round` or claimed for a later one; -1 on failure.
    int lines_read_in(qint64 round);
    // The server's clock in milliseconds since the epoch (SQLite: this
    // computer's); -1 on failure.
    qint64 server_time_ms();

    QList<MeterRow> meters();
    // Readings and records within [from, to); an invalid bound is open.
    QList<ReadingRow> readings(const QString &serial, const QDateTime &from, const QDateTime &to);
    QList<ArchiveRecordRow> archive_records(const QString &serial, int type, const QDateTime &from,
                                            const QDateTime &to);
    MeterSpan span(const QString &serial);

    // The version the open database carries (0: none yet).
    int stored_schema_version();

private:
    bool fail(Fault fault, const QString &text);
    bool fail_with(const class QSqlError &error);
    bool server_speaks() const;
    bool tls_refused() const;
    bool run(const QString &statement);
    bool begin_write();
    bool create_or_migrate(int found);
    bool upsert_meter(const QString &serial, int model_code, const QString &model_name, int version,
                      const QString &address, double factor, int decimals);

    Connection settings;
    QString name;
    QSqlDatabase db;
    bool ready = false;
    bool retry_state = false;
    Fault why = Fault::none;
    QString why_text;
};

} // namespace journal
