// The watch's rows: what each shows in the meter's unit, dated so that a
// watch over midnight reads in order, and the file that saves them.
#include "model/watch_table.h"

#include <QtTest>

Q_DECLARE_METATYPE(VolumeScale)

class tst_watch_table : public QObject
{
    Q_OBJECT
private slots:
    void rows_data();
    void rows();
};

void tst_watch_table::rows_data()
{
    QTest::addColumn<VolumeScale>("scale");
    QTest::addColumn<bool>("reverse");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("last_row");
    QTest::addColumn<QString>("last_line");

    QTest::newRow("m3, version 3")
        << VolumeScale{0.001, 3} << true
        << QStringList{"Время", "Часы счётчика", "Объём, м3", "С начала, м3", "Расход, м3/ч", "Обратный, м3", "Событие"}
        << QStringList{"31.01.2024 00:00:02", "31.01.2024 00:00:01", "12.351", "0.005", "9.000", "0.000", "0"}
        << "31.01.2024 00:00:02;31.01.2024 00:00:01;12,351;0,005;9,000;0,000;0";
    QTest::newRow("counts, version 2")
        << VolumeScale() << false << QStringList{"Время",         "Часы счётчика", "Объём, ед.", "С начала, ед.",
                                                 "Расход, ед./ч", "Обратный, ед.", "Событие"}
        << QStringList{"31.01.2024 00:00:02", "31.01.2024 00:00:01", "12351", "5", "9.000", "", "0"}
        << "31.01.2024 00:00:02;31.01.2024 00:00:01;12351;5;9,000;;0";
}

void tst_watch_table::rows()
{
    QFETCH(VolumeScale, scale);
    QFETCH(bool, reverse);
    QFETCH(QStringList, titles);
    QFETCH(QStringList, last_row);
    QFETCH(QString, last_line);

    // Two rows kept: the first of three rounds goes, the change stays from it.
    WatchTable table(2);
    table.start(scale);
    const QDateTime before_midnight(QDate(2024, 1, 30), QTime(23, 59, 58));
    for (int k = 0; k < 3; ++k) {
        WatchReading r;
        r.clock = 1706659197 + 2 * k; // 30.01.2024 23:59:57 on the meter's wall
        r.volume = 12346 + 2 * k + (k == 2 ? 1 : 0);
        r.event = 0;
        if (reverse)
            r.reverse_volume = -1;
        table.add(before_midnight.addSecs(2 * k), r, k > 0 ? std::optional<double>(9.0) : std::nullopt);
    }

    QCOMPARE(table.rowCount(), 2);
    QStringList shown_titles, first, last;
    for (int c = 0; c < table.columnCount(); ++c) {
        shown_titles << table.headerData(c, Qt::Horizontal).toString();
        first << table.index(0, c).data().toString();
        last << table.index(1, c).data().toString();
    }
    QCOMPARE(shown_titles, titles);
    QCOMPARE(first.value(0), QStringLiteral("31.01.2024 00:00:00"));
    QCOMPARE(last, last_row);

    const QStringList file
        = QString::fromUtf8(table.csv("00a1b2c3d405", "СВГ-15", "17", before_midnight).mid(3)).split("\r\n");
    QCOMPARE(file.value(0), QStringLiteral("Серийный номер;=\"00a1b2c3d405\""));
    QCOMPARE(file.value(3), QStringLiteral("Начало;30.01.2024 23:59:58"));
    QCOMPARE(file.value(5), titles.join(';'));
    QCOMPARE(file.value(7), last_line);
    QCOMPARE(file.size(), 9); // the last line ended
}

QTEST_MAIN(tst_watch_table)
#include "tst_watch_table.moc"
