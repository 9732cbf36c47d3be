#include "journal/journal_writer.h"
#include "model/quantity.h"

#include <QDeadlineTimer>
#include <QTimer>

namespace journal {

WriterWorker::WriterWorker(const Connection &c)
    : connection(c)
{ }

void WriterWorker::written_off(int count)
{
    if ((waiting -= count) <= 0) {
        QMutexLocker locked(&lock);
        idle.wakeAll();
    }
}

void WriterWorker::open()
{
    retry = new QTimer(this);
    retry->setSingleShot(true);
    connect(retry, &QTimer::timeout, this, [this] {
        // A statement worth retrying runs again on its connection; a server lost gets a new one.
        if (!store->retryable())
            store = std::make_unique<Store>(connection);
        drain();
    });
    store = std::make_unique<Store>(connection);
    if (store->open())
        ever_open = true;
    else
        give_up(store->fault(), store->detail());
}

void WriterWorker::give_up(Fault fault, const QString &detail)
{
    if (given_up.exchange(true))
        return;
    emit this->fault(fault, detail);
}

void WriterWorker::add(const JournalJob &job)
{
    jobs.push_back(job);
    if (!retry->isActive())
        drain();
}

void WriterWorker::drain()
{
    while (!jobs.empty()) {
        if (given_up.load()) {
            // Each read left out is named: the operator must not take it for kept.
            for (const JournalJob &left : jobs)
                emit not_kept(left.what);
            const int left = int(jobs.size());
            jobs.clear();
            written_off(left);
            return;
        }
        const JournalJob &job = jobs.front();
        store->clear_failure();
        const int added = job.run(*store);
        if (added >= 0) {
            ever_open = true;
            if (server_away.load())
                ++written_while_away;
            emit written(job.reading ? 1 : 0, job.reading ? 0 : added);
            jobs.pop_front();
            written_off(1);
            continue;
        }
        // A lost race or a server briefly full is no reason to give the journal up.
        if (store->retryable()) {
            backoff_ms = next_backoff_ms(backoff_ms);
            retry->start(jittered_ms(backoff_ms));
            return;
        }
        // A server that was there and is gone is waited for, and so is one
        // that turns the login away while it starts again; anything else (a
        // damaged file, a statement refused) gives up.
        const bool away = store->fault() == Fault::unreachable || store->fault() == Fault::refused;
        if (away && connection.backend == Backend::postgresql && ever_open) {
            if (!server_away.exchange(true)) {
                written_while_away = 0;
                emit server_lost(store->detail());
            }
            backoff_ms = next_backoff_ms(backoff_ms);
            retry->start(jittered_ms(backoff_ms));
            return;
        }
        give_up(store->fault(), store->detail());
    }
    if (server_away.exchange(false))
        emit server_back(written_while_away);
    backoff_ms = 0;
}

QList<WriteSubject> WriterWorker::take_unkept()
{
    QList<WriteSubject> unkept;
    for (const JournalJob &job : jobs)
        unkept << job.what;
    const int left = int(jobs.size());
    jobs.clear();
    written_off(left);
    return unkept;
}

Writer::Writer(const Connection &connection, int queue_limit)
    : limit(queue_limit)
{
    qRegisterMetaType<journal::Fault>("journal::Fault");
    qRegisterMetaType<journal::WriteSubject>("journal::WriteSubject");
    thread = new QThread;
    thread->setObjectName(QStringLiteral("journal"));
    worker = new WriterWorker(connection);
    worker->moveToThread(thread);
    connect(worker, &WriterWorker::opened, this, &Writer::opened);
    connect(worker, &WriterWorker::fault, this, &Writer::fault);
    connect(worker, &WriterWorker::written, this, &Writer::written);
    connect(worker, &WriterWorker::server_lost, this, &Writer::server_lost);
    connect(worker, &WriterWorker::server_back, this, &Writer::server_back);
    connect(worker, &WriterWorker::not_kept, this, &Writer::not_kept);
    thread->start(QThread::LowPriority);
    ++worker->waiting;
    WriterWorker *const w = worker;
    QMetaObject::invokeMethod(w, [w] {
        w->open();
        emit w->opened();
        w->written_off(1);
    });
}

Writer::~Writer()
{
    if (!finished)
        finish(10000);
    thread->quit();
    if (thread->wait(2000)) {
        delete worker;
        delete thread;
    }
    // Otherwise the thread still runs a statement: both are left to the end of the process.
}

QList<WriteSubject> Writer::finish(int timeout_ms)
{
    if (finished)
        return {};
    finished = true;
    // What is queued is written before the program ends; a server that hangs
    // or is away is not waited for past the bound.
    const QDeadlineTimer deadline(timeout_ms + 1000);
    wait_written(timeout_ms);
    disconnect(worker, nullptr, this, nullptr);
    auto unkept = std::make_shared<QList<WriteSubject>>();
    auto taken = std::make_shared<bool>(false);
    WriterWorker *const w = worker;
    QMetaObject::invokeMethod(w, [w, unkept, taken] {
        QList<WriteSubject> left = w->take_unkept();
        w->store.reset();
        QMutexLocker locked(&w->lock);
        *unkept = left;
        *taken = true;
        w->idle.wakeAll();
    });
    QMutexLocker locked(&worker->lock);
    while (!*taken) {
        if (!worker->idle.wait(&worker->lock, deadline))
            break;
    }
    if (!*taken) // a statement still hangs
        return {WriteSubject{WriteSubject::Kind::queued, QString(), QDateTime(), worker->waiting.load()}};
    return *unkept;
}

void Writer::queue_job(const JournalJob &job)
{
    if (finished)
        return;
    if (worker->given_up.load()) {
        // Told once the caller has said what it read.
        QMetaObject::invokeMethod(
            this, [this, what = job.what] { emit not_kept(what); }, Qt::QueuedConnection);
        return;
    }
    if (worker->waiting.load() >= limit) {
        emit dropped(job.what);
        return;
    }
    ++worker->waiting;
    WriterWorker *const w = worker;
    QMetaObject::invokeMethod(w, [w, job] { w->add(job); });
}

void Writer::record_poll(const PollValues &values, const QDateTime &read_at, const MeterTarget &addressing)
{
    queue_job({{WriteSubject::Kind::reading, quantity::serial_number(values.serial), read_at},
               true,
               [values, read_at, addressing](Store &store) {
                   return store.store_poll(values, read_at, addressing) ? 1 : -1;
               }});
}

void Writer::record_archive(const ArchiveBatch &batch)
{
    queue_job({{WriteSubject::Kind::archive, batch.serial, batch.read_at}, false, [batch](Store &store) {
                   return store.store_archive(batch);
               }});
}

void Writer::record_label(const QString &serial, const QString &label, const QString &line)
{
    queue_job({{WriteSubject::Kind::label, serial, QDateTime()}, false, [serial, label, line](Store &store) {
                   return store.store_label(serial, label, line) ? 0 : -1;
               }});
}

void Writer::record_clock_setting(const QString &serial, const QDateTime &set_at, qint64 offset_before,
                                  std::optional<qint64> offset_after)
{
    queue_job({{WriteSubject::Kind::clock_setting, serial, set_at}, false, [=](Store &store) {
                   return store.store_clock_setting(serial, set_at, offset_before, offset_after) ? 0 : -1;
               }});
}

bool Writer::wait_written(int timeout_ms)
{
    const QDeadlineTimer deadline(timeout_ms);
    QMutexLocker locked(&worker->lock);
    while (worker->waiting.load() > 0) {
        if (!worker->idle.wait(&worker->lock, deadline))
            return worker->waiting.load() <= 0;
    }
    return true;
}

} // namespace journal
