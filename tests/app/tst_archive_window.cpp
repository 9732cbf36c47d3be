#include "archive/records.h"
#include "model/archive_table_model.h"
#include "model/archive_texts.h"
#include "test_bytes.h"
#include "windows/main_window/archive.h"
#include "windows/widgets/consumption_chart.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// 30.01.2024 15:00:00, reading 12345, event 0; version 3 adds reverse flow -1.
const QByteArray v2_record = QByteArray::fromHex("0ef065b9303900000000");
const QByteArray v3_record = v2_record + QByteArray::fromHex("ffffffff");
const QByteArray empty_slot_v2 = QByteArray::fromHex("0ef065b9303900000007");
// A record the meter wrote without a value: its reading -1.
const QByteArray no_value_v2 = QByteArray::fromHex("0ef065b9ffffffff0000");

// A version 3 record whose reading is n, so rows can be told apart.
QByteArray v3_numbered(int n)
{
    return QByteArray::fromHex("0ef065b9") + dword(n) + QByteArray::fromHex("0000") + dword(-n);
}

// A version 3 record at `time` with reading n.
QByteArray v3_at(qint32 time, int n, quint16 event = 0)
{
    return dword(time) + dword(n) + char(event >> 8) + char(event) + dword(0);
}

QByteArray answer(int header, const QByteArray &records)
{
    return QByteArray(header, '\x01') + records + QByteArray::fromHex("abcd");
}

QStringList row_texts(const QTableView *t, int row)
{
    QStringList texts;
    for (int c = 0; c < t->model()->columnCount(); ++c)
        texts << t->model()->index(row, c).data().toString();
    return texts;
}

QStringList header_texts(const QTableView *t)
{
    QStringList texts;
    for (int c = 0; c < t->model()->columnCount(); ++c)
        texts << t->model()->headerData(c, Qt::Horizontal).toString();
    return texts;
}

const QStringList titles{"Номер записи", "Время", "Показания, м3", "Событие", "Пок. обр. потока, м3"};

} // namespace

class tst_archive_window : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void opens_within_the_screen();
    void narrow_window_keeps_the_times_whole();

    void tables_by_type();
    void fills_the_table_of_its_type_data();
    void fills_the_table_of_its_type();
    void whole_hourly_archive_v3();
    void no_records_data();
    void no_records();
    void nothing_carried_to_the_next_archive();
    void clear_tables_empties_them();
    void table_look();
    void serial_header_on_address_answers();
    void save_writes_what_the_tables_show();
    void save_after_clear_data();
    void save_after_clear();
    void save_failure_reported();
    void chart_follows_the_current_tab();
    void values_share_the_width_data();
    void values_share_the_width();

private:
    archive *w = nullptr;
};

void tst_archive_window::init()
{
    w = new archive(nullptr);
    w->set_version_scale(3, VolumeScale{0.001, 3});
    w->set_by_serial(false);
}

void tst_archive_window::cleanup()
{
    delete w;
    w = nullptr;
}

void tst_archive_window::tables_by_type()
{
    QCOMPARE(w->table(1)->objectName(), QStringLiteral("tableWidget"));
    QCOMPARE(w->table(2)->objectName(), QStringLiteral("tableWidget_2"));
    QCOMPARE(w->table(3)->objectName(), QStringLiteral("tableWidget_3"));
    QVERIFY(!w->table(0));
    QVERIFY(!w->table(4));
}

void tst_archive_window::fills_the_table_of_its_type_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("version");
    QTest::addColumn<bool>("by_serial");
    QTest::addColumn<QList<QByteArray>>("frames");
    QTest::addColumn<QList<QStringList>>("rows");

    QTest::newRow("hourly v2") << 1 << 2 << false
                               << QList<QByteArray>{answer(6, v2_record + empty_slot_v2 + no_value_v2)}
                               << QList<QStringList>{{"0", "30.01.2024 15:00:00", "12.345", "0", "--"},
                                                     {"1", "--", "--", "--", "--"},
                                                     {"2", "30.01.2024 15:00:00", "--", "0", "--"}};
    QTest::newRow("daily v3") << 2 << 3 << false << QList<QByteArray>{answer(6, v3_record), answer(6, v3_numbered(5))}
                              << QList<QStringList>{{"0", "30.01.2024 15:00:00", "12.345", "0", "-0.001"},
                                                    {"1", "30.01.2024 15:00:00", "0.005", "0", "-0.005"}};
    QTest::newRow("monthly v3 by serial") << 3 << 3 << true << QList<QByteArray>{answer(12, v3_numbered(7) + v3_record)}
                                          << QList<QStringList>{{"0", "30.01.2024 15:00:00", "0.007", "0", "-0.007"},
                                                                {"1", "30.01.2024 15:00:00", "12.345", "0", "-0.001"}};
}

void tst_archive_window::fills_the_table_of_its_type()
{
    QFETCH(int, type);
    QFETCH(int, version);
    QFETCH(bool, by_serial);
    QFETCH(QList<QByteArray>, frames);
    QFETCH(QList<QStringList>, rows);

    w->set_version_scale(version, VolumeScale{0.001, 3});
    w->set_by_serial(by_serial);
    w->add_archive(frames, type);

    const QTableView *t = w->table(type);
    QCOMPARE(t->model(), w->table_model(type));
    QCOMPARE(t->model()->rowCount(), rows.size());
    QCOMPARE(header_texts(t), titles);
    for (int k = 0; k < rows.size(); ++k) {
        QCOMPARE(row_texts(t, k), rows.at(k));
        // What the meter holds cannot be typed over.
        for (int c = 0; c < 5; ++c)
            QVERIFY(!(t->model()->flags(t->model()->index(k, c)) & Qt::ItemIsEditable));
    }
    for (int other = 1; other <= 3; ++other) {
        if (other != type)
            QCOMPARE(w->table(other)->model()->rowCount(), 0);
    }
}

void tst_archive_window::whole_hourly_archive_v3()
{
    // 19 blocks of 17 records and a last block of 13, records numbered throughout.
    QList<QByteArray> frames;
    int n = 0;
    for (int block = 0; block < 20; ++block) {
        QByteArray records;
        for (int i = 0; i < (block < 19 ? 17 : 13); ++i)
            records += v3_numbered(n++);
        frames << answer(6, records);
    }
    w->set_version_scale(3, VolumeScale{0.0, 0});
    w->add_archive(frames, 1);

    const QTableView *t = w->table(1);
    QCOMPARE(t->model()->rowCount(), 336);
    // No factor: the volumes are counts, and the titles say so.
    QCOMPARE(header_texts(t), arc::column_titles(VolumeScale()));
    for (int k = 0; k < 336; ++k) {
        const QStringList row = row_texts(t, k);
        QCOMPARE(row.at(0), QString::number(k));
        QCOMPARE(row.at(2), QString::number(k));
        QCOMPARE(row.at(4), QString::number(-k));
    }
}

void tst_archive_window::no_records_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<QList<QByteArray>>("frames");
    QTest::newRow("no frames") << 3 << QList<QByteArray>{};
    QTest::newRow("version 0") << 0 << QList<QByteArray>{answer(6, v3_record)};
    QTest::newRow("version 4") << 4 << QList<QByteArray>{answer(6, v3_record)};
    QTest::newRow("frame shorter than a record") << 3 << QList<QByteArray>{answer(6, v2_record)};
}

void tst_archive_window::no_records()
{
    QFETCH(int, version);
    QFETCH(QList<QByteArray>, frames);
    w->set_version_scale(version, VolumeScale{0.001, 3});
    w->add_archive(frames, 2);
    const QTableView *t = w->table(2);
    QCOMPARE(t->model()->rowCount(), 0);
    QCOMPARE(header_texts(t), titles);
}

void tst_archive_window::nothing_carried_to_the_next_archive()
{
    w->add_archive({answer(6, v3_record + v3_record)}, 1);
    w->add_archive({}, 2);
    QCOMPARE(w->table(2)->model()->rowCount(), 0);

    // A type without a table must not leave its records for the next one.
    w->add_archive({answer(6, v3_record)}, 0);
    w->add_archive({answer(6, v3_numbered(3))}, 3);
    QCOMPARE(w->table(3)->model()->rowCount(), 1);
    QCOMPARE(row_texts(w->table(3), 0).at(2), QStringLiteral("0.003"));

    QCOMPARE(w->table(1)->model()->rowCount(), 2);
}

void tst_archive_window::clear_tables_empties_them()
{
    w->add_archive({answer(6, v3_record + v3_record)}, 1);
    w->add_archive({answer(6, v3_record)}, 3);
    w->clear_tables();
    for (int type = 1; type <= 3; ++type)
        QCOMPARE(w->table(type)->model()->rowCount(), 0);
}

void tst_archive_window::table_look()
{
    w->set_version_scale(2, VolumeScale{0.001, 3});
    w->add_archive({answer(6, v2_record + empty_slot_v2)}, 1);
    const QTableView *t = w->table(1);

    QVERIFY(!t->horizontalHeader()->isHidden());
    QVERIFY(t->verticalHeader()->isHidden());
    QCOMPARE(t->editTriggers(), QAbstractItemView::NoEditTriggers);
    // Record numbers keep the default; every value cell, "--" included, is right-aligned.
    const QAbstractItemModel *m = t->model();
    for (int r = 0; r < m->rowCount(); ++r) {
        QVERIFY(!m->index(r, 0).data(Qt::TextAlignmentRole).isValid());
        for (int c = 1; c < 5; ++c)
            QCOMPARE(m->index(r, c).data(Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask,
                     int(Qt::AlignRight));
    }
}

void tst_archive_window::serial_header_on_address_answers()
{
    // Serial-number addressing left chosen while the meter was asked by address:
    // the window skips 12 bytes of each 6-byte header and every record starts 6 bytes late.
    w->set_version_scale(2, VolumeScale{0.0, 0});
    w->set_by_serial(true);
    w->add_archive({answer(6, v2_record + v2_record)}, 1);

    const QTableView *t = w->table(1);
    // 6 + 20 + 2 bytes: the 14 bytes after the skipped 12 hold one record,
    // 00 00 00 00 0e f0 65 b9 30 39 (the tail of one record and the head of the next).
    QCOMPARE(t->model()->rowCount(), 1);
    QCOMPARE(row_texts(t, 0), (QStringList{"0", "01.01.1970 00:00:00", "1706626800", "12345", "--"}));
}

void tst_archive_window::save_writes_what_the_tables_show()
{
    w->set_meter_serial("000100000005");
    w->set_read_details("c15 СВК-15 RS485", QDateTime(QDate(2026, 12, 7), QTime(14, 0, 1)));
    w->set_version_scale(2, VolumeScale{0.001, 3});
    w->add_archive({answer(6, v2_record + empty_slot_v2 + QByteArray(10, char(0xFF)) + no_value_v2)}, 1);
    w->add_archive({}, 2);
    w->set_version_scale(3, VolumeScale{0.001, 3});
    w->add_archive({answer(6, v3_record)}, 3);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("archive.csv");
    QString error;
    QVERIFY2(w->save_to(path, &error), qPrintable(error));

    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray title_line = "Номер записи;Время;Показания, м3;Событие;Пок. обр. потока, м3\r\n";
    QCOMPARE(f.readAll(),
             QByteArray("\xEF\xBB\xBF")
                 + "Серийный номер;=\"000100000005\"\r\n"
                   "Модель;c15 СВК-15 RS485\r\n"
                   "Версия протокола;3\r\n"
                   "Время чтения;07.12.2026 14:00:01\r\n"
                   "\r\n"
                   "Часовой\r\n"
                 + title_line
                 + "0;30.01.2024 15:00:00;12,345;0;\r\n"
                   "1;;;;\r\n"
                   "2;;;;\r\n"
                   "3;30.01.2024 15:00:00;;0;\r\n"
                   "\r\n"
                   "Суточный\r\n"
                 + title_line
                 + "\r\n"
                   "Месячный\r\n"
                 + title_line
                 + "0;30.01.2024 15:00:00;12,345;0;-0,001\r\n"
                   "\r\n");
}

void tst_archive_window::save_after_clear_data()
{
    QTest::addColumn<bool>("refilled");
    QTest::newRow("cleared") << false;
    QTest::newRow("cleared, then the daily archive read") << true;
}

void tst_archive_window::save_after_clear()
{
    // A read start empties the tables; the file gets no rows of the read before.
    QFETCH(bool, refilled);
    w->set_version_scale(3, VolumeScale{0.001, 3});
    w->add_archive({answer(6, v3_record + v3_record)}, 1);
    w->add_archive({answer(6, v3_record)}, 2);
    w->clear_tables();
    if (refilled)
        w->add_archive({answer(6, v3_numbered(4))}, 2);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("a.csv");
    QVERIFY(w->save_to(path, nullptr));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray titles = "Номер записи;Время;Показания, м3;Событие;Пок. обр. потока, м3\r\n";
    const QByteArray daily = refilled ? QByteArray("0;30.01.2024 15:00:00;0,004;0;-0,004\r\n") : QByteArray();
    const QByteArray content = f.readAll();
    QCOMPARE(content.mid(content.indexOf("Часовой")),
             "Часовой\r\n" + titles + "\r\nСуточный\r\n" + titles + daily + "\r\nМесячный\r\n" + titles + "\r\n");
}

void tst_archive_window::save_failure_reported()
{
    w->add_archive({answer(6, v3_record)}, 1);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString error;
    QVERIFY(!w->save_to(dir.filePath("no such folder/a.csv"), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(QDir(dir.path()).isEmpty());
}

void tst_archive_window::chart_follows_the_current_tab()
{
    auto *chart = w->findChild<consumption_chart *>();
    QVERIFY(chart);
    auto *tabs = w->findChild<QTabWidget *>("tabWidget");
    QVERIFY(tabs);
    auto values = [chart] {
        QList<double> list;
        for (const arc::ConsumptionPoint &p : chart->points()) {
            if (p.known)
                list << p.value;
        }
        return list;
    };
    const qint32 t0 = 1706626800;

    QVERIFY(chart->points().isEmpty());
    // Newest first; beside the empty slot no value.
    w->add_archive(
        {answer(6, v3_at(t0 + 10800, 1600) + v3_at(t0 + 7200, 1500) + v3_at(t0 + 3600, 99999, 7) + v3_at(t0, 1000))},
        1);
    QCOMPARE(values(), (QList<double>{0.1}));
    QCOMPARE(chart->points().size(), 2);
    QVERIFY(!chart->points().first().known);
    QCOMPARE(chart->points().first().end, QDateTime::fromSecsSinceEpoch(t0 + 7200, Qt::UTC));
    QCOMPARE(chart->unit(), QStringLiteral("м3"));

    // Read with no factor known: counted units, on its own tab only.
    w->set_version_scale(3, VolumeScale{0.0, 0});
    w->add_archive({answer(6, v3_at(t0 + 2 * 86400, 400) + v3_at(t0 + 86400, 100) + v3_at(t0, 40))}, 2);
    QCOMPARE(values(), (QList<double>{0.1}));
    tabs->setCurrentIndex(1);
    QCOMPARE(values(), (QList<double>{60, 300}));
    QCOMPARE(chart->unit(), QStringLiteral("ед."));
    tabs->setCurrentIndex(2);
    QVERIFY(chart->points().isEmpty());
    tabs->setCurrentIndex(0);
    QCOMPARE(values(), (QList<double>{0.1}));

    w->clear_tables();
    QVERIFY(chart->points().isEmpty());
    tabs->setCurrentIndex(1);
    QVERIFY(chart->points().isEmpty());
}

// The tables keep the form's width beside the chart (1105 px), but the
// window never opens wider than the screen (offscreen: 800 px).
void tst_archive_window::opens_within_the_screen()
{
    archive window;
    QVERIFY(window.width() <= QGuiApplication::primaryScreen()->availableGeometry().width());
    QVERIFY(window.findChild<QSplitter *>("arch_splitter"));
}

// The values share what room is left; a record's time is never cut.
void tst_archive_window::narrow_window_keeps_the_times_whole()
{
    w->add_archive({answer(6, v3_record)}, 1, true);
    w->show();
    w->resize(w->minimumSizeHint().width(), w->height());
    QVERIFY(QTest::qWaitForWindowExposed(w));
    const QTableView *t = w->table(1);
    const QString time = row_texts(t, 0).at(1);
    QCOMPARE(time, QStringLiteral("30.01.2024 15:00:00"));
    QTRY_VERIFY(t->columnWidth(1) > t->fontMetrics().horizontalAdvance(time));
}

void tst_archive_window::values_share_the_width_data()
{
    QTest::addColumn<bool>("wide");
    QTest::newRow("wide: the values fill the table") << true;
    QTest::newRow("narrow: the table scrolls") << false;
}

// The number and the time as wide as they are; the values share the rest,
// each at least as wide as its title with its unit.
void tst_archive_window::values_share_the_width()
{
    QFETCH(bool, wide);
    w->add_archive({answer(6, v3_record)}, 1, true);
    w->show();
    // Wide enough for every column's title with room to share in any font
    // (Windows' titles are half as wide again as Linux's).
    w->resize(wide ? 4000 : w->minimumSizeHint().width(), w->height());
    QVERIFY(QTest::qWaitForWindowExposed(w));
    const QTableView *t = w->table(1);
    const QHeaderView *header = t->horizontalHeader();
    const int margins = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    for (int c = 2; c < 5; ++c) {
        const int title = header->fontMetrics().horizontalAdvance(titles[c]) + margins;
        QTRY_VERIFY2(header->sectionSize(c) >= title, qPrintable(titles[c]));
    }
    if (wide) {
        QTRY_VERIFY(qAbs(header->length() - t->viewport()->width()) <= 3);
        QVERIFY(qAbs(header->sectionSize(2) - header->sectionSize(4)) <= 1);
    } else {
        QTRY_VERIFY(header->length() > t->viewport()->width());
    }
}

QTEST_MAIN(tst_archive_window)
#include "tst_archive_window.moc"
