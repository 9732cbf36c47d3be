#include "journal/journal_reader.h"

#include <QThread>

namespace journal {

class ReaderWorker : public QObject
{
public:
    explicit ReaderWorker(const Connection &connection)
        : connection(connection)
    { }

    Store &ready_store()
    {
        if (!store || !store->is_open()) {
            store = std::make_unique<Store>(connection);
            store->open();
        }
        return *store;
    }

    Connection connection;
    std::unique_ptr<Store> store;
};

Reader::Reader(const Connection &connection)
{
    thread = new QThread;
    thread->setObjectName(QStringLiteral("journal reader"));
    worker = new ReaderWorker(connection);
    worker->moveToThread(thread);
    thread->start();
}

Reader::~Reader()
{
    ReaderWorker *const w = worker;
    // The connection is closed on the thread that opened it.
    QMetaObject::invokeMethod(w, [w] { w->store.reset(); });
    thread->quit();
    if (thread->wait(10000)) {
        delete worker;
        delete thread;
    }
    // Otherwise the thread still runs a statement: both are left to the end of the process.
}

void Reader::ask(QObject *asker, Question question)
{
    ReaderWorker *const w = worker;
    // The answer is posted to the asker, and Qt drops what is posted to an
    // object once it is deleted; the asker outlives the reader's thread.
    QMetaObject::invokeMethod(w, [w, asker, question = std::move(question)] {
        Answer answer = question(w->ready_store());
        if (answer)
            QMetaObject::invokeMethod(asker, std::move(answer), Qt::QueuedConnection);
    });
}

} // namespace journal
