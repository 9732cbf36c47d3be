#include "windows/main_window/log_class.h"

#include "config/atomic_file.h"
#include "ui_log_class.h"
#include "windows/widgets/save_dialog.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QSaveFile>
#include <QScrollBar>

namespace {

// One spool line per log line: its time, a tab, and the line with its own
// line breaks escaped, so that the time can be left out again on saving.
QByteArray spool_line(qint64 at_ms, const QString &line)
{
    QString escaped = line;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return QByteArray::number(at_ms) + '\t' + escaped.toUtf8() + '\n';
}

bool read_spool_line(const QByteArray &bytes, qint64 *at_ms, QString *line)
{
    const int tab = bytes.indexOf('\t');
    if (tab < 0)
        return false;
    bool ok = false;
    *at_ms = bytes.left(tab).toLongLong(&ok);
    QByteArray text = bytes.mid(tab + 1);
    if (text.endsWith('\n'))
        text.chop(1);
    const QString escaped = QString::fromUtf8(text);
    line->clear();
    line->reserve(escaped.size());
    for (int k = 0; k < escaped.size(); ++k) {
        const QChar c = escaped.at(k);
        if (c == QLatin1Char('\\') && k + 1 < escaped.size()) {
            ++k;
            *line += escaped.at(k) == QLatin1Char('n') ? QLatin1Char('\n') : escaped.at(k);
        } else {
            *line += c;
        }
    }
    return ok;
}

QString time_text(qint64 at_ms)
{
    return QDateTime::fromMSecsSinceEpoch(at_ms).toString(QStringLiteral("hh:mm:ss.zzz "));
}

} // namespace

LOG_class::LOG_class(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::LOG_class)
{
    ui->setupUi(this);
    setWindowTitle(tr("Логи"));
    // A record of the line: nothing typed may end up in the saved file, but
    // the lines can still be selected and copied.
    ui->textEdit->setReadOnly(true);
    ui->textEdit->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    ui->textEdit->document()->setMaximumBlockCount(shown_lines);
    tail_note = new QLabel(this);
    tail_note->setObjectName(QStringLiteral("log_tail_label"));
    tail_note->setWordWrap(true);
    tail_note->hide();
    ui->gridLayout->addWidget(tail_note, 1, 0);
    spool.setFileTemplate(QDir::temp().filePath(QStringLiteral("meter_log_XXXXXX.txt")));
    start_spool();
    connect(ui->log_time_box, &QCheckBox::toggled, this, &LOG_class::show_times);
    // The text is laid out late (after the window is first shown, or as it
    // grows): the view follows the range as it comes, not only the appends.
    // Only the operator's scrolling up stops that, and scrolling back to the
    // end starts it again.
    QScrollBar *bar = ui->textEdit->verticalScrollBar();
    connect(bar, &QScrollBar::rangeChanged, this, [this, bar](int, int maximum) {
        if (!following)
            return;
        scrolling = true;
        bar->setValue(maximum);
        scrolling = false;
    });
    connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) {
        if (!scrolling)
            following = value >= bar->maximum();
    });
}

void LOG_class::start_spool()
{
    spool_ok = spool.isOpen() ? spool.resize(0) && spool.seek(0) : spool.open();
    lines_since_clear = 0;
    tail.clear();
    show_tail_note();
}

void LOG_class::show_tail_note()
{
    if (!spool_ok) {
        tail_note->setText(tr("Лог не записывается на диск: «Сохранить» запишет только показанные строки"));
        tail_note->setStyleSheet(QStringLiteral("QLabel {color:red;}"));
        tail_note->show();
    } else if (lines_since_clear > shown_lines) {
        tail_note->setText(tr("Показаны последние %1 строк; «Сохранить» запишет весь лог").arg(shown_lines));
        tail_note->setStyleSheet(QString());
        tail_note->show();
    } else {
        tail_note->hide();
    }
}

LOG_class::~LOG_class()
{
    delete ui;
}

QString LOG_class::shown(const Entry &entry) const
{
    // The computer's time, when asked for, to tell the gaps on the line.
    return ui->log_time_box->isChecked() ? time_text(entry.at_ms) + entry.line : entry.line;
}

void LOG_class::append(const QString &frame_line)
{
    const Entry entry{QDateTime::currentMSecsSinceEpoch(), frame_line};
    // Follows new lines unless the operator has scrolled up to read.
    QScrollBar *bar = ui->textEdit->verticalScrollBar();
    scrolling = true;
    const int kept = bar->value();
    ui->textEdit->append(shown(entry));
    bar->setValue(following ? bar->maximum() : kept);
    scrolling = false;
    tail.push_back(entry);
    if (tail.size() > std::size_t(shown_lines))
        tail.pop_front();
    const bool was_ok = spool_ok;
    if (spool_ok) {
        const QByteArray bytes = spool_line(entry.at_ms, frame_line);
        spool_ok = spool.write(bytes) == bytes.size();
    }
    // A line may hold line breaks of its own: each is a line of the view.
    lines_since_clear += 1 + frame_line.count(QLatin1Char('\n'));
    if (spool_ok != was_ok || (lines_since_clear > shown_lines && tail_note->isHidden()))
        show_tail_note();
}

// The lines kept are shown again, their times added or left out.
void LOG_class::show_times(bool)
{
    QStringList lines;
    for (const Entry &entry : tail)
        lines.append(shown(entry));
    const QString all = lines.join(QLatin1Char('\n'));
    following = true;
    ui->textEdit->setPlainText(all);
    QScrollBar *bar = ui->textEdit->verticalScrollBar();
    scrolling = true;
    bar->setValue(bar->maximum());
    scrolling = false;
}

QString LOG_class::text() const
{
    return ui->textEdit->toPlainText();
}

void LOG_class::on_clear_btn_clicked()
{
    ui->textEdit->clear();
    start_spool();
}

bool LOG_class::save_to(const QString &path, QString *error)
{
    // toPlainText joins the paragraphs with LF on every system.
    if (!spool_ok || !spool.flush())
        return write_file_atomically(path, text().toUtf8(), error);
    // The spool may hold a shift's traffic: copied line by line, never whole in memory.
    QSaveFile file(path);
    QFile from(spool.fileName());
    QString reason;
    if (!file.open(QIODevice::WriteOnly)) {
        reason = file.errorString();
    } else if (!from.open(QIODevice::ReadOnly)) {
        reason = from.errorString();
        file.cancelWriting();
    } else {
        const bool times = ui->log_time_box->isChecked();
        QByteArray piece;
        bool first = true;
        while (!from.atEnd() && reason.isEmpty()) {
            Entry entry;
            if (!read_spool_line(from.readLine(), &entry.at_ms, &entry.line)) {
                reason = from.errorString();
                break;
            }
            if (!first)
                piece += '\n';
            first = false;
            piece += (times ? time_text(entry.at_ms) + entry.line : entry.line).toUtf8();
            if (piece.size() >= (1 << 20) || from.atEnd()) {
                if (file.write(piece) != piece.size())
                    reason = file.errorString();
                piece.clear();
            }
        }
        if (!reason.isEmpty())
            file.cancelWriting();
        else if (!file.commit())
            reason = file.errorString();
        else
            return true;
    }
    if (error)
        *error = reason;
    return false;
}

void LOG_class::on_save_btn_clicked()
{
    const QString name = QStringLiteral("log_%1.txt")
                             .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_hh-mm-ss")));
    save_with_dialog(this, tr("Сохранить лог"), name, tr("Текстовые файлы (*.txt)"), &last_dir,
                     [this](const QString &path, QString *error) { return save_to(path, error); });
}
