#pragma once

#include "scan/scan_plan.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// The search's list: what a meter that answered has shown of itself.

namespace scan {

// A row of the list, as shown. Fields still to be read are empty, fields
// that were not read "?"; a garbled device says so in the model column.
struct MeterRow
{
    QString address;
    QString serial_number;
    QString model;
    QString protocol_version;
    QString software_version;
    QString device_type;
    // The serial number given to the serial addressing field: the shown
    // text; empty when unknown.
    QString addressing_serial;
};

class Rows
{
    Q_DECLARE_TR_FUNCTIONS(Rows)

public:
    static MeterRow row(const MeterIdentity &meter, const QStringList &model_table);
    // "0012345678ab" from the three serial registers (6 data bytes).
    static QString addressing_serial(const QByteArray &serial_data);
};

} // namespace scan
