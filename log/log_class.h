#pragma once

#include <QString>
#include <QWidget>

QT_BEGIN_NAMESPACE
namespace Ui { class LOG_class; }
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

private slots:
    void on_clear_btn_clicked();

private:
    Ui::LOG_class *ui;
};
