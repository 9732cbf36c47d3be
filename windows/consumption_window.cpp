#include "windows/consumption_window.h"

#include "archive/archive_export.h"
#include "config/atomic_file.h"
#include "windows/save_dialog.h"
#include "windows/screen_fit.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

ConsumptionWindow::ConsumptionWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("consumption_window"));
    setWindowTitle(tr("Расход за период"));
    state = new QLabel(this);
    state->setObjectName(QStringLiteral("consumption_state"));
    state->setWordWrap(true);
    const QStringList titles = journal::consumption_titles();
    rows_table = new QTableWidget(0, titles.size(), this);
    rows_table->setObjectName(QStringLiteral("consumption_table"));
    rows_table->setHorizontalHeaderLabels(titles);
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
    shown = fault.isEmpty() ? rows : QList<journal::ConsumptionRow>();
    period_from = from;
    period_to = to;
    state->setText(fault.isEmpty() ? tr("С %1 по %2, счетчиков: %3")
                                         .arg(from.toString(QStringLiteral("dd.MM.yyyy hh:mm")),
                                              to.toString(QStringLiteral("dd.MM.yyyy hh:mm")))
                                         .arg(shown.size())
                                   : fault);
    state->setStyleSheet(fault.isEmpty() ? QString() : QStringLiteral("QLabel {color:red;}"));
    rows_table->setRowCount(shown.size());
    for (int r = 0; r < shown.size(); ++r) {
        const QStringList texts = journal::consumption_texts(shown.at(r));
        for (int c = 0; c < texts.size(); ++c)
            rows_table->setItem(r, c, new QTableWidgetItem(texts.at(c)));
        if (!shown.at(r).complete() || shown.at(r).clock_off())
            rows_table->item(r, texts.size() - 1)->setForeground(Qt::red);
    }
}

bool ConsumptionWindow::save_to(const QString &path, QString *error)
{
    return write_file_atomically(path, journal::consumption_csv(shown, period_from, period_to), error);
}
