// The search over several rates and parities: the settings tried, the time
// told before it starts, and the one list made of what each setting heard.
#include "link/crc.h"
#include "scan/settings_search.h"

#include <QtTest>

using namespace scan;

Q_DECLARE_METATYPE(QVector<LineSetting>)

namespace {

// A device on the line: heard at its rate, answering cleanly at its parity
// (-1: at any) and garbage at another.
struct Device
{
    int address = 0;
    int baud_rate = 9600;
    int parity = -1;
    quint16 serial_low = 0;
    bool garbage_only = false;
};

QByteArray answer(const QVector<Device> &devices, const LineSetting &setting, const QByteArray &request)
{
    const int address = quint8(request[0]);
    const quint16 reg = quint16(quint8(request[2]) << 8 | quint8(request[3]));
    const int count = quint8(request[5]);
    for (const Device &d : devices) {
        if (d.address != address || d.baud_rate != setting.baud_rate)
            continue;
        if (d.garbage_only || (d.parity >= 0 && d.parity != setting.parity))
            return QByteArray::fromHex("05ff00");
        QByteArray frame;
        frame.append(char(address)).append('\x03').append(char(2 * count));
        for (int i = 0; i < count; ++i) {
            const quint16 value = reg + i == 0x0004 ? d.serial_low : reg + i == 0x0009 ? 3 : 0;
            frame.append(char(value >> 8)).append(char(value & 0xFF));
        }
        return with_crc(frame);
    }
    return {};
}

} // namespace

Q_DECLARE_METATYPE(QVector<Device>)

namespace {

QString text(const LineSetting &s)
{
    return QStringLiteral("%1/%2").arg(s.baud_rate).arg(s.parity);
}

QString text(const FoundMeter &f)
{
    return QStringLiteral("%1@%2%3")
        .arg(f.meter.address)
        .arg(text(f.setting), f.meter.garbled ? QStringLiteral("!") : QString());
}

} // namespace

class tst_settings_search : public QObject
{
    Q_OBJECT
private slots:
    void settings_tried_data();
    void settings_tried();
    void time_told_before_start_data();
    void time_told_before_start();
    void meters_listed_at_their_setting_data();
    void meters_listed_at_their_setting();
    void stopped_search_tries_no_further_setting();
};

void tst_settings_search::settings_tried_data()
{
    QTest::addColumn<QVector<int>>("rates");
    QTest::addColumn<QVector<int>>("parities");
    QTest::addColumn<QStringList>("tried");

    QTest::newRow("every rate with every parity, rates outer")
        << QVector<int>{1200, 9600} << QVector<int>{0, 1} << QStringList{"1200/0", "1200/1", "9600/0", "9600/1"};
    QTest::newRow("each pair once") << QVector<int>{2400, 2400} << QVector<int>{2, 2} << QStringList{"2400/2"};
    QTest::newRow("a rate no meter has is left out")
        << QVector<int>{19200, 4800} << QVector<int>{0} << QStringList{"4800/0"};
    QTest::newRow("an unknown parity is left out") << QVector<int>{9600} << QVector<int>{3, 1} << QStringList{"9600/1"};
    QTest::newRow("no parity chosen: nothing") << QVector<int>{9600} << QVector<int>{} << QStringList{};
}

void tst_settings_search::settings_tried()
{
    QFETCH(QVector<int>, rates);
    QFETCH(QVector<int>, parities);
    QFETCH(QStringList, tried);
    QStringList shown;
    for (const LineSetting &s : settings_to_try(rates, parities))
        shown << text(s);
    QCOMPARE(shown, tried);
}

void tst_settings_search::time_told_before_start_data()
{
    QTest::addColumn<QVector<LineSetting>>("settings");
    QTest::addColumn<int>("stop_bits");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("wait_ms");
    QTest::addColumn<qint64>("ms");

    // Per address: request and answer (15 characters) and 3.5 characters of
    // silence, rounded up to the ms, and the wait.
    QTest::newRow("the port's own setting, every address")
        << QVector<LineSetting>{{9600, 0}} << 1 << 1 << 247 << 100 << qint64(247 * 120);
    QTest::newRow("slow, with parity and a longer wait")
        << QVector<LineSetting>{{1200, 1}} << 1 << 1 << 10 << 300 << qint64(10 * 470);
    QTest::newRow("two stop bits make characters longer")
        << QVector<LineSetting>{{1200, 1}} << 2 << 1 << 10 << 300 << qint64(10 * 485);
    QTest::newRow("four rates, two parities: about six minutes")
        << settings_to_try({1200, 2400, 4800, 9600}, {0, 1}) << 1 << 1 << 247 << 100
        << qint64(247 * (255 + 270 + 178 + 185 + 139 + 143 + 120 + 122));
}

void tst_settings_search::time_told_before_start()
{
    QFETCH(QVector<LineSetting>, settings);
    QFETCH(int, stop_bits);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(int, wait_ms);
    QFETCH(qint64, ms);
    QCOMPARE(search_ms(settings, stop_bits, *address_range(first, last), wait_ms), ms);
}

void tst_settings_search::meters_listed_at_their_setting_data()
{
    QTest::addColumn<QVector<LineSetting>>("settings");
    QTest::addColumn<QVector<Device>>("devices");
    QTest::addColumn<QStringList>("listed");

    const QVector<LineSetting> two_parities_slow = settings_to_try({2400}, {0, 1});
    const QVector<LineSetting> two_parities = settings_to_try({9600}, {0, 1});
    QTest::newRow("garbled first, clean later: at the clean one")
        << two_parities_slow << QVector<Device>{{5, 2400, 1, 0x11}} << QStringList{"5@2400/1"};
    QTest::newRow("clean first, garbled later: at the clean one")
        << two_parities << QVector<Device>{{7, 9600, 0, 0x12}} << QStringList{"7@9600/0"};
    QTest::newRow("clean at two parities: once, at the first")
        << two_parities << QVector<Device>{{4, 9600, -1, 0x13}} << QStringList{"4@9600/0"};
    QTest::newRow("never clean: once, garbled")
        << two_parities << QVector<Device>{{9, 9600, -1, 0, true}} << QStringList{"9@9600/0!"};
    QTest::newRow("at another rate: not heard") << two_parities << QVector<Device>{{6, 4800, 0, 0x14}} << QStringList{};
    QTest::newRow("two meters on one address at two rates: both, by address")
        << settings_to_try({1200, 9600}, {0})
        << QVector<Device>{{8, 9600, 0, 0x15}, {3, 1200, 0, 0x16}, {3, 9600, 0, 0x17}}
        << QStringList{"3@1200/0", "3@9600/0", "8@9600/0"};
}

void tst_settings_search::meters_listed_at_their_setting()
{
    QFETCH(QVector<LineSetting>, settings);
    QFETCH(QVector<Device>, devices);
    QFETCH(QStringList, listed);

    Settings base;
    base.range = *address_range(1, 10);
    SettingsSearch search(base, settings, 1);
    QStringList tried;
    do {
        tried << text(search.setting());
        QCOMPARE(search.part().settings().line.baud_rate, search.setting().baud_rate);
        QCOMPARE(search.part().settings().line.parity, search.setting().parity);
        while (!search.part().finished()) {
            ExchangeOutcome outcome;
            outcome.answer = answer(devices, search.setting(), search.part().exchange().request);
            search.part().conclude(outcome);
            search.take_step();
        }
    } while (search.next_part());
    QCOMPARE(search.addresses_done(), search.addresses_total());

    QStringList tried_expected;
    for (const LineSetting &s : settings)
        tried_expected << text(s);
    QCOMPARE(tried, tried_expected);
    QStringList shown;
    for (const FoundMeter &f : search.found().list())
        shown << text(f);
    QCOMPARE(shown, listed);
}

void tst_settings_search::stopped_search_tries_no_further_setting()
{
    Settings base;
    base.range = *address_range(1, 3);
    SettingsSearch search(base, settings_to_try({1200, 9600}, {0}), 1);
    search.part().stop();
    search.part().conclude(ExchangeOutcome{});
    QVERIFY(search.part().stopped());
    QVERIFY(!search.next_part());
    QCOMPARE(text(search.setting()), QStringLiteral("1200/0"));
}

QTEST_APPLESS_MAIN(tst_settings_search)
#include "tst_settings_search.moc"
