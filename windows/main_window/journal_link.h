#pragma once

#include "config/side_settings.h"
#include "journal/journal_place.h"
#include "journal/journal_store.h"
#include "journal/journal_writer.h"

#include <QObject>
#include <QString>
#include <memory>

class QWidget;
namespace journal {
class Writer;
}

// Where the journal lives, from addressing.txt: "journal=postgresql" with
// journal_host, journal_port, journal_database and journal_user sends it to a
// server (over TLS with journal_sslmode and journal_sslrootcert, a CA file
// beside settings.txt when relative); anything else keeps it in
// readings.sqlite beside settings.txt. The password is never in the file: the
// caller puts it in.
constexpr const char *journal_file = "readings.sqlite";
constexpr const char *journal_password_variable = journal::password_variable;

journal::Connection journal_connection(const SideSettings &side, const QString &sqlite_file);

// The journal behind the main window: where it is (asking for a server's
// password when the environment has none), and its writer's thread. Every
// complete poll and every archive read, whole or cut short, goes to it.
class JournalLink : public QObject
{
    Q_OBJECT
public:
    // `prompt_parent`: the window a password prompt belongs to.
    explicit JournalLink(QWidget *prompt_parent);
    ~JournalLink() override;

    void record_poll(const PollValues &values, const MeterTarget &addressing);
    void record_archive(const journal::ArchiveBatch &batch);
    const journal::Connection &connection() const { return where; }
    journal::Writer *writer() const { return journal_writer.get(); }

signals:
    // The journal was given up: what happened, said once.
    void fault(const QString &text);
    // A read was not kept: the journal is too far behind; what it was.
    void dropped(const journal::WriteSubject &what);
    // A server lost: the reads wait for it in the queue, said as a status text.
    void server_lost(const QString &text);
    void written();

private:
    journal::Connection where;
    std::unique_ptr<journal::Writer> journal_writer;
};
