#include "archive/archive_export.h"

#include "archive/records.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace arc {

namespace {

const QChar separator = QLatin1Char(';');
const char *const line_end = "\r\n";

} // namespace

QString csv_field(const QString &text)
{
    const bool needs_quotes = text.contains(separator) || text.contains(QLatin1Char('"'))
        || text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
    if (!needs_quotes)
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString csv_value(const QString &shown)
{
    if (shown == QLatin1String("--"))
        return QString();
    // A point would make the spreadsheet read text or a date, not a number.
    static const QRegularExpression decimal(QStringLiteral("^-?[0-9]+\\.[0-9]+$"));
    if (decimal.match(shown).hasMatch())
        return QString(shown).replace(QLatin1Char('.'), QLatin1Char(','));
    return shown;
}

QByteArray archive_csv(const CsvHeader &header, const QList<CsvSection> &sections)
{
    const auto line = [](const QStringList &fields) {
        QStringList quoted;
        for (const QString &field : fields)
            quoted << csv_field(field);
        return quoted.join(separator) + QLatin1String(line_end);
    };
    const QString read_at
        = header.read_at.isValid() ? header.read_at.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")) : QString();

    QString text;
    text += line({QCoreApplication::translate("archive", "Серийный номер"), header.serial});
    text += line({QCoreApplication::translate("archive", "Модель"), header.model});
    text += line({QCoreApplication::translate("archive", "Версия протокола"), header.version});
    text += line({QCoreApplication::translate("archive", "Время чтения"), read_at});
    text += QLatin1String(line_end);
    for (const CsvSection &section : sections) {
        text += line({section.name});
        text += line(column_titles(header.scale));
        for (const QStringList &row : section.rows) {
            QStringList values;
            for (const QString &shown : row)
                values << csv_value(shown);
            text += line(values);
        }
        text += QLatin1String(line_end);
    }
    // Without the mark a spreadsheet takes the file for the local 8-bit code page.
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

QString suggested_file_name(const QString &serial, const QDate &date)
{
    QString stem = serial.trimmed();
    // Whatever the meter reported, it must not turn into a folder or a bad name.
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    for (QChar &c : stem) {
        if (forbidden.contains(c) || c.unicode() < 0x20)
            c = QLatin1Char('_');
    }
    if (stem.isEmpty())
        stem = QStringLiteral("archive");
    return stem + QLatin1Char('_') + date.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".csv");
}

} // namespace arc
