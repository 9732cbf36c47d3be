#pragma once

#include "meter/model_table.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// How the meter's counted units become cubic metres: its model's factor and
// the factor's decimals. While the model is unknown the factor is 0 and every
// volume stays a count, and says so by its unit.
struct VolumeScale
{
    double factor = 0.0; // m3 per counted unit; 0: counts
    int decimals = 0;

    bool known() const { return factor > 0.0; }
    // The scale of a model table entry: a model not found scales nothing,
    // so a factor left from another meter can never apply.
    static VolumeScale of(const ModelLookup &model);
    bool operator==(const VolumeScale &other) const { return factor == other.factor && decimals == other.decimals; }
    bool operator!=(const VolumeScale &other) const { return !(*this == other); }
};

// Every kind of quantity the program shows, turned into text here and only
// here: the main window, the line table, the archive window and its chart,
// the watch, the journal window, the report and the CSV files all call these,
// so no two places can show one register differently.
namespace quantity {

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

} // namespace quantity
