#pragma once

// What monitoring learns of the collector's rounds: a file in the Prometheus
// text format, as node_exporter's textfile collector reads it, replaced
// whole after every round.

#include <QString>
#include <QVector>

namespace collect {

struct LineFigures
{
    QString line;
    int read = 0;
    int not_read = 0;
};

struct RoundFigures
{
    QVector<LineFigures> lines; // the lines read here this round
    int number = 0;             // rounds since start
    qint64 started_s = 0;       // unix seconds
    double duration_s = 0;
    int journal_queued = 0;     // writes waiting for the journal
    qint64 journal_unkept = 0;  // writes left out of the journal since start
    qint64 last_complete_s = 0; // the last round that read and kept every meter; 0: none yet
};

// The figures in the text exposition format.
QString prometheus_text(const RoundFigures &figures);

// Replaces `path` whole (a reader never sees half a file); false and `error`
// when it cannot.
bool write_status_file(const QString &path, const QString &text, QString *error);

} // namespace collect
