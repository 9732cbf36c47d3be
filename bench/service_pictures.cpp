// The README's pictures of the service tools: the watch window after a few
// rounds against a stand-in whose volume grows, and the service report of
// that meter after a poll, an archive read and a register write.
// Usage: service_pictures WATCH.png REPORT.pdf [en] (run with QT_QPA_PLATFORM=offscreen);
// the report's first page then goes through `pdftoppm -png -r 60 -f 1 -l 1`.
#include "app_on_line.h"
#include "config/interface_language.h"
#include "windows/service/register_window.h"
#include "windows/service/watch_window.h"

#include <QApplication>
#include <QSpinBox>
#include <QTableView>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    if (argc < 3) {
        qWarning("usage: service_pictures WATCH.png REPORT.pdf");
        return 2;
    }
    AppOnLine app;
    if (!app.start({}, "flow = 3\nclock = running\n")) {
        qWarning("%s", qPrintable(app.error()));
        return 1;
    }
    // After the start, which goes by the Russian captions: the windows made
    // from here on, and the report, speak English.
    if (argc > 3 && QByteArray(argv[3]) == "en")
        install_english(&application);
    app.check("adr_click");
    app.click("param_btn");
    app.wait_idle();
    app.click("arch_btn");
    app.wait_idle(120000);

    app.click("registers_btn");
    auto *registers = app.window().findChild<RegisterWindow *>();
    registers->confirm = [](const QString &) { return true; };
    registers->findChild<QLineEdit *>("reg_first_line")->setText("0x0303");
    registers->findChild<QLineEdit *>("reg_values_line")->setText("15");
    registers->findChild<QPushButton *>("reg_write_btn")->click();
    app.wait_for([&] { return !registers->findChild<QLabel *>("reg_status")->text().endsWith("…"); });
    registers->close();

    app.window().findChild<QSpinBox *>("watch_period_box")->setValue(1);
    app.click("watch_btn");
    auto *watch = app.window().findChild<WatchWindow *>();
    const QAbstractItemModel *table = watch->findChild<QTableView *>("watch_table")->model();
    app.wait_for([&] { return table->rowCount() >= 12; }, 60000);
    app.click("watch_btn");
    app.wait_idle();
    const bool saved = watch->grab().save(QString::fromLocal8Bit(argv[1]));

    QString error;
    if (!app.probe().save_report(QString::fromLocal8Bit(argv[2]), &error)) {
        qWarning("%s", qPrintable(error));
        return 1;
    }
    return saved ? 0 : 1;
}
