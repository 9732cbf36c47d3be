#pragma once

#include <QWidget>

QT_BEGIN_NAMESPACE
namespace Ui { class archive; }
QT_END_NAMESPACE

// The archive window: the hourly, daily and monthly archives as three tables.
class archive : public QWidget
{
    Q_OBJECT
public:
    explicit archive(QWidget *parent = nullptr);
    ~archive() override;

private:
    Ui::archive *ui;
};
