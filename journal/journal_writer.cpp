#include "journal/journal_writer.h"

#include <QElapsedTimer>

namespace journal {

void WriterWorker::give_up(Fault fault, const QString &detail)
{
    if (given_up.exchange(true))
        return;
    emit this->fault(fault, detail);
}

Writer::Writer(const Connection &connection, int queue_limit)
    : limit(queue_limit)
{
    qRegisterMetaType<journal::Fault>("journal::Fault");
    thread = new QThread;
    thread->setObjectName(QStringLiteral("journal"));
    worker = new WriterWorker;
    worker->moveToThread(thread);
    connect(worker, &WriterWorker::fault, this, &Writer::fault);
    connect(worker, &WriterWorker::written, this, &Writer::written);
    thread->start(QThread::LowPriority);
    ++worker->waiting;
    WriterWorker *const w = worker;
    QMetaObject::invokeMethod(w, [w, connection] {
        w->store = std::make_unique<Store>(connection);
        if (!w->store->open())
            w->give_up(w->store->fault(), w->store->detail());
        --w->waiting;
    });
}

Writer::~Writer()
{
    // What is queued is written before the program ends; a server that hangs
    // is not waited for past the bound.
    WriterWorker *const w = worker;
    disconnect(worker, nullptr, this, nullptr);
    QMetaObject::invokeMethod(w, [w] { w->store.reset(); });
    thread->quit();
    if (thread->wait(10000)) {
        delete worker;
        delete thread;
    }
    // Otherwise the thread still runs a statement: both are left to the end of the process.
}

bool Writer::enqueue()
{
    if (worker->given_up.load())
        return false;
    if (worker->waiting.load() >= limit) {
        emit dropped();
        return false;
    }
    ++worker->waiting;
    return true;
}

void Writer::record_poll(const PollValues &values, const QDateTime &read_at, const MeterTarget &addressing)
{
    if (!enqueue())
        return;
    WriterWorker *const w = worker;
    QMetaObject::invokeMethod(w, [w, values, read_at, addressing] {
        if (!w->given_up.load()) {
            if (w->store->store_poll(values, read_at, addressing))
                emit w->written(1, 0);
            else
                w->give_up(w->store->fault(), w->store->detail());
        }
        --w->waiting;
    });
}

void Writer::record_archive(const ArchiveBatch &batch)
{
    if (!enqueue())
        return;
    WriterWorker *const w = worker;
    QMetaObject::invokeMethod(w, [w, batch] {
        if (!w->given_up.load()) {
            const int added = w->store->store_archive(batch);
            if (added >= 0)
                emit w->written(0, added);
            else
                w->give_up(w->store->fault(), w->store->detail());
        }
        --w->waiting;
    });
}

void Writer::record_label(const QString &serial, const QString &label, const QString &line)
{
    queue_job([serial, label, line](Store &store) { return store.store_label(serial, label, line); });
}

void Writer::record_clock_setting(const QString &serial, const QDateTime &set_at, qint64 offset_before,
                                  std::optional<qint64> offset_after)
{
    queue_job([=](Store &store) { return store.store_clock_setting(serial, set_at, offset_before, offset_after); });
}

void Writer::queue_job(std::function<bool(Store &)> job)
{
    if (!enqueue())
        return;
    WriterWorker *const w = worker;
    QMetaObject::invokeMethod(w, [w, job] {
        if (!w->given_up.load() && !job(*w->store))
            w->give_up(w->store->fault(), w->store->detail());
        --w->waiting;
    });
}

bool Writer::wait_written(int timeout_ms)
{
    QElapsedTimer clock;
    clock.start();
    while (worker->waiting.load() > 0) {
        if (clock.elapsed() > timeout_ms)
            return false;
        QThread::msleep(1);
    }
    return true;
}

} // namespace journal
