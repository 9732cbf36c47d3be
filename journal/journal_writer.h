#pragma once

#include "journal/journal_store.h"

#include <QObject>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>

namespace journal {

// The thread's side of the writer: its store and what both sides count.
class WriterWorker : public QObject
{
    Q_OBJECT
public:
    std::unique_ptr<Store> store;
    std::atomic<int> waiting{0};
    std::atomic<bool> given_up{false};

    void give_up(Fault fault, const QString &detail);

signals:
    void fault(journal::Fault fault, const QString &detail);
    void written(int readings, int records);
};

// Keeps the journal on a thread of its own with its own connection, so that
// a slow disk or a server that hangs never holds up the line: the window's
// thread only queues what was read. The queue is bounded; when the database
// falls that far behind, further reads are left out of the journal and the
// line goes on.
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

    // False once the journal is given up (see fault()).
    bool available() const { return !worker->given_up.load(); }
    int queued() const { return worker->waiting.load(); }
    // Waits until everything queued is written or given up (tests, benchmark).
    bool wait_written(int timeout_ms);

signals:
    // Once, when the journal is given up; the file or server is left as it is.
    void fault(journal::Fault fault, const QString &detail);
    // A read was queued but not kept: the database is too far behind.
    void dropped();
    // A read is in the journal: 1 reading, or the archive records it added.
    void written(int readings, int records);

private:
    bool enqueue();
    // Runs `job` on the store's thread; false from it gives the journal up.
    void queue_job(std::function<bool(Store &)> job);

    QThread *thread = nullptr;
    WriterWorker *worker = nullptr; // lives on `thread`; its store is used there only
    const int limit;
};

} // namespace journal

Q_DECLARE_METATYPE(journal::Fault)
