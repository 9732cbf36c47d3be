// The collector's requests on a thread of their own (journal_claims.h).
#include "journal/journal_claims.h"

#include <QThread>
#include <QTimer>

namespace journal {

ClaimsWorker::ClaimsWorker(const Connection &c)
    : connection(c)
{ }

void ClaimsWorker::add(quint64 id, const Statements &run)
{
    if (!retry) {
        retry = new QTimer(this);
        retry->setSingleShot(true);
        connect(retry, &QTimer::timeout, this, &ClaimsWorker::drain);
    }
    requests.push_back({id, run});
    if (!retry->isActive())
        drain();
}

void ClaimsWorker::drain()
{
    while (!requests.empty()) {
        const Request request = requests.front();
        if (!store)
            store = std::make_unique<Store>(connection);
        store->clear_failure();
        if (store->open() && request.run(*store)) {
            requests.pop_front();
            attempts = 0;
            backoff_ms = 0;
            emit answered(request.id, Answer{true, Fault::none, QString()});
            continue;
        }
        // A race lost to another collector, or a server briefly full: the
        // same request again shortly, a few times.
        if (store->retryable() && ++attempts < 5) {
            backoff_ms = backoff_ms == 0 ? 50 : qMin(2 * backoff_ms, 1000);
            retry->start(jittered_ms(backoff_ms));
            return;
        }
        requests.pop_front();
        attempts = 0;
        backoff_ms = 0;
        const Answer answer{false, store->retryable() ? Fault::failed : store->fault(), store->detail()};
        // A connection that failed is made anew for the next request.
        if (!store->is_open() || store->retryable())
            store.reset();
        emit answered(request.id, answer);
    }
}

Claims::Claims(const Connection &connection)
{
    qRegisterMetaType<journal::Answer>("journal::Answer");
    thread = new QThread;
    thread->setObjectName(QStringLiteral("claims"));
    worker = new ClaimsWorker(connection);
    worker->moveToThread(thread);
    // Its connection is closed on its own thread, as the thread ends.
    connect(thread, &QThread::finished, worker, &QObject::deleteLater);
    connect(worker, &ClaimsWorker::answered, this, &Claims::answered);
    thread->start();
}

Claims::~Claims()
{
    disconnect(worker, nullptr, this, nullptr);
    thread->quit();
    if (thread->wait(2000))
        delete thread;
    // Otherwise a statement still hangs: the thread is left to the end of the process.
}

void Claims::ask(const Statements &run, const Done &done)
{
    const quint64 id = next_id++;
    Asked &entry = asked[id];
    entry.done = done;
    entry.since.start();
    ClaimsWorker *const w = worker;
    QMetaObject::invokeMethod(w, [w, id, run] { w->add(id, run); });
}

qint64 Claims::waiting_ms() const
{
    return asked.empty() ? 0 : asked.begin()->second.since.elapsed();
}

void Claims::answered(quint64 id, const Answer &answer)
{
    const auto found = asked.find(id);
    if (found == asked.end())
        return;
    const Done done = found->second.done;
    asked.erase(found);
    done(answer);
}

} // namespace journal
