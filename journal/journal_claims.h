#pragma once

#include "journal/journal_store.h"

#include <QElapsedTimer>
#include <QObject>
#include <deque>
#include <functional>
#include <map>
#include <memory>

class QThread;
class QTimer;

namespace journal {

// How a request to the journal ended: done, or why not.
struct Answer
{
    bool ok = false;
    Fault fault = Fault::none;
    QString detail;
};

// A request: its statements on the thread's store; false on failure (the
// store says why). What it finds goes where its caller's answer reads it.
using Statements = std::function<bool(Store &)>;

// The thread's side of Claims: its store and its queue.
class ClaimsWorker : public QObject
{
    Q_OBJECT
public:
    explicit ClaimsWorker(const Connection &connection);
    void add(quint64 id, const Statements &run);

signals:
    void answered(quint64 id, const journal::Answer &answer);

private:
    struct Request
    {
        quint64 id;
        Statements run;
    };
    void drain();

    Connection connection;
    std::unique_ptr<Store> store;
    std::deque<Request> requests;
    QTimer *retry = nullptr;
    int attempts = 0;
    int backoff_ms = 0;
};

// The collector's questions to the journal (the claims of a shared round, the
// server's clock, the newest archive records) on a thread and connection of
// their own, so that a server that hangs holds up no line: each request is
// queued, run in turn, and answered by a queued signal on the asker's
// thread. A request whose statement fails with a SQLSTATE worth retrying is
// run again after a short pause; any other failure is answered as such, and
// the next request connects anew.
class Claims : public QObject
{
    Q_OBJECT
public:
    explicit Claims(const Connection &connection);
    ~Claims() override; // a statement that hangs is not waited for

    using Done = std::function<void(const Answer &)>;
    void ask(const Statements &run, const Done &done);
    // How long the oldest request not yet answered has waited; 0 when none.
    qint64 waiting_ms() const;
    int pending() const { return int(asked.size()); }

private:
    void answered(quint64 id, const Answer &answer);

    struct Asked
    {
        Done done;
        QElapsedTimer since;
    };
    QThread *thread = nullptr;
    ClaimsWorker *worker = nullptr; // lives on `thread`
    std::map<quint64, Asked> asked;
    quint64 next_id = 1;
};

} // namespace journal

Q_DECLARE_METATYPE(journal::Answer)
