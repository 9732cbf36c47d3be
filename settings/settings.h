#pragma once

#include <QString>
#include <QWidget>

QT_BEGIN_NAMESPACE
namespace Ui { class settings; }
QT_END_NAMESPACE

struct PortSettings;

// The port settings window. It edits the main window's one PortSettings
// record in place through the pointer it is attached to.
class settings : public QWidget
{
    Q_OBJECT
public:
    explicit settings(QWidget *parent = nullptr);
    ~settings() override;

    void load(int parity, int baud_rate, int stop_bits, const QString &port_name,
              int main_ok_ms, int main_fail_ms, int archive_ok_ms, int archive_fail_ms);
    void attach(PortSettings *record);

signals:
    // OK stored the form into the record.
    void accepted();

private slots:
    void on_set_btn_clicked();

private:
    Ui::settings *ui;
    PortSettings *record = nullptr;
};
