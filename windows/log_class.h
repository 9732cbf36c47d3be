#pragma once

#include <QString>
#include <QTemporaryFile>
#include <QWidget>

class QLabel;

QT_BEGIN_NAMESPACE
namespace Ui {
class LOG_class;
}
QT_END_NAMESPACE

// The traffic window: every frame sent and every answer taken, in hex.
// A watch or a pass over a line runs for a whole shift, so the window shows
// the last shown_lines lines only and says so; every line since the last
// "Очистить" goes to a spool file on disk, and "Сохранить" saves all of it.
class LOG_class : public QWidget
{
    Q_OBJECT
public:
    static constexpr int shown_lines = 10000;

    explicit LOG_class(QWidget *parent = nullptr);
    ~LOG_class() override;

    void append(const QString &line);
    // The lines shown.
    QString text() const;

    // Every line since the last clear, UTF-8 with LF line ends, into the file
    // at `path`; only the lines shown when the spool file could not be kept.
    bool save_to(const QString &path, QString *error);

private slots:
    void on_clear_btn_clicked();
    void on_save_btn_clicked();

private:
    void start_spool();
    void show_tail_note();

    Ui::LOG_class *ui;
    QLabel *tail_note;
    QString last_dir; // where the last file went, offered again
    QTemporaryFile spool;
    bool spool_ok = false;
    bool spool_empty = true;
    qint64 lines_since_clear = 0;
};
