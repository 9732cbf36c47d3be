// The archive read: the hourly, daily and monthly archives, each handed to
// the model and the archive window as the archive reader gets it, whole or
// cut short.
#include "windows/main_window/archive_job.h"

#include "archive/archive_reader.h"
#include "archive/records.h"
#include "journal/journal_store.h"
#include "link/exchanger.h"
#include "meter/register_map.h"
#include "model/meter_model.h"
#include "model/quantity.h"
#include "ui_mainwindow.h"
#include "windows/main_window/archive.h"
#include "windows/main_window/journal_link.h"

#include <QCoreApplication>

namespace {

const char *const red_button = "QPushButton {color:red;}";

} // namespace

ArchiveJob::ArchiveJob(const JobContext &context, archive *archive_window)
    : c(context)
    , window(archive_window)
{ }

ArchiveJob::~ArchiveJob() = default;

void ArchiveJob::set_button(const QString &text, const char *style)
{
    c.ui->arch_btn->setStyleSheet(QLatin1String(style));
    c.ui->arch_btn->setText(text);
}

void ArchiveJob::prepare()
{
    set_button(tr("Идет чтение архива"), "QPushButton {color:green;}");
    c.status(QString(), nullptr);
}

void ArchiveJob::refused(const QString &status)
{
    if (!status.isEmpty())
        c.status(status, nullptr);
    set_button(tr("Архив не прочитан"), red_button);
}

void ArchiveJob::start(const MeterTarget &target)
{
    // A meter the model knows is read by its version and scale; any other
    // is asked for them (and its serial number) first, so another meter's
    // can never size, scale or name it.
    const std::optional<MeterIdentity> known = c.meter->identity_for(target);
    run = known ? std::make_unique<ArchiveReader>(known->protocol_version, target)
                : std::make_unique<ArchiveReader>(target, c.meter->model_table());
    if (run->finished()) {
        set_button(tr("Некорректные параметры чтения"), red_button);
        return;
    }
    ArchiveRead read;
    if (known) {
        read.meter = *known;
    } else {
        read.meter.target = target;
        read.meter.serial = c.meter->serial_for(target);
    }
    read.read_at = QDateTime::currentDateTime();
    read.by_serial = target.by_serial;
    c.meter->archive_started(read);
    window_ready = false;
    identity_taken = false;
    c.line->run(run.get(), exchange_rules::archive(c.periods->periods()), [this](bool) { show(); });
}

// The meter has said its version and model, and its serial number where it
// was asked: the read is sized and scaled by them, and named by the number.
void ArchiveJob::sized()
{
    MeterIdentity meter = c.meter->archive().meter;
    meter.protocol_version = run->version();
    if (const std::optional<ModelLookup> model = run->model()) {
        meter.model_code = *run->model_code();
        meter.model_text = quantity::model_name(quint16(meter.model_code), *model);
        meter.scale = VolumeScale::of(*model);
    }
    if (const std::optional<SerialBytes> serial = run->serial())
        meter.serial = quantity::serial_number(*serial);
    c.meter->archive_sized(meter);
    // The version field shows what the meter said when this is the meter it shows.
    if (same_meter(c.meter->poll_target(), run->target()) || !c.meter->polled_any())
        c.ui->ver_prot_line->setText(QString::number(run->version()));
}

void ArchiveJob::show()
{
    if (!identity_taken && run->identified()) {
        sized();
        identity_taken = true;
    }
    const QVector<ReadArchive> completed = run->take_completed();
    // The previous archive stays in the window until the first block of this
    // one; from then on the window is sized by the version this read uses.
    if (!window_ready && (run->progress().done > 0 || !completed.isEmpty())) {
        const ArchiveRead &read = c.meter->archive();
        window->clear_tables();
        window->set_version_scale(read.meter.protocol_version, read.meter.scale);
        window->set_target(read.meter.target);
        window->set_meter_serial(read.meter.serial);
        window->set_read_details(read.meter.model_text, read.read_at);
        window_ready = true;
    }
    c.meter->archive_added(completed);
    for (const ReadArchive &a : completed)
        window->add_archive(a.frames, a.type, a.whole);
    if (!run->finished())
        return;
    if (run->records_read() > 0)
        window->set_read_state(run->records_read(), run->records_total());
    c.meter->archive_over(run->records_read(), run->records_total(), run->complete());
    journal_read();
    if (run->complete()) {
        set_button(tr("Архив прочитан"), "QPushButton {color:black;}");
    } else if (run->meter_version_unsupported()) {
        set_button(tr("Некорректные параметры чтения"), red_button);
    } else {
        // A refusal ends the read as a bad answer does; the status line names it.
        const RunOutcome &why = run->failure();
        const bool answered = why.kind == RunOutcome::Kind::bad_answer || why.kind == RunOutcome::Kind::exception;
        set_button(answered ? tr("Некорректные данные архива") : tr("Архив не прочитан"), red_button);
        c.status(run_status_text(Job::archive, why), red_label_style);
    }
}

// One transaction for the whole read, with what it got.
void ArchiveJob::journal_read()
{
    const ArchiveRead &read = c.meter->archive();
    const journal::ArchiveBatch batch
        = journal::archive_batch(read.meter.serial, read.meter.protocol_version, read.meter.scale, read.read_at.toUTC(),
                                 read.by_serial, read.archives);
    if (batch.records.isEmpty())
        return;
    if (batch.serial.isEmpty())
        c.status(tr("Архив не записан в журнал: номер счетчика неизвестен, сначала считайте параметры"),
                 red_label_style);
    else
        c.journal->record_archive(batch);
}
