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
class QSortFilterProxyModel;
class QTableView;
class JournalMetersModel;
class JournalReadingsModel;
class JournalRecordsModel;
class consumption_chart;
class ConsumptionWindow;
namespace journal {
class Reader;
}

// "Журнал": the meters the journal knows with their last reading; for the
// one picked, its readings and archive records over a date range, as tables
// and as the consumption chart, and the records saved as the archive window
// saves them. Every query runs on the journal reader's thread: the window
// only shows what comes back, and a new reading adds to what is shown.
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
    // Waits for the journal with the window's events going on.
    bool save_to(const QString &path, QString *error);
    // "Расход за период" over the dates shown; the window opens when the
    // journal has answered.
    void show_consumption();
    ConsumptionWindow *consumption_view() const { return consumption_window; }

    QTableView *meters_table() const { return meters; }
    QTableView *readings_table() const { return readings; }
    QTableView *archive_table() const { return records; }
    consumption_chart *chart() const { return consumption; }
    QString state_text() const;
    // The range's refusal, empty while it is good.
    QString range_text() const;
    // A question is with the journal, or one is still to be asked.
    bool busy() const;

private:
    struct Shown;
    void ask();
    void meter_picked();
    void range_typed();
    void filter_meters();
    void show_state(bool open, journal::Fault fault);
    QString selected_serial() const;

    journal::Connection connection;
    std::unique_ptr<journal::Reader> reader;
    JournalMetersModel *meters_model = nullptr;
    JournalReadingsModel *readings_model = nullptr;
    JournalRecordsModel *records_model = nullptr;
    QSortFilterProxyModel *meters_shown = nullptr;
    QTableView *meters = nullptr;
    QLineEdit *meter_filter = nullptr;
    bool range_by_hand = false;
    QTableView *readings = nullptr;
    QTableView *records = nullptr;
    QComboBox *archive_type = nullptr;
    QDateEdit *from_date = nullptr;
    QDateEdit *to_date = nullptr;
    QLabel *state = nullptr;
    QLabel *range_note = nullptr;
    consumption_chart *consumption = nullptr;
    ConsumptionWindow *consumption_window = nullptr;
    QString last_dir;

    // One question with the journal at a time; what was wanted meanwhile is
    // asked when it answers.
    bool asking = false;
    bool want_meters = false;
    bool want_meter = false;
    bool want_all = false; // the picked meter's rows anew, not only the newer ones
    int pending_saves = 0;
    std::unique_ptr<Shown> shown;
};
