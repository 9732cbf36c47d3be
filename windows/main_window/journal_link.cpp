// The readings journal behind the main window: every complete poll and every
// archive read, whole or cut short, handed to the journal's own thread.
#include "windows/main_window/journal_link.h"

#include "journal/journal_writer.h"
#include "meter/poll.h"
#include "model/journal_texts.h"
#include "windows/main_window/mainwindow.h"

#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>

journal::Connection journal_connection(const SideSettings &side, const QString &sqlite_file)
{
    journal::Connection c;
    c.file = sqlite_file;
    if (side.value(QStringLiteral("journal")).trimmed().compare(QLatin1String("postgresql"), Qt::CaseInsensitive) != 0)
        return c;
    c.backend = journal::Backend::postgresql;
    c.host = side.value(QStringLiteral("journal_host"), QStringLiteral("localhost")).trimmed();
    bool ok = false;
    const int port = side.value(QStringLiteral("journal_port")).trimmed().toInt(&ok);
    c.port = ok && port > 0 && port < 65536 ? port : 5432;
    c.database = side.value(QStringLiteral("journal_database"), QStringLiteral("readings")).trimmed();
    c.user = side.value(QStringLiteral("journal_user")).trimmed();
    c.sslmode = side.value(QStringLiteral("journal_sslmode")).trimmed();
    // A relative CA file lies beside the settings, as the journal's file does.
    const QString ca = side.value(QStringLiteral("journal_sslrootcert")).trimmed();
    if (!ca.isEmpty())
        c.sslrootcert = QFileInfo(sqlite_file).absoluteDir().absoluteFilePath(ca);
    return c;
}

JournalLink::JournalLink(QWidget *prompt_parent)
{
    where = journal_connection(load_side_settings(QLatin1String(side_settings_file)),
                               QDir::current().absoluteFilePath(QLatin1String(journal_file)));
    if (where.backend == journal::Backend::postgresql) {
        where.password = qEnvironmentVariable(journal_password_variable);
        if (where.password.isEmpty()) {
            // Asked each start and kept in memory only.
            where.password = QInputDialog::getText(
                prompt_parent, MainWindow::tr("Журнал"),
                MainWindow::tr("Пароль к серверу журнала %1:").arg(journal_place(where)), QLineEdit::Password);
        }
    }
    journal_writer = std::make_unique<journal::Writer>(where);
    connect(journal_writer.get(), &journal::Writer::fault, this,
            [this](journal::Fault fault, const QString &) { emit this->fault(journal_fault_text(fault, where)); });
    connect(journal_writer.get(), &journal::Writer::dropped, this, &JournalLink::dropped);
    connect(journal_writer.get(), &journal::Writer::server_lost, this, [this] {
        emit server_lost(
            MainWindow::tr("Сервер журнала %1 потерян; чтения ждут его в очереди").arg(journal_place(where)));
    });
    connect(journal_writer.get(), &journal::Writer::written, this, &JournalLink::written);
}

JournalLink::~JournalLink() = default;

void JournalLink::record_poll(const PollValues &values, const MeterTarget &addressing)
{
    journal_writer->record_poll(values, QDateTime::currentDateTimeUtc(), addressing);
}

void JournalLink::record_archive(const journal::ArchiveBatch &batch)
{
    journal_writer->record_archive(batch);
}
