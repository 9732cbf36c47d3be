#pragma once

#include <QString>
#include <QWidget>

QT_BEGIN_NAMESPACE
namespace Ui {
class LOG_class;
}
QT_END_NAMESPACE

// The traffic window: every frame sent and every answer taken, in hex.
class LOG_class : public QWidget
{
    Q_OBJECT
public:
    explicit LOG_class(QWidget *parent = nullptr);
    ~LOG_class() override;

    void append(const QString &line);
    QString text() const;

    // The text as shown, UTF-8 with LF line ends, into the file at `path`.
    bool save_to(const QString &path, QString *error);

private slots:
    void on_clear_btn_clicked();
    void on_save_btn_clicked();

private:
    Ui::LOG_class *ui;
    QString last_dir; // where the last file went, offered again
};
