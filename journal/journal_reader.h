#pragma once

#include "journal/journal_store.h"

#include <QObject>
#include <functional>
#include <memory>

class QThread;

namespace journal {

class ReaderWorker;

// Reads the journal for a window on a thread of its own with its own
// connection (Qt SQL connections are per thread), so that a journal of years
// never holds the window up. Each question runs there in turn; its answer is
// handed back on the asker's thread.
class Reader : public QObject
{
    Q_OBJECT
public:
    // What to do with an answer, on the asker's thread.
    using Answer = std::function<void()>;
    // The question: run with the reader's store, opened anew when it is not
    // open (the file may have been put right since).
    using Question = std::function<Answer(Store &store)>;

    explicit Reader(const Connection &connection);
    ~Reader() override; // waits for the question running, within a bound

    // `asker` gets the answer on its thread; it owns the reader or outlives it.
    void ask(QObject *asker, Question question);

private:
    QThread *thread = nullptr;
    ReaderWorker *worker = nullptr; // lives on `thread`; its store is used there only
};

} // namespace journal
