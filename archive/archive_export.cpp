#include "archive/archive_export.h"

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

QByteArray archive_csv(const QList<CsvSection> &sections)
{
    QString text;
    for (const CsvSection &section : sections) {
        text += csv_field(section.name) + QLatin1String(line_end);
        for (const QStringList &row : section.rows) {
            QStringList fields;
            for (const QString &value : row)
                fields << csv_field(value);
            text += fields.join(separator) + QLatin1String(line_end);
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
