#pragma once

#include "journal/journal_store.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QWidget>
#include <memory>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QTableWidget;
class consumption_chart;
class ConsumptionWindow;

// "Журнал": the meters the journal knows with their last reading; for the
// one picked, its readings and archive records over a date range, as tables
// and as the consumption chart, and the records saved as the archive window
// saves them.
class JournalWindow : public QWidget
{
    Q_OBJECT
public:
    explicit JournalWindow(const journal::Connection &connection, QWidget *parent = nullptr);
    ~JournalWindow() override;

    // Reads the meters again and shows the picked one anew.
    void refresh();
    void select_meter(const QString &serial);
    // Kept until another meter is picked; till then the range follows the
    // picked meter's records and readings.
    void set_range(const QDate &from, const QDate &to);
    bool save_to(const QString &path, QString *error);
    // "Расход за период" over the dates shown.
    void show_consumption();
    ConsumptionWindow *consumption_view() const { return consumption_window; }

    QTableWidget *meters_table() const { return meters; }
    QTableWidget *readings_table() const { return readings; }
    QTableWidget *archive_table() const { return records; }
    consumption_chart *chart() const { return consumption; }
    QString state_text() const;

private:
    void show_meter();
    void meter_picked();
    void range_of_meter();
    void filter_meters();
    void show_archive();
    QString selected_serial() const;
    bool store_ready();

    journal::Connection connection;
    std::unique_ptr<journal::Store> store;
    QList<journal::MeterRow> known;
    QTableWidget *meters = nullptr;
    QLineEdit *meter_filter = nullptr;
    bool range_by_hand = false;
    QTableWidget *readings = nullptr;
    QTableWidget *records = nullptr;
    QComboBox *archive_type = nullptr;
    QDateEdit *from_date = nullptr;
    QDateEdit *to_date = nullptr;
    QLabel *state = nullptr;
    consumption_chart *consumption = nullptr;
    ConsumptionWindow *consumption_window = nullptr;
    QString last_dir;
};
