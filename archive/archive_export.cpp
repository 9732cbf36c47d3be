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

QString csv_serial(const QString &serial)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9A-Fa-f]+$"));
    if (!digits.match(serial).hasMatch())
        return csv_field(serial);
    return QStringLiteral("=\"%1\"").arg(serial);
}

QString csv_line(const QStringList &fields)
{
    return fields.join(separator) + QLatin1String(line_end);
}

QString csv_rows(const QStringList &titles, const QList<QStringList> &rows, int serial_column)
{
    QStringList fields;
    for (const QString &title : titles)
        fields << csv_field(title);
    QString text = csv_line(fields);
    for (const QStringList &row : rows) {
        fields.clear();
        for (int c = 0; c < row.size(); ++c)
            fields << (c == serial_column ? csv_serial(row.at(c)) : csv_field(csv_value(row.at(c))));
        text += csv_line(fields);
    }
    return text;
}

QByteArray csv_file(const QString &text)
{
    // Without the mark a spreadsheet takes the file for the local 8-bit code page.
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

QString tab_separated(const QList<QStringList> &rows)
{
    // A tab or a line break inside a cell would split it.
    static const QRegularExpression breaks(QStringLiteral("[\t\r\n]+"));
    QString text;
    for (const QStringList &row : rows) {
        QStringList cells;
        for (const QString &cell : row)
            cells << QString(cell).replace(breaks, QStringLiteral(" "));
        text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

QString export_file_name(const QString &kind, const QString &serial, const QDateTime &at, const QString &suffix)
{
    QString stem = serial.trimmed();
    // Whatever the meter reported, it must not turn into a folder or a bad name.
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    for (QChar &c : stem) {
        if (forbidden.contains(c) || c.unicode() < 0x20)
            c = QLatin1Char('_');
    }
    QStringList parts{kind};
    if (!stem.isEmpty())
        parts << stem;
    parts << at.toString(QStringLiteral("yyyy-MM-dd_hh-mm"));
    return parts.join(QLatin1Char('_')) + QLatin1Char('.') + suffix;
}

} // namespace arc
