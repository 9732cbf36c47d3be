#pragma once

#include "link/frames.h"
#include "meter/exchange_rules.h"
#include "windows/service/service_report.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class Exchanger;
class Sequence;
class RegisterAccess;

// "Регистры": any holding register of the meter the main window addresses,
// read, or written and read back.
class RegisterWindow : public QWidget
{
    Q_OBJECT
public:
    // The meter as the main window addresses it now, or why there is none
    // (the port closed, the line busy, a bad address).
    using TargetSource = std::function<std::optional<MeterTarget>(QString *why)>;
    RegisterWindow(Exchanger *exchanger, TargetSource target, std::function<ExchangePeriods()> periods,
                   QWidget *parent = nullptr);
    ~RegisterWindow() override;

    // Asks before a write; tests answer for the operator.
    std::function<bool(const QString &question)> confirm;

signals:
    void write_concluded(const SessionWrite &write);

private:
    bool checked_start(quint16 *first, MeterTarget *target);
    void read_clicked();
    void write_clicked();
    void run_over();
    void show_values(quint16 first, const QVector<quint16> &values);
    void say(const QString &text, bool error);
    bool start(std::unique_ptr<RegisterAccess> access);

    Exchanger *exchanger;
    TargetSource target_of_form;
    std::function<ExchangePeriods()> periods;
    QLineEdit *first_line;
    QLineEdit *count_line;
    QLineEdit *values_line;
    QCheckBox *pairs_click;
    QPushButton *read_btn;
    QPushButton *write_btn;
    QTableWidget *table;
    QLabel *status;
    std::unique_ptr<RegisterAccess> run;
};
