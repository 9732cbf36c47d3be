#pragma once

#include "link/frames.h"
#include "meter/model_table.h"
#include "meter/volume_scale.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QtGlobal>
#include <optional>

// Every kind of quantity the program shows, turned into text here and only
// here: the main window, the line table, the archive window and its chart,
// the watch, the journal window, the report and the CSV files all call these,
// so no two places can show one register differently.
namespace quantity {

// What a quantity is counted in.
enum class Unit {
    none,
    volume,  // m3, or counted units while the model is unknown
    flow,    // m3/h, or counted units per hour
    seconds, // a clock offset or a duration
};

// The quantities read from the meter. A new one takes a row of the table
// behind meta() and an entry of the register map.
enum class Kind {
    clock,            // the meter's clock: seconds of local wall time counted as UTC
    volume,           // the current volume, never shown below 0
    event,            // the current event, always in decimal
    reverse_volume,   // the current reverse flow, never shown below 0
    archived_time,    // an archived reading of the poll: negative is no value
    archived_volume,  // negative is no value
    archived_event,   // 7 is no value
    archived_reverse, // negative is no value
    record_reverse,   // an archive record's reverse flow: keeps its sign
    clock_offset,     // the meter's clock minus the computer's, "+5"
    flow,             // a flow per hour
};

// How the raw value is written.
enum class Form {
    number,        // in its unit, with its decimals
    date,          // seconds of wall time counted as UTC: "dd.MM.yyyy hh:mm:ss"
    signed_number, // "+5", "-3", "0"
};

// When a raw value is no value at all.
enum class NoValue { never, negative, code_7 };

// What a quantity is, as the table behind meta() says: all the formatter
// needs besides the raw value and the meter's scale.
struct Meta
{
    Kind kind;
    const char *caption; // in the "quantity" translation context
    Unit unit;
    Form form;
    int decimals;     // -1: the model factor's decimals (counts: none)
    NoValue no_value; // what the meter writes into an empty slot
    bool never_below_0;
};

const Meta &meta(Kind kind);

// "м3", "ед.", "м3/ч", "ед./ч", "с", or nothing.
QString unit(Kind kind, const VolumeScale &scale);
// The quantity's caption with its unit: "Показания, м3".
QString caption(Kind kind, const VolumeScale &scale);
// False for what the meter writes into a slot that holds no reading.
bool holds_value(Kind kind, qint64 raw);
// The value as shown: "--" for no value.
QString text(Kind kind, qint64 raw, const VolumeScale &scale = VolumeScale());
// Nothing while the value has not been read.
QString text(Kind kind, const std::optional<qint64> &raw, const VolumeScale &scale = VolumeScale());

// "м3", or "ед." while the volumes are counts.
QString volume_unit(const VolumeScale &scale);
// "м3/ч", or "ед./ч".
QString flow_unit(const VolumeScale &scale);
// A caption for a column or field of volumes: "Показания" + ", м3".
QString volume_caption(const QString &caption, const VolumeScale &scale);

// A count as the meter keeps it: cubic metres with the model's decimals,
// or the count itself.
QString volume(qint64 units, const VolumeScale &scale);
// The current volume and the current reverse flow never show below 0.
QString current_volume(qint32 units, const VolumeScale &scale);
// An archived reading of the poll: "--" for an empty (negative) slot.
QString archived_volume(qint32 units, const VolumeScale &scale);
// The text followed by its unit, or nothing for nothing.
QString with_unit(const QString &value, const VolumeScale &scale);
// A flow per hour in the scale's unit, three decimals.
QString flow_rate(double per_hour);

// The meter's clock: seconds of local wall time counted as UTC,
// "dd.MM.yyyy hh:mm:ss"; negative values convert like any other.
QString clock(qint32 seconds);
// An archived time: "--" for an empty (negative) slot.
QString archived_clock(qint32 seconds);
// The meter's clock minus the computer's, in seconds: "+5", "-3", "0".
QString offset(qint64 seconds);

// Events: the current one always in decimal, an archived 7 marks an empty slot.
QString event(quint16 code);
QString archived_event(quint16 code);

// Registers 0x0004..0x0006, least significant register first (6 data
// bytes): twelve lower-case hex digits, b1 first, as the serial addressing
// field takes them.
QString serial_number(const QByteArray &data);
// The bytes a serial-number frame carries, in the same form.
QString serial_number(const SerialBytes &serial);

// Register 0x0000: "1.05" from 01 05; the minor part always has two digits.
QString software_version_text(quint8 major, quint8 minor);
// Register 0x0001: both bytes in hex without leading zeros, joined.
QString software_identifier_text(quint8 high, quint8 low);
// Register 0x0304: the number, a space and the kind of water, if known.
QString device_type_text(quint16 type);
// Build date and time: four bytes as eight lower-case hex digits.
QString build_text(const QByteArray &data, int offset);
// The model as shown: its code in hex, a space and its name.
QString model_text(quint16 code, const QString &name);

// A register of the poll as the main window shows it; nothing while unread.
QString number(const std::optional<quint16> &value);
QString software_version(const std::optional<quint16> &word);
QString software_id(const std::optional<quint16> &word);
QString k_number(const std::optional<quint16> &word); // in hex
QString device_type(const std::optional<quint16> &type);
QString serial_number(const std::optional<SerialBytes> &serial);
QString build(const std::optional<QByteArray> &bytes);

// The model as shown: its code in hex, a space and its name, "неизвестная"
// when the table does not list it. `searched_in_vain` marks with "неизвестная-"
// a code looked for through the whole table without a match.
QString model_name(quint16 code, const ModelLookup &model, bool searched_in_vain = false);
// The same of a name kept apart from the table (the journal's): none is unknown.
QString model_name(quint16 code, const QString &name);
// How the meter is addressed: "адрес 7" or "с/н 0012345678ab".
QString addressing(const MeterTarget &target);

// The computer's clock as every time of the program shows it.
QString clock_format();
// A time of the computer in that format; nothing for an invalid time.
QString computer_time(const QDateTime &at);

} // namespace quantity
