// The readings journal behind the main window: every complete poll and every
// archive read, whole or cut short, handed to the journal's own thread.
#include "windows/journal_link.h"

#include "archive/archive_reader.h"
#include "archive/records.h"
#include "journal/journal_writer.h"
#include "meter/poll.h"
#include "ui_mainwindow.h"
#include "windows/journal_window.h"
#include "windows/mainwindow.h"

#include <QDir>
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
    return c;
}

void MainWindow::start_journal()
{
    journal_settings = journal_connection(load_side_settings(QLatin1String(side_settings_file)),
                                          QDir::current().absoluteFilePath(QLatin1String(journal_file)));
    if (journal_settings.backend == journal::Backend::postgresql) {
        journal_settings.password = qEnvironmentVariable(journal_password_variable);
        if (journal_settings.password.isEmpty()) {
            // Asked each start and kept in memory only.
            journal_settings.password = QInputDialog::getText(
                this, tr("Журнал"), tr("Пароль к серверу журнала %1:").arg(journal_place(journal_settings)),
                QLineEdit::Password);
        }
    }
    journal_writer = std::make_unique<journal::Writer>(journal_settings);
    connect(journal_writer.get(), &journal::Writer::fault, this, [this](journal::Fault fault, const QString &) {
        const QString text = journal_fault_text(fault, journal_settings);
        set_status(text, "QLabel {color:red;}");
        // The status line moves on with the next read; the button keeps saying it.
        ui->journal_btn->setStyleSheet(QStringLiteral("QPushButton {color:red;}"));
        ui->journal_btn->setToolTip(text);
    });
    connect(journal_writer.get(), &journal::Writer::dropped, this, [this](const QString &what) {
        set_status(tr("Журнал не успевает, не записано: %1").arg(what), "QLabel {color:red;}");
    });
    connect(journal_writer.get(), &journal::Writer::server_lost, this, [this] {
        set_status(tr("Сервер журнала %1 потерян; чтения ждут его в очереди").arg(journal_place(journal_settings)),
                   "QLabel {color:red;}");
    });
    connect(journal_writer.get(), &journal::Writer::written, this, [this] {
        if (journal_window && journal_window->isVisible())
            journal_window->refresh();
    });
}

void MainWindow::journal_poll()
{
    journal_writer->record_poll(poll_run->values(), QDateTime::currentDateTimeUtc(), poll_run->target());
}

// The serial number the archive's records are kept under: the one addressed,
// or the one the last complete poll of this same meter read. Without either
// the records cannot be told from another meter's and stay out.
QString MainWindow::archive_serial_for(const MeterTarget &target) const
{
    if (target.by_serial) {
        QString text;
        for (quint8 byte : target.serial)
            text += QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0'));
        return text;
    }
    if (poll_run && poll_run->complete() && same_meter(poll_run->target(), target))
        return poll_run->values().serial_number;
    return QString();
}

void MainWindow::journal_archives(const QVector<ReadArchive> &archives)
{
    const int version = archive_run->version();
    for (const ReadArchive &a : archives) {
        const QList<QByteArray> records = arc::split_records(
            a.frames, modbus::archive_header_length(archive_journal.by_serial), arc::record_length(version));
        archive_journal.batch.records
            += journal::archive_rows(records, a.type, version, volume_factor, factor_decimals);
    }
}

// One transaction for the whole read, with what it got.
void MainWindow::journal_archive_read_over()
{
    journal::ArchiveBatch &batch = archive_journal.batch;
    batch.protocol_version = archive_run->version();
    if (!batch.records.isEmpty()) {
        if (batch.serial.isEmpty())
            set_status(tr("Архив не записан в журнал: номер счетчика неизвестен, сначала считайте параметры"),
                       "QLabel {color:red;}");
        else
            journal_writer->record_archive(batch);
    }
    archive_journal = {};
}

void MainWindow::on_journal_btn_clicked()
{
    if (!journal_window)
        journal_window = new JournalWindow(journal_settings, this);
    journal_window->show();
    journal_window->raise();
    journal_window->activateWindow();
    journal_window->refresh();
}
