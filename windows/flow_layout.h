#pragma once

#include <QLayout>
#include <QList>

// Items side by side, wrapping onto the next line where the width ends: a row
// of buttons and fields that never holds its window wider than the widest one.
class FlowLayout : public QLayout
{
public:
    explicit FlowLayout(QWidget *parent = nullptr);
    ~FlowLayout() override;

    // A caption and its field, kept together on one line.
    void add_pair(QWidget *caption, QWidget *field);

    void addItem(QLayoutItem *item) override;
    int count() const override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect &rect) override;

private:
    int arrange(const QRect &rect, bool apply) const;
    int gap() const;

    QList<QLayoutItem *> items;
};
