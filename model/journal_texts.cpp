#include "model/journal_texts.h"

#include "archive/archive_export.h"
#include "model/archive_texts.h"
#include "model/quantity.h"

#include <QCoreApplication>

namespace journal {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("consumption", text);
}

QString volume_or_empty(const std::optional<qint64> &units, double factor, int decimals)
{
    if (!units)
        return QString();
    // A meter kept in counts (its model unknown) says so.
    const VolumeScale scale{factor, decimals};
    const QString text = quantity::volume(*units, scale);
    return scale.known() ? text : quantity::with_unit(text, scale);
}

QString taken_text(const ReadingAt &at)
{
    return at.taken.isValid() ? at.taken.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")) : QString();
}

} // namespace

QString source_text(ReadingAt::Source source)
{
    switch (source) {
    case ReadingAt::Source::poll: return tr("опрос");
    case ReadingAt::Source::hourly: return tr("часовой архив");
    case ReadingAt::Source::daily: return tr("суточный архив");
    case ReadingAt::Source::monthly: return tr("месячный архив");
    case ReadingAt::Source::none: break;
    }
    return QString();
}

QStringList consumption_titles()
{
    return {tr("Метка"),
            tr("Серийный номер"),
            tr("Адрес"),
            tr("Линия"),
            tr("Показания на начало"),
            tr("Взято"),
            tr("Откуда"),
            tr("Показания на конец"),
            tr("Взято"),
            tr("Откуда"),
            tr("Расход"),
            tr("Единицы"),
            tr("Отметки")};
}

QStringList consumption_texts(const ConsumptionRow &row)
{
    QStringList marks;
    if (!row.from.units)
        marks << tr("нет показаний на начало");
    if (!row.to.units)
        marks << tr("нет показаний на конец");
    if (row.clock_off())
        marks << tr("часы счетчика расходятся более чем на 10 минут");
    const std::optional<qint64> used
        = row.complete() ? std::optional<qint64>(*row.to.units - *row.from.units) : std::nullopt;
    return {row.label,
            row.serial,
            row.address,
            row.line,
            volume_or_empty(row.from.units, row.factor, row.decimals),
            taken_text(row.from),
            source_text(row.from.source),
            volume_or_empty(row.to.units, row.factor, row.decimals),
            taken_text(row.to),
            source_text(row.to.source),
            volume_or_empty(used, row.factor, row.decimals),
            row.factor == 0.0 ? tr("ед.") : tr("м3"),
            marks.join(QStringLiteral(", "))};
}

QByteArray consumption_csv(const QList<ConsumptionRow> &rows, const QDateTime &from, const QDateTime &to)
{
    const QString format = QStringLiteral("dd.MM.yyyy hh:mm");
    QString text = arc::csv_line({arc::csv_field(tr("Расход за период")), arc::csv_field(from.toString(format)),
                                  arc::csv_field(to.toString(format))});
    text += arc::csv_line({});
    QList<QStringList> texts;
    for (const ConsumptionRow &row : rows)
        texts << consumption_texts(row);
    // Column 1 is the serial number.
    text += arc::csv_rows(consumption_titles(), texts, 1);
    return arc::csv_file(text);
}

QList<QStringList> archive_record_texts(const QList<ArchiveRecordRow> &records, int version)
{
    QList<QStringList> texts;
    for (int k = 0; k < records.size(); ++k) {
        const ArchiveRecordRow &r = records.at(k);
        texts.append(arc::record_row(k, as_record(r), version, VolumeScale{r.factor, r.decimals}));
    }
    return texts;
}

} // namespace journal
