#include "windows/main_window/mainwindow.h"

#include "config/remembered_addressing.h"
#include "config/side_settings.h"
#include "journal/journal_writer.h"
#include "link/exchanger.h"
#include "link/io_port.h"
#include "link/line_session.h"
#include "meter/model_table.h"
#include "model/meter_model.h"
#include "ui_mainwindow.h"
#include "windows/journal_windows/journal_window.h"
#include "windows/line/scan_window.h"
#include "windows/main_window/about.h"
#include "windows/main_window/archive.h"
#include "windows/main_window/archive_job.h"
#include "windows/main_window/journal_link.h"
#include "windows/main_window/log_class.h"
#include "windows/main_window/poll_job.h"
#include "windows/main_window/settings.h"
#include "windows/main_window/write_job.h"
#include "windows/service/register_window.h"
#include "windows/service/watch_window.h"
#include "windows/widgets/screen_fit.h"

#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
{
    ui->setupUi(this);
    setWindowTitle(tr("Конфигуратор счётчика воды с RS485 протокол ModBUS варианты исполнения 2 и 3"));
    ui->adr_line->setText(QStringLiteral("1"));
    ui->label_31->setText(QString());

    for (QLineEdit *field : {ui->ver_prot_line,
                             ui->ver_PO_line,
                             ui->ID_PO_line,
                             ui->model_line,
                             ui->K_line,
                             ui->border_line,
                             ui->type_line,
                             ui->real_state_lin,
                             ui->real_event_line,
                             ui->real_obr_line,
                             ui->time_houer_line,
                             ui->state_houer_line,
                             ui->event_houer_line,
                             ui->obr_houer_line,
                             ui->time_sut_line,
                             ui->state_sut_line,
                             ui->event_sut_line,
                             ui->obr_sut_line,
                             ui->time_jurnal_line,
                             ui->state_jurnal_line,
                             ui->event_jurnal_line,
                             ui->obr_jurnal_line,
                             ui->serial_num_line}) {
        field->setReadOnly(true);
        field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    // Read-only fields are for reading and copying, not for Tab to stop at.
    for (QLineEdit *field : findChildren<QLineEdit *>()) {
        if (field->isReadOnly())
            field->setFocusPolicy(Qt::ClickFocus);
    }
    // Tab goes through the addressing, the commands, then the write block.
    const QList<QWidget *> tab_chain
        = {ui->adr_click,        ui->adr_line,    ui->s_num_click,    ui->sereal_num_line_w, ui->setting_btn,
           ui->start_btn,        ui->param_btn,   ui->arch_btn,       ui->open_btn,          ui->log_btn,
           ui->scan_btn,         ui->journal_btn, ui->registers_btn,  ui->watch_btn,         ui->watch_period_box,
           ui->report_btn,       ui->about_btn,   ui->adr_click_w,    ui->adr_line_w,        ui->speed_click_w,
           ui->speed_box_w,      ui->bit_click_w, ui->bit_box_w,      ui->date_save_w,       ui->date_line_w,
           ui->write_time_click, ui->hend_time,   ui->real_time_line, ui->write_btn};
    for (int i = 1; i < tab_chain.size(); ++i)
        setTabOrder(tab_chain[i - 1], tab_chain[i]);
    for (QLineEdit *field : {ui->real_time_line, ui->adr_line_w, ui->date_line_w, ui->adr_line, ui->sereal_num_line_w})
        field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The long block headings sit in the caption column; spread over both
    // columns they leave the value fields room for a whole date and time,
    // which would otherwise be cut to its last digits.
    for (auto heading :
         {std::make_pair(ui->gridLayout_5, ui->label_19), std::make_pair(ui->gridLayout_5, ui->label_25),
          std::make_pair(ui->gridLayout_6, ui->label_20), std::make_pair(ui->gridLayout_6, ui->label_30)}) {
        int row = 0, column = 0, rows = 0, columns = 0;
        heading.first->getItemPosition(heading.first->indexOf(heading.second), &row, &column, &rows, &columns);
        heading.first->removeWidget(heading.second);
        heading.first->addWidget(heading.second, row, 0, 1, 2);
    }
    for (QLineEdit *time : {ui->real_time_line, ui->time_houer_line, ui->time_sut_line, ui->time_jurnal_line})
        time->setMinimumWidth(time->fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000 00:00:00")) + 12);

    windows.setup = std::make_unique<settings>(nullptr);
    line.session = std::make_unique<LineSession>(nullptr);
    meter = std::make_unique<MeterModel>();
    meter->set_line(line.session->exchanger());
    connect(line.session->exchanger(), &Exchanger::traffic, this, &MainWindow::log_line);
    connect(line.session->exchanger(), &Exchanger::started, this, &MainWindow::show_progress);
    connect(line.session->exchanger(), &Exchanger::concluded, this, &MainWindow::show_progress);
    connect(line.session->exchanger(), &Exchanger::finished, this, &MainWindow::run_over);
    connect(line.session->exchanger(), &Exchanger::quiet_wait, this, &MainWindow::show_quiet_wait);
    // An adapter pulled out: the button must not go on saying all is well.
    connect(line.session.get(), &LineSession::lost, this, [this] { ui->start_btn->setText(tr("Нет соединения")); });

    // Any run shows how far it is, and can be stopped at once.
    progress.bar = new QProgressBar(this);
    progress.bar->setObjectName(QStringLiteral("progress_bar"));
    progress.bar->setTextVisible(true);
    progress.bar->setMinimumWidth(progress.bar->fontMetrics().horizontalAdvance(QStringLiteral("0000 / 0000, 0000 s"))
                                  + 40);
    progress.bar->hide();
    progress.stop = new QPushButton(tr("Остановить"), this);
    progress.stop->setObjectName(QStringLiteral("stop_btn"));
    progress.stop->setEnabled(false);
    connect(progress.stop, &QPushButton::clicked, line.session->exchanger(), &Exchanger::stop);
    // The line in use, whatever the status line says.
    line.caption = new QLabel(this);
    line.caption->setObjectName(QStringLiteral("line_label"));
    statusBar()->addPermanentWidget(line.caption);
    statusBar()->addPermanentWidget(progress.bar);
    statusBar()->addPermanentWidget(progress.stop);

    // The empty menu bar and tool bar strip only take room.
    delete ui->menuBar;
    delete ui->mainToolBar;
    // On a small screen, or at a large scale, the form scrolls instead of
    // pushing the window past the screen's edge.
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("main_scroll"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidget(takeCentralWidget());
    setCentralWidget(scroll);
    // The form's own size where the screen has room for it.
    fit_to_screen(this, scroll->widget()->sizeHint() + QSize(0, statusBar()->sizeHint().height()));
    // The status spans the window, not the form's first column, and a message
    // the operator has to act on wraps to a second line instead of being cut.
    ui->gridLayout_9->removeWidget(ui->label_31);
    ui->gridLayout_9->addWidget(ui->label_31, 3, 0, 1, ui->gridLayout_9->columnCount());
    elide_to_width(ui->label_31, 2);

    switch (load_port_settings(QLatin1String(settings_file), port_settings)) {
    case SettingsLoad::loaded:
    case SettingsLoad::missing: break;
    case SettingsLoad::unreadable: ui->label_31->setText(tr("Настройки не считаны")); break;
    }
    windows.setup->load(port_settings.parity, port_settings.baud_rate, port_settings.stop_bits, port_settings.port_name,
                        port_settings.main_ok_ms, port_settings.main_fail_ms, port_settings.archive_ok_ms,
                        port_settings.archive_fail_ms);
    connect(windows.setup.get(), &settings::accepted, this, &MainWindow::settings_accepted);
    network_settings = load_network_settings(QLatin1String(side_settings_file));
    windows.setup->load_network(network_settings);
    windows.setup->attach_network(&network_settings);
    show_line();
    connect(line.session.get(), &LineSession::opened, this, &MainWindow::line_opened);
    connect(line.session.get(), &LineSession::failed, this, &MainWindow::line_failed);

    windows.archives = std::make_unique<archive>(nullptr);

    for (QLabel *label : {ui->label_4, ui->label_9, ui->label_10, ui->num_build_v, ui->date_comp_w, ui->time_comp_w})
        label->setText(QString());

    windows.log = std::make_unique<LOG_class>(nullptr);

    QStringList models;
    if (!load_model_table(QLatin1String(models_file), models))
        ui->label_31->setText(tr("Модели не прочитаны"));
    meter->set_model_table(models);

    // The addressing of the last session: the first read goes where the last one did.
    const RememberedAddressing addressing = load_remembered_addressing(QLatin1String(side_settings_file));
    if (!addressing.address.isEmpty())
        ui->adr_line->setText(addressing.address);
    ui->sereal_num_line_w->setText(addressing.serial);
    ui->adr_click->setChecked(addressing.choice == RememberedAddressing::Choice::address);
    ui->s_num_click->setChecked(addressing.choice == RememberedAddressing::Choice::serial);

    start_journal();
    JobContext jobs;
    jobs.ui = ui;
    jobs.line = line.session->exchanger();
    jobs.meter = meter.get();
    jobs.periods = &port_settings;
    jobs.journal = journal.get();
    jobs.status = [this](const QString &text, const char *style) { set_status(text, style); };
    jobs.log = [this](const QString &text) { log_line(text); };
    poll = std::make_unique<PollJob>(jobs);
    write = std::make_unique<WriteJob>(jobs);
    archive_read = std::make_unique<ArchiveJob>(jobs, windows.archives.get());
}

MainWindow::~MainWindow()
{
    // They stop their runs on the exchanger, which goes before the children do.
    delete windows.watch;
    windows.watch = nullptr;
    delete windows.registers;
    windows.registers = nullptr;
    // Saved again for a window destroyed without closing; closing has told
    // the operator of a failure.
    save_settings();
    save_addressing();
    if (line.started)
        line.session->close();
    // The jobs' runs end with the exchanger; nothing of them outlives the form.
    line.session->exchanger()->stop();
    delete ui;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    windows.setup->close();
    windows.log->close();
    windows.archives->close();
    if (windows.journal)
        windows.journal->close();
    if (windows.scan)
        windows.scan->close(); // stops a search still running
    if (windows.watch)
        windows.watch->close(); // ends a watch
    if (windows.registers)
        windows.registers->close();
    // A read-only folder would lose the settings without a word.
    QStringList unsaved;
    if (!save_settings())
        unsaved << QDir::toNativeSeparators(QDir::current().absoluteFilePath(QLatin1String(settings_file)));
    if (!save_addressing())
        unsaved << QDir::toNativeSeparators(QDir::current().absoluteFilePath(QLatin1String(side_settings_file)));
    if (!unsaved.isEmpty())
        QMessageBox::warning(this, windowTitle(),
                             tr("Настройки не сохранены, файлы недоступны для записи:\n%1").arg(unsaved.join('\n')));
    event->accept();
}

bool MainWindow::save_settings()
{
    return save_port_settings(QLatin1String(settings_file), port_settings);
}

bool MainWindow::save_addressing()
{
    RememberedAddressing addressing;
    addressing.choice = by_serial() ? RememberedAddressing::Choice::serial
        : by_address()              ? RememberedAddressing::Choice::address
                                    : RememberedAddressing::Choice::none;
    addressing.address = ui->adr_line->text();
    addressing.serial = ui->sereal_num_line_w->text();
    return save_remembered_addressing(QLatin1String(side_settings_file), addressing);
}

void MainWindow::show_line()
{
    line.caption->setText(line_caption(port_settings, network_settings));
}

void MainWindow::on_about_btn_clicked()
{
    QMessageBox::about(this, tr("О программе"), about_text());
}

// OK in the settings window stores the record and saves it at once, so a
// crash or a power cut later does not lose what the operator chose.
void MainWindow::settings_accepted()
{
    if (!save_settings() || !save_network_settings(QLatin1String(side_settings_file), network_settings))
        set_status(tr("Настройки не сохранены"), "QLabel {color:red;}");
    show_line();
    // An open port takes the new parameters at once; a run in progress
    // finishes on the old ones first.
    if (line.started && line.session->port()->is_open()) {
        if (line.session->exchanger()->busy())
            progress.reopen_after_run = true;
        else
            on_start_btn_clicked();
    }
}

void MainWindow::set_status(const QString &text, const char *style)
{
    if (style)
        ui->label_31->setStyleSheet(QLatin1String(style));
    ui->label_31->setText(text);
}
