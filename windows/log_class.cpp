#include "windows/log_class.h"

#include "config/atomic_file.h"
#include "ui_log_class.h"
#include "windows/save_dialog.h"

#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QSaveFile>

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
}

void LOG_class::start_spool()
{
    spool_ok = spool.isOpen() ? spool.resize(0) && spool.seek(0) : spool.open();
    spool_empty = true;
    lines_since_clear = 0;
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

void LOG_class::append(const QString &frame_line)
{
    // The computer's time, when asked for, to tell the gaps on the line.
    const QString line = ui->log_time_box->isChecked()
        ? QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz ")) + frame_line
        : frame_line;
    ui->textEdit->append(line);
    const bool was_ok = spool_ok;
    if (spool_ok) {
        const QByteArray bytes = (spool_empty ? QString() : QStringLiteral("\n")).toUtf8() + line.toUtf8();
        spool_ok = spool.write(bytes) == bytes.size();
        spool_empty = false;
    }
    // A line may hold line breaks of its own: each is a line of the view.
    lines_since_clear += 1 + line.count(QLatin1Char('\n'));
    if (spool_ok != was_ok || (lines_since_clear > shown_lines && tail_note->isHidden()))
        show_tail_note();
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
    // The spool may hold a shift's traffic: copied in pieces, never whole in memory.
    QSaveFile file(path);
    QFile from(spool.fileName());
    QString reason;
    if (!file.open(QIODevice::WriteOnly)) {
        reason = file.errorString();
    } else if (!from.open(QIODevice::ReadOnly)) {
        reason = from.errorString();
        file.cancelWriting();
    } else {
        while (!from.atEnd() && reason.isEmpty()) {
            const QByteArray piece = from.read(1 << 20);
            if (piece.isEmpty() || file.write(piece) != piece.size())
                reason = piece.isEmpty() ? from.errorString() : file.errorString();
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
