// "Журнал": the range a picked meter is shown over, and the search in its list.
#include "journal/journal_store.h"
#include "link/serial_number.h"
#include "model/journal_tables.h"
#include "model/journal_texts.h"
#include "windows/journal_windows/journal_window.h"
#include "windows/main_window/journal_link.h"
#include "windows/widgets/consumption_chart.h"

#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

using namespace journal;

Q_DECLARE_METATYPE(std::optional<qint64>)

namespace {

const QDate today(2026, 12, 8);

QDateTime utc(const QDate &date)
{
    return QDateTime(date, QTime(12, 0), Qt::UTC);
}

// A meter read now whose clock says `clock`: its hourly records end there.
void keep_meter(Store &store, const QString &serial, const QString &label, const QDateTime &clock)
{
    PollValues v;
    v.protocol_version = 3;
    v.serial = pack_serial_number(serial);
    v.device_address = 5;
    v.clock_seconds = qint32(clock.toSecsSinceEpoch());
    v.volume_units = 1000;
    v.reverse_units = -5;                    // the main window shows 0.000
    v.model.end = ModelLookup::End::matched; // a model in m3, three decimals
    v.model.factor = 0.001;
    v.model.factor_has_point = true;
    v.model.factor_decimals = 3;
    QVERIFY2(store.store_poll(v, QDateTime::currentDateTimeUtc(), MeterTarget()), qPrintable(store.detail()));
    ArchiveBatch batch;
    batch.serial = serial;
    batch.protocol_version = 3;
    batch.read_at = QDateTime::currentDateTimeUtc();
    for (int k = 0; k < 5; ++k)
        batch.records.append({1, clock.toSecsSinceEpoch() - 3600 * k, 1000 - 10 * k, 0, 0, 0.001, 3});
    QCOMPARE(store.store_archive(batch), 5);
    QVERIFY(store.store_label(serial, label, QStringLiteral("Стояк 1")));
}

int shown_rows(const QTableView *table)
{
    return table->model()->rowCount();
}

// The journal answers on its own thread: what the window shows once it has.
bool settled(const JournalWindow &w)
{
    return QTest::qWaitFor([&w] { return !w.busy(); }, 10000);
}

} // namespace

class tst_journal_window : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void range_data();
    void range();
    void meter_with_a_wrong_clock_shows_its_records();
    void search_narrows_the_list();
    void typed_range_data();
    void typed_range();
    void range_the_wrong_way_round_is_not_shown();
    void server_from_addressing_data();
    void server_from_addressing();

private:
    QTemporaryDir dir;
    Connection connection;
};

void tst_journal_window::initTestCase()
{
    QVERIFY(dir.isValid());
    connection.file = dir.filePath(QStringLiteral("readings.sqlite"));
    Store store(connection);
    QVERIFY(store.open());
    keep_meter(store, QStringLiteral("00000000a019"), QStringLiteral("кв. 12"), utc(QDate(2019, 3, 4)));
    keep_meter(store, QStringLiteral("00000000b027"), QStringLiteral("кв. 40"),
               QDateTime::currentDateTimeUtc().addYears(1));
}

void tst_journal_window::range_data()
{
    QTest::addColumn<std::optional<qint64>>("first_record");
    QTest::addColumn<std::optional<qint64>>("last_record");
    QTest::addColumn<QDateTime>("first_reading");
    QTest::addColumn<QDateTime>("last_reading");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    const auto secs = [](const QDate &d) { return std::optional<qint64>(utc(d).toSecsSinceEpoch()); };
    QTest::newRow("nothing kept: the last month") << std::optional<qint64>() << std::optional<qint64>() << QDateTime()
                                                  << QDateTime() << QDate(2026, 11, 8) << today;
    QTest::newRow("clock in 2019, read today")
        << secs(QDate(2019, 1, 2)) << secs(QDate(2019, 3, 4)) << utc(today) << utc(today) << QDate(2019, 1, 2) << today;
    QTest::newRow("clock a year ahead") << secs(QDate(2027, 11, 1)) << secs(QDate(2027, 12, 8)) << utc(today)
                                        << utc(today) << today << QDate(2027, 12, 8);
    QTest::newRow("records only") << secs(QDate(2024, 5, 1)) << secs(QDate(2024, 6, 1)) << QDateTime() << QDateTime()
                                  << QDate(2024, 5, 1) << QDate(2024, 6, 1);
    QTest::newRow("readings only") << std::optional<qint64>() << std::optional<qint64>() << utc(QDate(2026, 1, 5))
                                   << utc(QDate(2026, 2, 5)) << QDate(2026, 1, 5) << QDate(2026, 2, 5);
}

void tst_journal_window::range()
{
    QFETCH(std::optional<qint64>, first_record);
    QFETCH(std::optional<qint64>, last_record);
    QFETCH(QDateTime, first_reading);
    QFETCH(QDateTime, last_reading);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    const QPair<QDate, QDate> shown = shown_range({first_record, last_record, first_reading, last_reading}, today);
    QCOMPARE(shown.first, from);
    QCOMPARE(shown.second, to);
}

// Picked right after its archive was read, a meter whose clock is years off
// shows its records, not an empty table.
void tst_journal_window::meter_with_a_wrong_clock_shows_its_records()
{
    JournalWindow w(connection);
    w.show();
    w.refresh();
    QVERIFY(settled(w));
    for (const char *serial : {"00000000b027", "00000000a019"}) {
        w.select_meter(QLatin1String(serial));
        QVERIFY(settled(w));
        QCOMPARE(shown_rows(w.archive_table()), 5);
        QCOMPARE(shown_rows(w.readings_table()), 1);
        // The reading shown as the main window shows it.
        const QAbstractItemModel *readings = w.readings_table()->model();
        QCOMPARE(readings->index(0, 2).data().toString(), QStringLiteral("1.000"));
        QCOMPARE(readings->index(0, 3).data().toString(), QStringLiteral("0.000"));
        QCOMPARE(w.chart()->points().size(), 4);
    }
    QCOMPARE(w.findChild<QDateEdit *>(QStringLiteral("journal_from"))->date(), QDate(2019, 3, 4));
    // A range chosen by hand stays over a refresh.
    w.set_range(QDate(2019, 3, 4), QDate(2019, 3, 4));
    w.refresh();
    QVERIFY(settled(w));
    QCOMPARE(w.findChild<QDateEdit *>(QStringLiteral("journal_to"))->date(), QDate(2019, 3, 4));
    QCOMPARE(shown_rows(w.readings_table()), 0);
    // Nothing in the range: the records' unit is still the meter's.
    w.set_range(QDate(2018, 1, 1), QDate(2018, 1, 2));
    QVERIFY(settled(w));
    QCOMPARE(shown_rows(w.archive_table()), 0);
    QVERIFY2(w.archive_table()->model()->headerData(2, Qt::Horizontal).toString().contains("м3"),
             qPrintable(w.archive_table()->model()->headerData(2, Qt::Horizontal).toString()));
}

void tst_journal_window::search_narrows_the_list()
{
    JournalWindow w(connection);
    w.refresh();
    QVERIFY(settled(w));
    auto *search = w.findChild<QLineEdit *>(QStringLiteral("journal_meter_filter"));
    QVERIFY(search);
    // The clear button fades in and out on a timer; Qt 5 frees a fade only on
    // a later tick, which a test ending at once never gives it.
    search->setClearButtonEnabled(false);
    QCOMPARE(shown_rows(w.meters_table()), 2);
    search->setText(QStringLiteral("КВ. 40"));
    QCOMPARE(shown_rows(w.meters_table()), 1);
    QCOMPARE(w.meters_table()->model()->index(0, 0).data().toString(), QStringLiteral("00000000b027"));
    search->setText(QStringLiteral("a019"));
    QCOMPARE(shown_rows(w.meters_table()), 1);
    search->setText(QStringLiteral("стояк"));
    QCOMPARE(shown_rows(w.meters_table()), 2);
    search->setText(QStringLiteral("нет такого"));
    QCOMPARE(shown_rows(w.meters_table()), 0);
    QVERIFY(settled(w));
    QCOMPARE(shown_rows(w.archive_table()), 0);
}

void tst_journal_window::typed_range_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("refused");
    QTest::newRow("a month") << "08.03.2019"
                             << "08.04.2019" << QString();
    QTest::newRow("one day") << "08.03.2019"
                             << "08.03.2019" << QString();
    QTest::newRow("FROM after TO") << "12.01.2020"
                                   << "08.03.2019" << QStringLiteral("Дата «С» позже даты «по»: период не показан");
    QTest::newRow("FROM a day after TO") << "09.03.2019"
                                         << "08.03.2019"
                                         << QStringLiteral("Дата «С» позже даты «по»: период не показан");
    QTest::newRow("year half typed") << "12.01.20"
                                     << "08.03.2019"
                                     << QStringLiteral("Дата «С» неполная или неверная: нужно ДД.ММ.ГГГГ");
    QTest::newRow("TO empty") << "12.01.2020"
                              << "" << QStringLiteral("Дата «по» неполная или неверная: нужно ДД.ММ.ГГГГ");
    QTest::newRow("no such day") << "31.02.2020"
                                 << "08.03.2021" << QStringLiteral("Дата «С» неполная или неверная: нужно ДД.ММ.ГГГГ");
}

void tst_journal_window::typed_range()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, refused);
    const TypedRange range = ::typed_range(from, to);
    QCOMPARE(range.refused, refused);
    if (refused.isEmpty()) {
        QCOMPARE(range.from, QDate::fromString(from, "dd.MM.yyyy"));
        QCOMPARE(range.to, QDate::fromString(to, "dd.MM.yyyy"));
    }
}

// The window says so, and keeps what it showed: the range is not turned round.
void tst_journal_window::range_the_wrong_way_round_is_not_shown()
{
    JournalWindow w(connection);
    w.show();
    w.refresh();
    QVERIFY(settled(w));
    w.select_meter(QStringLiteral("00000000a019"));
    QVERIFY(settled(w));
    QCOMPARE(shown_rows(w.archive_table()), 5);
    w.set_range(QDate(2019, 3, 3), QDate(2019, 3, 8));
    QVERIFY(settled(w));
    QCOMPARE(shown_rows(w.archive_table()), 5);
    // Typed as the operator types it: nothing is asked before the date is whole.
    auto *from = w.findChild<QDateEdit *>(QStringLiteral("journal_from"));
    from->setFocus();
    from->selectAll();
    QTest::keyClicks(from, "12.01.2020");
    QVERIFY(!w.busy());
    QCOMPARE(w.range_text(), QString());
    QTest::keyClick(from, Qt::Key_Return);
    QVERIFY(settled(w));
    QCOMPARE(w.range_text(), QStringLiteral("Дата «С» позже даты «по»: период не показан"));
    // Left as typed, not turned round.
    QCOMPARE(from->date().year(), 2020);
    QCOMPARE(w.findChild<QDateEdit *>(QStringLiteral("journal_to"))->date(), QDate(2019, 3, 8));
    QCOMPARE(shown_rows(w.archive_table()), 5);
    w.set_range(QDate(2019, 3, 3), QDate(2019, 3, 3));
    QVERIFY(settled(w));
    QCOMPARE(w.range_text(), QString());
    QCOMPARE(shown_rows(w.archive_table()), 0);
}

// addressing.txt's journal keys as the connection the windows make; a
// relative CA file lies beside settings.txt.
void tst_journal_window::server_from_addressing_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QString>("server"); // "place sslmode sslrootcert"
    const QByteArray server = "journal=postgresql\r\njournal_host=db.local\r\njournal_user=meter\r\n";
    const QString elsewhere = QDir::temp().absoluteFilePath("office-ca.crt");
    QTest::newRow("plain") << server << "meter@db.local:5432/readings  ";
    QTest::newRow("TLS, CA beside the settings")
        << server + "journal_sslmode=verify-full\r\njournal_sslrootcert=ca.crt\r\n"
        << "meter@db.local:5432/readings verify-full " + QDir::current().absoluteFilePath("ca.crt");
    QTest::newRow("CA elsewhere") << server + "journal_sslmode=verify-ca\njournal_sslrootcert=" + elsewhere.toUtf8()
            + "\n"
                                  << "meter@db.local:5432/readings verify-ca " + elsewhere;
}

void tst_journal_window::server_from_addressing()
{
    QFETCH(QByteArray, lines);
    QFETCH(QString, server);
    const journal::Connection c
        = journal_connection(parse_side_settings(lines), QDir::current().absoluteFilePath("readings.sqlite"));
    QCOMPARE(journal_place(c) + ' ' + c.sslmode + ' ' + c.sslrootcert, server);
}

QTEST_MAIN(tst_journal_window)
#include "tst_journal_window.moc"
