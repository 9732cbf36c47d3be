#include "windows/service/register_window.h"

#include "link/answer_check.h"
#include "link/exchanger.h"
#include "meter/register_access.h"
#include "model/outcome_words.h"
#include "model/quantity.h"
#include "windows/widgets/screen_fit.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>

namespace {

QString values_text(const QVector<quint16> &values)
{
    QStringList texts;
    for (quint16 v : values)
        texts << registers::hex_text(v);
    return texts.join(QLatin1Char(' '));
}

} // namespace

RegisterWindow::RegisterWindow(Exchanger *line, TargetSource target, std::function<ExchangePeriods()> line_periods,
                               QWidget *parent)
    : QWidget(parent, Qt::Window)
    , exchanger(line)
    , target_of_form(std::move(target))
    , periods(std::move(line_periods))
{
    setWindowTitle(tr("Регистры"));
    auto *grid = new QGridLayout(this);
    first_line = new QLineEdit(QStringLiteral("0x1000"), this);
    first_line->setObjectName(QStringLiteral("reg_first_line"));
    count_line = new QLineEdit(QStringLiteral("7"), this);
    count_line->setObjectName(QStringLiteral("reg_count_line"));
    read_btn = new QPushButton(tr("Считать"), this);
    read_btn->setObjectName(QStringLiteral("reg_read_btn"));
    values_line = new QLineEdit(this);
    values_line->setObjectName(QStringLiteral("reg_values_line"));
    values_line->setPlaceholderText(tr("значения через пробел: 123 0x00FF -5"));
    pairs_click = new QCheckBox(tr("32-битные (2 регистра, младший первым)"), this);
    pairs_click->setObjectName(QStringLiteral("reg_pairs_click"));
    write_btn = new QPushButton(tr("Записать"), this);
    write_btn->setObjectName(QStringLiteral("reg_write_btn"));
    status = new QLabel(this);
    status->setObjectName(QStringLiteral("reg_status"));
    status->setWordWrap(true);
    table = new QTableWidget(0, 6, this);
    table->setObjectName(QStringLiteral("reg_table"));
    table->setHorizontalHeaderLabels(
        {tr("Регистр"), tr("Hex"), tr("Без знака"), tr("Со знаком"), tr("32 бит без знака"), tr("32 бит со знаком")});
    table->horizontalHeaderItem(4)->setToolTip(tr("Этот регистр — младшие 16 бит, следующий — старшие"));
    table->horizontalHeaderItem(5)->setToolTip(table->horizontalHeaderItem(4)->toolTip());
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);

    grid->addWidget(new QLabel(tr("Первый регистр"), this), 0, 0);
    grid->addWidget(first_line, 0, 1);
    grid->addWidget(new QLabel(tr("Количество"), this), 0, 2);
    grid->addWidget(count_line, 0, 3);
    grid->addWidget(read_btn, 0, 4);
    grid->addWidget(new QLabel(tr("Значения"), this), 1, 0);
    grid->addWidget(values_line, 1, 1, 1, 3);
    grid->addWidget(write_btn, 1, 4);
    grid->addWidget(pairs_click, 2, 1, 1, 4);
    grid->addWidget(table, 3, 0, 1, 5);
    grid->addWidget(status, 4, 0, 1, 5);
    fit_to_screen(this, QSize(640, 420));

    confirm = [this](const QString &question) {
        return QMessageBox::question(this, windowTitle(), question) == QMessageBox::Yes;
    };
    connect(read_btn, &QPushButton::clicked, this, &RegisterWindow::read_clicked);
    connect(write_btn, &QPushButton::clicked, this, &RegisterWindow::write_clicked);
}

RegisterWindow::~RegisterWindow()
{
    if (run && exchanger->sequence() == run.get())
        exchanger->stop();
}

void RegisterWindow::say(const QString &text, bool error)
{
    status->setStyleSheet(error ? QStringLiteral("QLabel {color:red;}") : QString());
    status->setText(text);
}

// The first register and the meter of a read or write, or nothing with
// the reason said.
bool RegisterWindow::checked_start(quint16 *first, MeterTarget *target)
{
    const std::optional<quint16> parsed = registers::parse_register(first_line->text());
    if (!parsed) {
        say(tr("Неверный номер регистра: 0…65535, десятичный или 0x…"), true);
        return false;
    }
    QString why;
    const std::optional<MeterTarget> meter = target_of_form(&why);
    if (!meter) {
        say(why, true);
        return false;
    }
    *first = *parsed;
    *target = *meter;
    return true;
}

void RegisterWindow::read_clicked()
{
    quint16 first = 0;
    MeterTarget target;
    if (!checked_start(&first, &target))
        return;
    const std::optional<int> count = registers::parse_count(count_line->text(), first, target.by_serial);
    if (!count) {
        say(tr("Неверное количество: от 1 до %1 регистров за один запрос, не дальше 0xFFFF")
                .arg(registers::max_read_count(target.by_serial)),
            true);
        return;
    }
    start(std::make_unique<RegisterAccess>(target, first, *count));
}

void RegisterWindow::write_clicked()
{
    quint16 first = 0;
    MeterTarget target;
    if (!checked_start(&first, &target))
        return;
    const registers::ParsedValues parsed
        = registers::parse_values(values_line->text(), pairs_click->isChecked(), first, target.by_serial);
    switch (parsed.error) {
    case registers::ValuesError::none: break;
    case registers::ValuesError::empty: say(tr("Введите значения для записи"), true); return;
    case registers::ValuesError::not_a_number: say(tr("«%1» — не число").arg(parsed.bad_token), true); return;
    case registers::ValuesError::out_of_range:
        say(pairs_click->isChecked()
                ? tr("«%1» вне пределов 32 бит: от −2147483648 до 4294967295").arg(parsed.bad_token)
                : tr("«%1» вне пределов 16 бит: от −32768 до 65535").arg(parsed.bad_token),
            true);
        return;
    case registers::ValuesError::too_many:
        say(tr("Слишком много регистров: не больше %1 за одну запись, не дальше 0xFFFF")
                .arg(registers::max_write_count(target.by_serial)),
            true);
        return;
    }
    const QString question
        = tr("Записать в счётчик (%1) с регистра %2: %3?")
              .arg(quantity::addressing(target), registers::hex_text(first), values_text(parsed.words));
    if (!confirm(question)) {
        say(tr("Запись отменена"), false);
        return;
    }
    start(std::make_unique<RegisterAccess>(target, first, parsed.words));
}

bool RegisterWindow::start(std::unique_ptr<RegisterAccess> access)
{
    const ExchangeRules rules = exchange_rules::registers(periods(), access->writes());
    std::unique_ptr<RegisterAccess> previous = std::move(run);
    run = std::move(access);
    if (!exchanger->run(run.get(), rules, [this](bool over) {
            if (over)
                run_over();
        })) {
        run = std::move(previous);
        say(tr("Дождитесь окончания обмена"), true);
        return false;
    }
    say(run->writes() ? tr("Запись…") : tr("Чтение…"), false);
    return true;
}

void RegisterWindow::show_values(quint16 first, const QVector<quint16> &values)
{
    table->setRowCount(values.size());
    for (int i = 0; i < values.size(); ++i) {
        QStringList texts = {registers::hex_text(quint16(first + i)), registers::hex_text(values[i]),
                             registers::unsigned_text(values[i]), registers::signed_text(values[i])};
        if (i + 1 < values.size()) {
            const quint32 pair = registers::pair_value(values[i], values[i + 1]);
            texts << QString::number(pair) << QString::number(qint32(pair));
        } else {
            texts << QString() << QString();
        }
        for (int column = 0; column < texts.size(); ++column) {
            auto *item = new QTableWidgetItem(texts[column]);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(i, column, item);
        }
    }
}

void RegisterWindow::run_over()
{
    const QString failed = outcome_words(run->failure());
    if (run->succeeded())
        show_values(run->first_register(), run->values());
    else
        table->setRowCount(0); // nothing shown may pass for the meter's present values

    if (!run->writes()) {
        if (run->succeeded())
            say(tr("Считано регистров: %1").arg(run->values().size()), false);
        else
            say(failed, true);
        return;
    }
    QString outcome;
    bool error = true;
    if (!run->write_confirmed()) {
        outcome = tr("не записано: %1").arg(failed);
    } else if (!run->succeeded()) {
        outcome = tr("записано, обратное чтение не удалось: %1").arg(failed);
    } else if (run->values() != run->values_written()) {
        outcome = tr("записано, но прочитано другое: %1").arg(values_text(run->values()));
    } else {
        outcome = tr("записано и прочитано обратно");
        error = false;
    }
    say(outcome.left(1).toUpper() + outcome.mid(1), error);
    const SessionWrite write
        = session_write(run->target(), tr("регистры с %1").arg(registers::hex_text(run->first_register())),
                        values_text(run->values_written()), outcome);
    emit write_concluded(write);
}
