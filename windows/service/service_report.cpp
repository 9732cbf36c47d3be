#include "windows/service/service_report.h"

#include "archive/archive_geometry.h"
#include "link/answer_check.h"
#include "meter/register_map.h"
#include "meter/write_values.h"
#include "model/quantity.h"

#include <QCoreApplication>
#include <QFile>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

namespace {

QString cell(const QString &text)
{
    return QStringLiteral("<td>%1</td>").arg(text.toHtmlEscaped());
}

QString row(const QString &name, const QString &value)
{
    return QStringLiteral("<tr><th align=\"left\">%1</th>%2</tr>").arg(name.toHtmlEscaped(), cell(value));
}

QString shown(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("—") : text;
}

QString time_text(const QDateTime &time)
{
    return time.isValid() ? quantity::computer_time(time) : QStringLiteral("—");
}

const char *bad_kind_text(AnswerStatus status)
{
    switch (status) {
    case AnswerStatus::too_short: return QT_TRANSLATE_NOOP("report", "короткий ответ");
    case AnswerStatus::too_long: return QT_TRANSLATE_NOOP("report", "длинный ответ");
    case AnswerStatus::bad_crc: return QT_TRANSLATE_NOOP("report", "неверная CRC");
    case AnswerStatus::wrong_address: return QT_TRANSLATE_NOOP("report", "чужой адрес");
    case AnswerStatus::wrong_function: return QT_TRANSLATE_NOOP("report", "неверная функция");
    case AnswerStatus::wrong_byte_count: return QT_TRANSLATE_NOOP("report", "неверное число байт");
    case AnswerStatus::exception: return QT_TRANSLATE_NOOP("report", "исключение Modbus");
    case AnswerStatus::ok: break;
    }
    return "";
}

} // namespace

ServiceReportData service_report_data(const MeterModel &meter, const PortSettings &line, const QDateTime &now)
{
    const auto tr = [](const char *text) { return QCoreApplication::translate("MainWindow", text); };
    ServiceReportData d;
    d.made_at = now;
    const PollValues &v = meter.poll();
    if (v.model_code)
        d.model = quantity::model_name(*v.model_code, v.model);
    d.serial = quantity::serial_number(v.serial);
    d.protocol_version = quantity::number(v.protocol_version);
    d.software_version = quantity::software_version(v.software_version);
    d.software_id = quantity::software_id(v.software_id);
    d.device_address = quantity::number(v.device_address);
    const char parity[] = {'N', 'O', 'E'};
    d.line = QCoreApplication::translate("MainWindow", "%1, %2 бод, 8%3%4")
                 .arg(line.port_name)
                 .arg(line.baud_rate)
                 .arg(QLatin1Char(parity[qBound(0, line.parity, 2)]))
                 .arg(line.stop_bits);
    const VolumeScale scale = v.scale();
    d.volume_unit = quantity::volume_unit(scale);
    d.decimals = scale.decimals;
    using quantity::Kind;
    d.readings = {{QCoreApplication::translate("MainWindow", "Текущий объём"),
                   quantity::with_unit(quantity::text(Kind::volume, v.volume_units, scale), scale)},
                  {QCoreApplication::translate("MainWindow", "Текущее событие"), quantity::text(Kind::event, v.event)},
                  {QCoreApplication::translate("MainWindow", "Обратный поток"),
                   quantity::with_unit(quantity::text(Kind::reverse_volume, v.reverse_units, scale), scale)}};
    const std::pair<const char *, const ArchivedReading *> archived[]
        = {{QT_TRANSLATE_NOOP("MainWindow", "На начало часа"), &v.hour},
           {QT_TRANSLATE_NOOP("MainWindow", "На последние сутки"), &v.day},
           {QT_TRANSLATE_NOOP("MainWindow", "На начало месячного журнала"), &v.month}};
    for (const auto &a : archived) {
        const ArchivedReading &r = *a.second;
        if (!r.time)
            continue;
        d.readings.append({tr(a.first),
                           QCoreApplication::translate("MainWindow", "%1: %2, событие %3")
                               .arg(quantity::text(Kind::archived_time, r.time),
                                    quantity::with_unit(quantity::text(Kind::archived_volume, r.volume, scale), scale),
                                    quantity::text(Kind::archived_event, r.event))});
    }
    d.meter_clock = quantity::text(Kind::clock, v.clock_seconds);
    d.read_at = meter.clock_read_at();
    if (v.clock_seconds && d.read_at.isValid())
        d.clock_offset_s = wall_time_as_utc(d.read_at).secsTo(QDateTime::fromSecsSinceEpoch(*v.clock_seconds, Qt::UTC));
    d.writes = meter.writes_to_polled();
    // Only an archive of this meter: another one may have been read since.
    const ArchiveRead &read = meter.archive();
    d.archive_of_other_meter = !read.archives.isEmpty() && !read.meter.serial.isEmpty() && !d.serial.isEmpty()
        && read.meter.serial.compare(d.serial, Qt::CaseInsensitive) != 0;
    const char *const archive_names[]
        = {QT_TRANSLATE_NOOP("MainWindow", "Часовой"), QT_TRANSLATE_NOOP("MainWindow", "Суточный"),
           QT_TRANSLATE_NOOP("MainWindow", "Месячный")};
    for (int type = archive_geometry::hourly; type <= archive_geometry::monthly && !d.archive_of_other_meter; ++type) {
        const arc::ArchiveSummary summary
            = arc::summarize_archive(meter.archive_records(type), type, read.meter.scale.factor);
        if (summary.records > 0)
            d.archives.append({tr(archive_names[type - 1]), summary});
    }
    d.stats = meter.line_stats();
    return d;
}

QString service_report_html(const ServiceReportData &d)
{
    QString h;
    h += QStringLiteral("<html><body style=\"font-size:10pt\">");
    h += QStringLiteral("<h2>%1</h2>")
             .arg(QCoreApplication::translate("report", "Сервисный отчёт счётчика %1")
                      .arg(shown(d.serial))
                      .toHtmlEscaped());
    h += QStringLiteral("<p>%1</p>")
             .arg(QCoreApplication::translate("report", "Составлен %1").arg(time_text(d.made_at)).toHtmlEscaped());

    const QString table = QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">");
    h += QStringLiteral("<h3>%1</h3>").arg(QCoreApplication::translate("report", "Идентификация").toHtmlEscaped())
        + table;
    h += row(QCoreApplication::translate("report", "Модель"), shown(d.model));
    h += row(QCoreApplication::translate("report", "Серийный номер"), shown(d.serial));
    h += row(QCoreApplication::translate("report", "Версия протокола"), shown(d.protocol_version));
    h += row(QCoreApplication::translate("report", "Версия ПО"), shown(d.software_version));
    h += row(QCoreApplication::translate("report", "Идентификатор ПО"), shown(d.software_id));
    h += row(QCoreApplication::translate("report", "Адрес устройства"), shown(d.device_address));
    h += row(QCoreApplication::translate("report", "Линия"), shown(d.line));
    h += QStringLiteral("</table>");

    h += QStringLiteral("<h3>%1</h3>").arg(QCoreApplication::translate("report", "Показания").toHtmlEscaped()) + table;
    for (const auto &reading : d.readings)
        h += row(reading.first, shown(reading.second));
    h += QStringLiteral("</table>");

    h += QStringLiteral("<h3>%1</h3>").arg(QCoreApplication::translate("report", "Часы счётчика").toHtmlEscaped())
        + table;
    h += row(QCoreApplication::translate("report", "Часы счётчика"), shown(d.meter_clock));
    h += row(QCoreApplication::translate("report", "Время компьютера при чтении"), time_text(d.read_at));
    h += row(QCoreApplication::translate("report", "Расхождение (счётчик − компьютер)"),
             d.clock_offset_s ? QCoreApplication::translate("report", "%1 с").arg(quantity::offset(*d.clock_offset_s))
                              : QStringLiteral("—"));
    h += QStringLiteral("</table>");

    h += QStringLiteral("<h3>%1</h3>")
             .arg(QCoreApplication::translate("report", "Записи с начала работы программы").toHtmlEscaped());
    if (d.writes.isEmpty()) {
        h += QStringLiteral("<p>%1</p>").arg(QCoreApplication::translate("report", "Записей не было").toHtmlEscaped());
    } else {
        h += table
            + QStringLiteral("<tr><th>%1</th><th>%2</th><th>%3</th><th>%4</th><th>%5</th></tr>")
                  .arg(QCoreApplication::translate("report", "Время"), QCoreApplication::translate("report", "Счётчик"),
                       QCoreApplication::translate("report", "Что"), QCoreApplication::translate("report", "Значение"),
                       QCoreApplication::translate("report", "Итог"));
        for (const SessionWrite &w : d.writes)
            h += QStringLiteral("<tr>") + cell(time_text(w.at)) + cell(w.meter) + cell(w.what) + cell(w.value)
                + cell(w.outcome) + QStringLiteral("</tr>");
        h += QStringLiteral("</table>");
    }

    h += QStringLiteral("<h3>%1</h3>")
             .arg(QCoreApplication::translate("report", "Последний считанный архив").toHtmlEscaped());
    if (d.archive_of_other_meter) {
        h += QStringLiteral("<p>%1</p>")
                 .arg(QCoreApplication::translate("report", "Последний архив считан с другого счётчика")
                          .toHtmlEscaped());
    } else if (d.archives.isEmpty()) {
        h += QStringLiteral("<p>%1</p>")
                 .arg(QCoreApplication::translate("report", "Архив не считывался").toHtmlEscaped());
    } else {
        h += table
            + QStringLiteral("<tr><th>%1</th><th>%2</th><th>%3</th><th>%4</th></tr>")
                  .arg(QCoreApplication::translate("report", "Архив"), QCoreApplication::translate("report", "Записей"),
                       QCoreApplication::translate("report", "Первая"),
                       QCoreApplication::translate("report", "Последняя"));
        for (const ServiceReportData::Archive &a : d.archives)
            h += QStringLiteral("<tr>") + cell(a.name) + cell(QString::number(a.summary.records))
                + cell(time_text(a.summary.first)) + cell(time_text(a.summary.last)) + QStringLiteral("</tr>");
        h += QStringLiteral("</table>");
        // The monthly archive tells the months best; another one serves when it is empty.
        const arc::ArchiveSummary *by_month = nullptr;
        for (auto it = d.archives.crbegin(); it != d.archives.crend() && !by_month; ++it) {
            if (!it->summary.months.isEmpty())
                by_month = &it->summary;
        }
        if (by_month) {
            h += QStringLiteral("<p>%1</p>")
                     .arg(QCoreApplication::translate("report", "Расход по месяцам, %1")
                              .arg(d.volume_unit)
                              .toHtmlEscaped())
                + table;
            // A month beside a missing record has no total: a dash, never a part of one.
            for (const arc::MonthConsumption &m : by_month->months)
                h += row(m.month.toString(QStringLiteral("MM.yyyy")),
                         m.known ? QString::number(m.value, 'f', d.decimals) : QStringLiteral("—"));
            h += QStringLiteral("</table>");
        }
    }

    const LineStats &s = d.stats;
    h += QStringLiteral("<h3>%1</h3>")
             .arg(QCoreApplication::translate("report", "Статистика линии с открытия порта").toHtmlEscaped())
        + table;
    h += row(QCoreApplication::translate("report", "Запросов"), QString::number(s.requests));
    h += row(QCoreApplication::translate("report", "Ответов"), QString::number(s.answers));
    h += row(QCoreApplication::translate("report", "Без ответа"), QString::number(s.missing));
    h += row(QCoreApplication::translate("report", "Некорректных ответов"), QString::number(s.bad));
    for (int kind = 1; kind < int(s.bad_by_kind.size()); ++kind) {
        if (s.bad_by_kind[size_t(kind)] > 0)
            h += row(QStringLiteral("  ") + QCoreApplication::translate("report", bad_kind_text(AnswerStatus(kind))),
                     QString::number(s.bad_by_kind[size_t(kind)]));
    }
    h += row(QCoreApplication::translate("report", "Ожиданий"), QString::number(s.waits));
    h += row(QCoreApplication::translate("report", "Повторов"), QString::number(s.resends));
    h += QStringLiteral("</table></body></html>");
    return h;
}

bool write_service_report(const QString &path, const ServiceReportData &data, QString *error)
{
    // QPdfWriter says nothing of a file it could not write: look first.
    QFile probe(path);
    if (!probe.open(QIODevice::WriteOnly)) {
        if (error)
            *error = probe.errorString();
        return false;
    }
    probe.close();
    {
        QPdfWriter writer(path);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(150);
        writer.setTitle(QCoreApplication::translate("report", "Сервисный отчёт счётчика %1").arg(data.serial));
        QTextDocument document;
        document.setHtml(service_report_html(data));
        document.print(&writer);
    }
    if (QFile(path).size() == 0) {
        if (error)
            *error = QCoreApplication::translate("report", "файл пуст");
        return false;
    }
    return true;
}

QString report_file_name(const QString &serial, const QDate &date)
{
    QString stem = serial.trimmed();
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    for (QChar &c : stem) {
        if (forbidden.contains(c) || c.unicode() < 0x20)
            c = QLatin1Char('_');
    }
    if (!stem.isEmpty())
        stem += QLatin1Char('_');
    return stem + date.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral("_report.pdf");
}
