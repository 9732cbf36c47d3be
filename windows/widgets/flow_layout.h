#pragma once

#include <QLayout>
#include <QList>

class QGridLayout;

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

    // Moves what rows first..last of `grid` hold into a flow spanning the
    // grid's columns at row `first`: each caption beside its field, the rest
    // in the order of the columns. Whatever a form adds to those rows goes along.
    static FlowLayout *from_grid_rows(QGridLayout *grid, int first, int last);

private:
    int arrange(const QRect &rect, bool apply) const;
    int gap() const;

    QList<QLayoutItem *> items;
};
