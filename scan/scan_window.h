#pragma once

#include "scan/scan_driver.h"

#include <QStringList>
#include <QWidget>

QT_BEGIN_NAMESPACE
namespace Ui { class ScanWindow; }
QT_END_NAMESPACE

class io_port;

// "Поиск счетчиков": the list of meters on the line and the choice of one.
// The search itself runs in ScanDriver; the main window decides whether it
// may start and takes the chosen meter.
class ScanWindow : public QWidget
{
    Q_OBJECT
public:
    ScanWindow(io_port *port, bool *line_echoes, QWidget *parent = nullptr);
    ~ScanWindow() override;

    enum class Refusal { port_closed, line_busy };

    // Starts the search over the range and wait of the form. The failure
    // period (port settings) bounds the wait for a meter that has answered.
    void start(int fail_period_ms, const QStringList &model_table);
    void refuse(Refusal why);
    bool running() const { return driver->running(); }

signals:
    // "Начать" with a valid range: the main window answers with start() or refuse().
    void start_requested();
    // `serial` as the serial addressing field takes it; empty when unknown.
    void meter_chosen(int address, const QString &serial);
    void traffic(const QString &line);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void start_clicked();
    void show_progress(int address);
    void show_meter(int index);
    void search_finished(ScanDriver::End end);
    void choose(int row);
    void set_status(const QString &text, bool error);
    int found_count() const;

    Ui::ScanWindow *ui;
    ScanDriver *driver;
    QStringList models;
    int asked_address = 0;
};
