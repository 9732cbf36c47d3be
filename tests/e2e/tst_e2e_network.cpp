// A line behind a serial device server: the main window connected over TCP
// to the meter stand-in listening on 127.0.0.1, or to local endpoints that
// refuse or never answer.
#include "app_on_line.h"
#include "default_meter.h"
#include "table_cells.h"
#include "windows/main_window/archive.h"

#include <QComboBox>
#include <QProgressBar>
#include <QTableView>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <memory>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Points the network line at 127.0.0.1:port through the settings window, as
// the operator would, and presses "Запуск порта".
void connect_to(AppOnLine &app, int port)
{
    app.click("setting_btn");
    QWidget *form = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->objectName() == QLatin1String("settings"))
            form = top;
    }
    QVERIFY(form);
    form->findChild<QCheckBox *>("net_click")->setChecked(true);
    form->findChild<QLineEdit *>("host_line")->setText("127.0.0.1");
    form->findChild<QLineEdit *>("tcp_port_line")->setText(QString::number(port));
    form->findChild<QPushButton *>("set_btn")->click();
    QVERIFY(form->isHidden());
    app.click("start_btn");
}

// A local port nothing listens on: taken by a listener, then let go.
int unused_port()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

// A listener that never accepts, with its queue of connections full: the
// kernel drops further handshakes unanswered, as a host that is off the
// network would, and nothing leaves the machine.
class full_listener
{
public:
    full_listener()
    {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&address), length) != 0 || ::listen(fd, 0) != 0
            || ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            return;
        port = ntohs(address.sin_port);
        // Fill the queue: connections go on completing until it is full.
        for (int i = 0; i < 8; ++i) {
            auto filler = std::make_unique<QTcpSocket>();
            filler->connectToHost(QHostAddress::LocalHost, quint16(port));
            const bool completed = filler->waitForConnected(500);
            fillers.push_back(std::move(filler));
            if (!completed) {
                full = true;
                return;
            }
        }
    }
    ~full_listener()
    {
        fillers.clear();
        if (fd >= 0)
            ::close(fd);
    }
    int fd = -1;
    int port = 0;
    bool full = false;
    std::vector<std::unique_ptr<QTcpSocket>> fillers;
};

} // namespace

class tst_e2e_network : public QObject
{
    Q_OBJECT
private slots:
    void poll_write_and_archive();
    void drop_mid_archive_then_reconnect();
    void refused_endpoint();
    void endpoint_that_never_answers();
};

void tst_e2e_network::poll_write_and_archive()
{
    AppOnLine app;
    QVERIFY2(app.start_tcp({}, "version = 3\n"), qPrintable(app.error()));
    QCOMPARE(app.text("line_label"), QStringLiteral("TCP 127.0.0.1:%1").arg(app.line().tcp_port()));
    app.check("adr_click");

    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QString());
    for (const ShownField &s : default_meter_fields)
        QCOMPARE(app.text(s.field), QString::fromUtf8(s.text));

    app.set_text("date_line_w", "28");
    app.check("date_save_w");
    app.click("write_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QStringLiteral("Запись завершена"));
    QCOMPARE(app.sim_register(0x0303), 28L);

    app.click("arch_btn");
    QVERIFY(app.wait_idle(120000));
    QCOMPARE(app.text("arch_btn"), QStringLiteral("Архив прочитан"));
    const QTableView *monthly = AppOnLine::archive_window()->table(3);
    QCOMPARE(row_count(monthly), 84);
    QVERIFY(!cell_text(monthly, 83, 1).isEmpty());
    QCOMPARE(AppOnLine::archive_window()->findChild<QLabel *>("arch_state_label")->text(), QString());
}

void tst_e2e_network::drop_mid_archive_then_reconnect()
{
    AppOnLine app;
    // At 9600 baud on the emulated wire the read takes seconds: time to cut it.
    QVERIFY2(app.start_tcp({"--wire-time", "--baud", "9600"}, "version = 3\n"), qPrintable(app.error()));
    app.check("adr_click");
    app.set_text("ver_prot_line", "3");
    app.click("arch_btn");
    auto *progress = app.window().findChild<QProgressBar *>("progress_bar");
    QVERIFY(app.wait_for([&] { return progress->value() >= 5; }));
    QCOMPARE(app.line().command("drop"), QStringLiteral("ok"));
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QStringLiteral("Порт не открыт"));
    QCOMPARE(app.text("arch_btn"), QStringLiteral("Архив не прочитан"));
    QCOMPARE(app.text("start_btn"), QStringLiteral("Нет соединения"));
    // What came before the drop stays, and says it is part of the whole.
    QVERIFY(!cell_text(AppOnLine::archive_window()->table(1), 0, 1).isEmpty());
    QVERIFY(AppOnLine::archive_window()->findChild<QLabel *>("arch_state_label")->text().endsWith(" из 672"));

    app.click("start_btn");
    QVERIFY(app.wait_for([&] { return app.text("start_btn") == QStringLiteral("Соединение установлено"); }));
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QString());
    QCOMPARE(app.text("serial_num_line"), QStringLiteral("0012345678ab"));
}

void tst_e2e_network::refused_endpoint()
{
    AppOnLine app;
    QVERIFY2(app.start_tcp(), qPrintable(app.error()));
    const int port = unused_port();
    QVERIFY(port > 0);
    connect_to(app, port);
    QVERIFY(app.wait_for([&] { return app.text("start_btn") == QStringLiteral("Нет соединения"); }));
    QCOMPARE(app.status(),
             QString("127.0.0.1:%1 отказал в соединении: проверьте TCP порт и что сервер включен").arg(port));
    QVERIFY(app.status_style().contains("red"));
    // A poll on the line that is not there ends at once with the usual message.
    app.check("adr_click");
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QStringLiteral("Порт не открыт"));
}

void tst_e2e_network::endpoint_that_never_answers()
{
    full_listener listener;
    QVERIFY(listener.port > 0);
    if (!listener.full)
        QSKIP("this kernel completed every handshake to a full listener");
    AppOnLine app;
    QVERIFY2(app.start_tcp(), qPrintable(app.error()));
    connect_to(app, listener.port);
    QCOMPARE(app.text("start_btn"), QStringLiteral("Подключение..."));
    QVERIFY(app.wait_for([&] { return app.text("start_btn") == QStringLiteral("Нет соединения"); }, 30000));
    QCOMPARE(app.status(), QString("127.0.0.1:%1 не ответил за 5 с: проверьте адрес и сеть").arg(listener.port));
}

QTEST_MAIN(tst_e2e_network)
#include "tst_e2e_network.moc"
