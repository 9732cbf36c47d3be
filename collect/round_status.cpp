#include "collect/round_status.h"

#include <QSaveFile>

namespace collect {

namespace {

// A label value: backslash, double quote and line feed are escaped.
QString label_value(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            escaped += QLatin1String("\\\\");
        else if (c == QLatin1Char('"'))
            escaped += QLatin1String("\\\"");
        else if (c == QLatin1Char('\n'))
            escaped += QLatin1String("\\n");
        else
            escaped += c;
    }
    return escaped;
}

void head(QString &out, const char *name, const char *type, const char *help)
{
    out += QStringLiteral("# HELP meter_collect_%1 %2\n# TYPE meter_collect_%1 %3\n")
               .arg(QLatin1String(name), QLatin1String(help), QLatin1String(type));
}

void metric(QString &out, const char *name, const char *type, const char *help, const QString &value)
{
    head(out, name, type, help);
    out += QStringLiteral("meter_collect_%1 %2\n").arg(QLatin1String(name), value);
}

} // namespace

QString prometheus_text(const RoundFigures &f)
{
    QString out;
    const auto per_line = [&](const char *name, const char *help, int LineFigures::*count) {
        head(out, name, "gauge", help);
        for (const LineFigures &line : f.lines)
            out += QStringLiteral("meter_collect_%1{line=\"%2\"} %3\n")
                       .arg(QLatin1String(name), label_value(line.line))
                       .arg(line.*count);
    };
    per_line("meters_read", "Meters read in the last round, per line.", &LineFigures::read);
    per_line("meters_not_read", "Meters not read in the last round, per line.", &LineFigures::not_read);
    metric(out, "rounds_total", "counter", "Rounds since the collector started; the last one's number.",
           QString::number(f.number));
    metric(out, "round_start_time_seconds", "gauge", "When the last round started, unix time.",
           QString::number(f.started_s));
    metric(out, "round_duration_seconds", "gauge", "How long the last round took.",
           QString::number(f.duration_s, 'f', 3));
    metric(out, "journal_queue_depth", "gauge", "Writes waiting for the journal at the end of the last round.",
           QString::number(f.journal_queued));
    metric(out, "journal_unkept_total", "counter", "Writes left out of the journal (dropped or not kept) since start.",
           QString::number(f.journal_unkept));
    metric(out, "last_complete_round_time_seconds", "gauge",
           "When the last round that read and kept every meter started, unix time; 0: none yet.",
           QString::number(f.last_complete_s));
    return out;
}

bool write_status_file(const QString &path, const QString &text, QString *error)
{
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    *error = file.errorString();
    return false;
}

} // namespace collect
