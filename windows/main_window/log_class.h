#pragma once

#include <QString>
#include <QTemporaryFile>
#include <QWidget>
#include <deque>

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
// Every line keeps the computer's time it came at; "Время" only shows it or
// hides it, in the view and in the saved file alike.
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
    // at `path`, each with its time when "Время" is ticked; only the lines
    // shown when the spool file could not be kept.
    bool save_to(const QString &path, QString *error);

private slots:
    void on_clear_btn_clicked();
    void on_save_btn_clicked();

private:
    struct Entry
    {
        qint64 at_ms; // the computer's time, ms since the epoch
        QString line;
    };

    void start_spool();
    void show_tail_note();
    void show_times(bool on);
    QString shown(const Entry &entry) const;

    Ui::LOG_class *ui;
    QLabel *tail_note;
    QString last_dir; // where the last file went, offered again
    QTemporaryFile spool;
    bool spool_ok = false;
    qint64 lines_since_clear = 0;
    std::deque<Entry> tail; // what the view holds, to show it again with or without times
    bool following = true;  // the view keeps the newest line in sight
    bool scrolling = false; // the view is being scrolled by the window itself
};
