#pragma once

#include "collect/collect_options.h"
#include "collect/line_round.h"
#include "collect/lines_file.h"
#include "journal/journal_store.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <memory>
#include <vector>

namespace journal {
class Writer;
}

namespace collect {

// The rounds: every line read at once, one exchanger each, so that a round
// lasts about as long as its slowest line. One output line per meter as its
// reading is final, a summary per round; with --once the exit code says
// whether every meter was read.
class Collector : public QObject
{
    Q_OBJECT
public:
    Collector(const Options &options, const LinesFile &lines, const journal::Connection &journal,
              const QStringList &models, QObject *parent = nullptr);
    ~Collector() override;

    void start();
    // Every exchange of the last round, resends included.
    int exchanges() const { return round_exchanges; }

signals:
    // --once: the round is over and the journal written; 0 every meter read, 1 not.
    void done(int exit_code);

private:
    void start_round();
    void meter_done(int line, int meter, bool final);
    void line_finished();
    void round_over();

    Options options;
    LinesFile lines;
    journal::Connection connection;
    QStringList models;
    std::unique_ptr<journal::Writer> writer;
    std::vector<std::unique_ptr<LineRound>> rounds;
    QElapsedTimer round_clock;
    int round_number = 0;
    int round_exchanges = 0;
    bool journal_failed = false;
};

// The output line of one meter: line, label, address or serial, reading,
// clock offset, outcome (tab-separated).
QString meter_line(const LineEntry &line, const MeterEntry &meter, const MeterReport &report);

} // namespace collect
