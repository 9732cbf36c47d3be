#pragma once

#include "archive/archive_summary.h"
#include "config/port_settings.h"
#include "link/exchanger.h"
#include "model/meter_model.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <optional>

// What the service report shows of the meter last read.
struct ServiceReportData
{
    QDateTime made_at;
    QString model, serial, protocol_version, software_version, software_id, device_address;
    QString line; // port and its parameters
    QList<QPair<QString, QString>> readings;
    QString meter_clock;
    QDateTime read_at;                    // the computer's time when the clock was read
    std::optional<qint64> clock_offset_s; // meter minus computer
    QList<SessionWrite> writes;
    struct Archive
    {
        QString name;
        arc::ArchiveSummary summary;
    };
    QList<Archive> archives; // empty: no archive read
    bool archive_of_other_meter = false;
    QString volume_unit; // "м3", or "ед." for counts
    int decimals = 3;
    LineStats stats;
};

// The report of what the model knows of the meter last polled, made `now`.
ServiceReportData service_report_data(const MeterModel &meter, const PortSettings &line, const QDateTime &now);

// The report as rich text for QTextDocument.
QString service_report_html(const ServiceReportData &data);

// Writes it as a PDF file (A4).
bool write_service_report(const QString &path, const ServiceReportData &data, QString *error);

// "<serial>_<yyyy-MM-dd>_report.pdf", or without the serial when none is known.
QString report_file_name(const QString &serial, const QDate &date);
