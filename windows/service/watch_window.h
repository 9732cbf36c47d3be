#pragma once

#include "link/exchange.h"
#include "link/frames.h"
#include "meter/watch.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QPointF>
#include <QStringList>
#include <QVector>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QPushButton;
class QTableView;
class WatchTable;
class QTimer;
class Exchanger;
class Sequence;

// The volume's change since the watch began, against the time: a line that
// keeps at most max_points points however long the watch runs.
class WatchChart : public QWidget
{
    Q_OBJECT
public:
    static constexpr int max_points = 600;

    explicit WatchChart(QWidget *parent = nullptr);
    void clear();
    void add_point(double seconds, double change);
    const QVector<QPointF> &points() const { return shown; }
    void set_unit(const QString &unit);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QVector<QPointF> shown;
    QString unit;
};

// "Наблюдение": the readings of the meter the main window addresses, read
// again every few seconds until stopped, as rows and a chart.
class WatchWindow : public QWidget
{
    Q_OBJECT
public:
    // Rows kept in the table; older rows go, the chart keeps the whole watch.
    static constexpr int max_rows = 1000;

    using TargetSource = std::function<std::optional<MeterTarget>(QString *why)>;
    WatchWindow(Exchanger *exchanger, TargetSource target, std::function<ExchangeRules()> rules,
                const QStringList &model_table, QWidget *parent = nullptr);
    ~WatchWindow() override;

    // Starts a watch with a round every `period_s` seconds; false with the
    // reason in `why` when the meter cannot be addressed now.
    bool start(int period_s, QString *why);
    void stop(const QString &why);
    bool watching() const;
    // The rows as shown, under the meter's serial number, model and the start.
    bool save_to(const QString &path, QString *error);
    QString watched_serial() const;

signals:
    void watching_changed(bool on);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void tick();
    void round_over();
    void add_row(const WatchReading &reading, qint64 at_ms);
    void say(const QString &text, bool error);

    Exchanger *exchanger;
    TargetSource target_of_form;
    std::function<ExchangeRules()> rules_of_run;
    QStringList models;
    QTimer *timer;
    QTableView *table;
    WatchTable *rows;
    WatchChart *chart;
    QLabel *status;
    QPushButton *stop_btn;
    QPushButton *export_btn;
    QString last_dir;
    QDateTime started_at;

    MeterTarget target;
    std::optional<WatchedMeter> meter_info;
    std::unique_ptr<WatchEngine> round;
    QElapsedTimer since_start;
    int rows_added = 0;
    int rounds_failed = 0;
    int ticks_skipped = 0;
    qint64 first_volume = 0;
    qint64 last_volume = 0;
    qint64 last_ms = 0;
};
