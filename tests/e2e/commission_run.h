#pragma once

// A riser being commissioned: three new meters still on their factory
// address 1, told apart by their serial numbers only, and a meter at 3 set up
// before. The end-to-end test and the README's picture run it alike.

#include "app_on_line.h"
#include "table_cells.h"
#include "windows/line/scan_window.h"

#include <QItemSelectionModel>
#include <QSpinBox>
#include <QTableView>

inline const char *const factory_riser = R"(
[meter]
address = 1
serial  = 000000000101
factory_address = yes

[meter]
address = 1
serial  = 000000000102
factory_address = yes

[meter]
address = 1
serial  = 000000000103
factory_address = yes

[meter]
address = 3
serial  = 0012345678AB
)";

inline const char *const factory_serials = "000000000101 000000000102, 000000000103";

namespace commission_run {

inline QTableView *scan_table(AppOnLine &app)
{
    return app.window().findChild<QTableView *>("scan_table");
}

inline void select_rows(AppOnLine &app, int first, int last)
{
    QTableView *table = scan_table(app);
    table->clearSelection();
    for (int row = first; row <= last; ++row)
        table->selectionModel()->select(table->model()->index(row, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

// The search over 1..5, then the lookup of the three serial numbers: the
// list holds the search's rows (1 and 3) and the three found by serial
// number after them. Returns false with `why` when a step does not finish.
inline bool search_and_look_up(AppOnLine &app, QString *why)
{
    app.click("scan_btn");
    auto *window = app.window().findChild<ScanWindow *>();
    app.window().findChild<QSpinBox *>("scan_to_box")->setValue(5);
    app.window().findChild<QSpinBox *>("scan_wait_box")->setValue(100);
    app.click("scan_start_btn");
    if (!app.wait_for([&] { return !window->running(); }, 120000)) {
        *why = "the search did not end";
        return false;
    }
    app.set_text("scan_serials_line", factory_serials);
    app.click("scan_serials_btn");
    if (!app.wait_for([&] { return app.text("scan_status").startsWith("Найдено"); }, 60000)) {
        *why = "the lookup did not end: " + app.text("scan_status");
        return false;
    }
    return true;
}

// The three found by serial number given addresses from 2 on.
inline bool assign(AppOnLine &app, QString *why)
{
    select_rows(app, 2, 4);
    app.window().findChild<QSpinBox *>("assign_from_box")->setValue(2);
    app.click("assign_address_btn");
    if (!app.wait_for([&] { return app.text("scan_status").startsWith("Записано"); }, 60000)) {
        *why = "the assignment did not end: " + app.text("scan_status");
        return false;
    }
    return true;
}

} // namespace commission_run
