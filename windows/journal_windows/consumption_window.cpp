#include "windows/journal_windows/consumption_window.h"

#include "archive/archive_export.h"
#include "config/atomic_file.h"
#include "model/consumption_table_model.h"
#include "windows/widgets/save_dialog.h"
#include "windows/widgets/screen_fit.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

ConsumptionWindow::ConsumptionWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("consumption_window"));
    setWindowTitle(tr("Расход за период"));
    state = new QLabel(this);
    state->setObjectName(QStringLiteral("consumption_state"));
    state->setWordWrap(true);
    rows = new ConsumptionTableModel(this);
    rows_table = new QTableView(this);
    rows_table->setObjectName(QStringLiteral("consumption_table"));
    rows_table->setModel(rows);
    rows_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rows_table->verticalHeader()->hide();
    rows_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    rows_table->horizontalHeader()->setStretchLastSection(true);
    auto *save = new QPushButton(tr("Сохранить в файл"), this);
    save->setObjectName(QStringLiteral("consumption_save_btn"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(state);
    layout->addWidget(rows_table, 1);
    layout->addWidget(save, 0, Qt::AlignRight);
    fit_to_screen(this, QSize(1100, 500));
    connect(save, &QPushButton::clicked, this, [this] {
        save_with_dialog(this, tr("Сохранить расход"),
                         arc::export_file_name(QStringLiteral("consumption"), QString(), QDateTime::currentDateTime()),
                         tr("Файлы CSV (*.csv)"), &last_dir,
                         [this](const QString &path, QString *error) { return save_to(path, error); });
    });
}

void ConsumptionWindow::show_period(const QList<journal::ConsumptionRow> &rows, const QDateTime &from,
                                    const QDateTime &to, const QString &fault)
{
    const QList<journal::ConsumptionRow> shown = fault.isEmpty() ? rows : QList<journal::ConsumptionRow>();
    this->rows->set_rows(shown, from, to);
    state->setText(fault.isEmpty() ? tr("С %1 по %2, счетчиков: %3")
                                         .arg(from.toString(QStringLiteral("dd.MM.yyyy hh:mm")),
                                              to.toString(QStringLiteral("dd.MM.yyyy hh:mm")))
                                         .arg(shown.size())
                                   : fault);
    state->setStyleSheet(fault.isEmpty() ? QString() : QStringLiteral("QLabel {color:red;}"));
}

bool ConsumptionWindow::save_to(const QString &path, QString *error)
{
    return write_file_atomically(path, rows->csv(), error);
}
