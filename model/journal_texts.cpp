#include "model/journal_texts.h"

#include "archive/archive_export.h"
#include "model/archive_texts.h"
#include "model/quantity.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>

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

QString write_subject_words(const WriteSubject &what)
{
    const QString at = quantity::computer_time(what.at.toLocalTime());
    switch (what.kind) {
    case WriteSubject::Kind::reading:
        return QCoreApplication::translate("journal::Writer", "показания %1 от %2").arg(what.serial, at);
    case WriteSubject::Kind::archive:
        return QCoreApplication::translate("journal::Writer", "архив %1 от %2").arg(what.serial, at);
    case WriteSubject::Kind::label: return QCoreApplication::translate("journal::Writer", "метка %1").arg(what.serial);
    case WriteSubject::Kind::clock_setting:
        return QCoreApplication::translate("journal::Writer", "установка времени %1 в %2").arg(what.serial, at);
    case WriteSubject::Kind::queued: break;
    }
    return QCoreApplication::translate("journal::Writer", "%1 чтений в очереди журнала").arg(what.count);
}

QString place_error_words(PlaceError why, const QString &text)
{
    // A password put in by mistake is not said back, whatever it holds: the
    // words go to a log.
    QString shown = text;
    shown.replace(QRegularExpression(QStringLiteral("^([a-zA-Z]+://[^:@/?]*):.*@")), QStringLiteral("\\1:***@"));
    const QPair<QString, QString> item = refused_item(text);
    switch (why) {
    case PlaceError::empty: return QCoreApplication::translate("collect", "журнал не указан");
    case PlaceError::unknown_key:
        return QCoreApplication::translate("collect",
                                           "%1: параметр %2 не принимается; допустимы sslmode и sslrootcert, "
                                           "каждый один раз")
            .arg(shown, item.first);
    case PlaceError::bad_value:
        if (item.first == QLatin1String("sslrootcert"))
            return QCoreApplication::translate("collect",
                                               "%1: в sslrootcert ожидается файл сертификата центра "
                                               "сертификации")
                .arg(shown);
        return QCoreApplication::translate("collect", "%1: sslmode=%2 не принимается; допустимы %3")
            .arg(shown, item.second, sslmodes().join(QStringLiteral(", ")));
    case PlaceError::not_a_server: break;
    }
    return QCoreApplication::translate("collect",
                                       "%1: ожидается postgresql://пользователь@сервер:порт/база, пароль в %2")
        .arg(shown, QLatin1String(password_variable));
}

} // namespace journal

QString journal_place(const journal::Connection &c)
{
    if (c.backend == journal::Backend::sqlite)
        return QDir::toNativeSeparators(c.file);
    return QStringLiteral("%1@%2:%3/%4").arg(c.user, c.host).arg(c.port).arg(c.database);
}

QString journal_fault_text(journal::Fault fault, const journal::Connection &c)
{
    const QString place = journal_place(c);
    switch (fault) {
    case journal::Fault::damaged:
        return QCoreApplication::translate("MainWindow",
                                           "Журнал %1 поврежден и оставлен как есть; показания не записываются")
            .arg(place);
    case journal::Fault::read_only:
        return QCoreApplication::translate("MainWindow", "Журнал %1 только для чтения; показания не записываются")
            .arg(place);
    case journal::Fault::folder:
        return QCoreApplication::translate("MainWindow", "Журнал %1 — папка, а не файл; показания не записываются")
            .arg(place);
    case journal::Fault::newer_schema:
        return QCoreApplication::translate("MainWindow",
                                           "Журнал %1 создан более новой версией программы; показания не записываются")
            .arg(place);
    case journal::Fault::locked:
        return QCoreApplication::translate("MainWindow",
                                           "Журнал %1 занят другой копией программы; показания не записываются")
            .arg(place);
    case journal::Fault::unreachable:
        return QCoreApplication::translate("MainWindow", "Сервер журнала %1 недоступен; показания не записываются")
            .arg(place);
    case journal::Fault::refused:
        return QCoreApplication::translate("MainWindow", "Сервер журнала %1 отклонил вход; показания не записываются")
            .arg(place);
    case journal::Fault::untrusted:
        return QCoreApplication::translate(
                   "MainWindow",
                   "TLS с сервером журнала %1 не установлено: сертификат сервера не принят или TLS не предлагается; "
                   "проверьте sslrootcert, имя сервера и sslmode; показания не записываются")
            .arg(place);
    case journal::Fault::failed:
    case journal::Fault::none: break;
    }
    return QCoreApplication::translate("MainWindow", "Ошибка журнала %1; показания больше не записываются").arg(place);
}
