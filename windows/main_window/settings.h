#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

QT_BEGIN_NAMESPACE
namespace Ui {
class settings;
}
QT_END_NAMESPACE

struct PortSettings;
struct NetworkSettings;

// The port settings window. It edits the main window's one PortSettings
// record in place through the pointer it is attached to.
class settings : public QWidget
{
    Q_OBJECT
public:
    using port_lister = std::function<QStringList()>;

    // An empty lister stands for openable_port_names().
    explicit settings(QWidget *parent = nullptr, port_lister lister = {});
    ~settings() override;

    // Where the port list comes from; used from the next show on.
    void set_port_lister(port_lister lister);

    void load(int parity, int baud_rate, int stop_bits, const QString &port_name, int main_ok_ms, int main_fail_ms,
              int archive_ok_ms, int archive_fail_ms);
    void attach(PortSettings *record);
    // The network line beside the serial port (not in settings.txt).
    void load_network(const NetworkSettings &network);
    void attach_network(NetworkSettings *record);

signals:
    // OK stored the form into the record.
    void accepted();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private slots:
    void on_set_btn_clicked();

private:
    void list_ports();
    void show_line_choice();
    bool network_fields_valid();

    Ui::settings *ui;
    port_lister port_source;
    PortSettings *record = nullptr;
    NetworkSettings *network_record = nullptr;
};
