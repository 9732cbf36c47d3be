#pragma once

#include "journal/journal_store.h"

#include <QDateTime>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QThread>
#include <QWaitCondition>
#include <atomic>
#include <deque>
#include <functional>
#include <memory>

class QTimer;

namespace journal {

// What one write keeps, to name it when it is not kept (model/journal_texts
// words it).
struct WriteSubject
{
    enum class Kind { reading, archive, label, clock_setting, queued };
    Kind kind = Kind::reading;
    QString serial;
    QDateTime at;  // UTC: when it was read or set; none for a label
    int count = 0; // queued: how many writes a journal that hangs still holds
};

// One write waiting for the journal: what it is, for the operator, and the
// statement that keeps it (-1 on failure, else the records it added).
struct JournalJob
{
    WriteSubject what;
    bool reading = false;
    std::function<int(Store &)> run;
};

// The thread's side of the writer: its store, its queue and what both sides count.
class WriterWorker : public QObject
{
    Q_OBJECT
public:
    explicit WriterWorker(const Connection &connection);

    std::unique_ptr<Store> store;
    std::atomic<int> waiting{0};
    // Woken as `waiting` comes down to none, and as the end's request is done.
    QMutex lock;
    QWaitCondition idle;
    void written_off(int count);
    std::atomic<bool> given_up{false};
    std::atomic<bool> server_away{false};

    void open();
    void add(const JournalJob &job);
    void give_up(Fault fault, const QString &detail);
    // What is still queued, for the report at the end; the queue is emptied.
    QList<WriteSubject> take_unkept();

signals:
    void opened();
    void fault(journal::Fault fault, const QString &detail);
    void written(int readings, int records);
    void server_lost(const QString &detail);
    void server_back(int written);
    void not_kept(const journal::WriteSubject &what);

private:
    void drain();

    Connection connection;
    std::deque<JournalJob> jobs;
    QTimer *retry = nullptr;
    int backoff_ms = 0;
    bool ever_open = false;
    int written_while_away = 0;
};

// Keeps the journal on a thread of its own with its own connection, so that
// a slow disk or a server that hangs never holds up the line: the window's
// thread only queues what was read. A server lost after it was reached is
// asked again with a growing pause while the reads go on; what was queued
// meanwhile is written once it is back. The queue is bounded; when the
// database falls that far behind, further reads are left out of the journal,
// said one by one, and the line goes on.
class Writer : public QObject
{
    Q_OBJECT
public:
    explicit Writer(const Connection &connection, int queue_limit = 64);
    ~Writer() override; // lets the queued writes finish, within a bound

    // What a poll produced and when, and how the meter was addressed.
    void record_poll(const PollValues &values, const QDateTime &read_at, const MeterTarget &addressing);
    void record_archive(const ArchiveBatch &batch);
    void record_label(const QString &serial, const QString &label, const QString &line);
    void record_clock_setting(const QString &serial, const QDateTime &set_at, qint64 offset_before,
                              std::optional<qint64> offset_after);

    // False once the journal is given up (see fault()). The connection is
    // tried first (opened()), before anything queued.
    bool available() const { return !worker->given_up.load(); }
    int queued() const { return worker->waiting.load(); }
    // Waits until everything queued is written or given up (tests, benchmark).
    bool wait_written(int timeout_ms);
    // At the end: waits for the queue at most `timeout_ms`, then says what
    // was never kept (empty: everything was).
    QList<WriteSubject> finish(int timeout_ms);

    static constexpr int max_backoff_ms = 30000;

signals:
    // The connection tried, reached or not: another may now make its own.
    void opened();
    // Once, when the journal is given up; the file or server is left as it is.
    void fault(journal::Fault fault, const QString &detail);
    // A read was queued but not kept: the database is too far behind.
    void dropped(const journal::WriteSubject &what);
    // A read was not kept: the journal is given up (see fault()).
    void not_kept(const journal::WriteSubject &what);
    // A read is in the journal: 1 reading, or the archive records it added.
    void written(int readings, int records);
    // The server went away: the reads wait for it. It is back: `written` of them kept.
    void server_lost(const QString &detail);
    void server_back(int written);

private:
    void queue_job(const JournalJob &job);

    QThread *thread = nullptr;
    WriterWorker *worker = nullptr; // lives on `thread`; its store is used there only
    const int limit;
    bool finished = false;
};

} // namespace journal

Q_DECLARE_METATYPE(journal::Fault)

Q_DECLARE_METATYPE(journal::WriteSubject)
