// The form's commands for the jobs on the line: each checks what the main
// window alone can (the line, the addressing) and hands over to its job.
#include "windows/main_window/mainwindow.h"

#include "journal/journal_writer.h"
#include "model/meter_model.h"
#include "model/outcome_words.h"
#include "ui_mainwindow.h"
#include "windows/journal_windows/journal_window.h"
#include "windows/main_window/archive_job.h"
#include "windows/main_window/journal_link.h"
#include "windows/main_window/poll_job.h"
#include "windows/main_window/write_job.h"

void MainWindow::on_param_btn_clicked()
{
    if (!line_free_and_open())
        return;
    if (!by_serial() && !by_address()) {
        set_status(tr("Не выбран способ обращения к счетчику"), red_label_style);
        return;
    }
    const std::optional<MeterTarget> target = sequence_target(by_serial());
    if (!target)
        return;
    clear_filds();
    poll->start(*target);
}

void MainWindow::printer()
{
    poll->show();
}

void MainWindow::on_write_btn_clicked()
{
    if (!line_free_and_open())
        return;
    const std::optional<MeterTarget> target = sequence_target(by_serial());
    if (target)
        write->start(*target);
}

void MainWindow::write_data()
{
    write->show();
}

void MainWindow::on_arch_btn_clicked()
{
    if (line_busy())
        return;
    archive_read->prepare();
    if (!line.started) {
        archive_read->refused(outcome_words(RunOutcome::Kind::port_lost));
        return;
    }
    const std::optional<MeterTarget> target = sequence_target(by_serial());
    if (!target) {
        archive_read->refused(QString());
        return;
    }
    archive_read->start(*target);
}

void MainWindow::printer_arc()
{
    archive_read->show();
}

void MainWindow::start_journal()
{
    journal = std::make_unique<JournalLink>(this);
    connect(journal.get(), &JournalLink::fault, this, [this](const QString &text) {
        set_status(text, red_label_style);
        // The status line moves on with the next read; the button keeps saying it.
        ui->journal_btn->setStyleSheet(QStringLiteral("QPushButton {color:red;}"));
        ui->journal_btn->setToolTip(text);
    });
    connect(journal.get(), &JournalLink::dropped, this,
            [this] { set_status(tr("Журнал не успевает: последнее чтение в него не записано"), red_label_style); });
    connect(journal.get(), &JournalLink::written, this, [this] {
        if (windows.journal && windows.journal->isVisible())
            windows.journal->refresh();
    });
}

void MainWindow::on_journal_btn_clicked()
{
    if (!windows.journal)
        windows.journal = new JournalWindow(journal->connection(), this);
    windows.journal->show();
    windows.journal->raise();
    windows.journal->activateWindow();
    windows.journal->refresh();
}
