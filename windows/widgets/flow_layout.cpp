#include "windows/widgets/flow_layout.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QWidget>
#include <algorithm>

FlowLayout::FlowLayout(QWidget *parent)
    : QLayout(parent)
{ }

FlowLayout::~FlowLayout()
{
    while (QLayoutItem *item = takeAt(0))
        delete item;
}

void FlowLayout::add_pair(QWidget *caption, QWidget *field)
{
    auto *pair = new QHBoxLayout;
    pair->setContentsMargins(0, 0, 0, 0);
    pair->addWidget(caption);
    pair->addWidget(field);
    addItem(pair);
}

void FlowLayout::addItem(QLayoutItem *item)
{
    if (QLayout *inner = item->layout()) {
        inner->setParent(nullptr); // taken from another layout
        addChildLayout(inner);
    }
    items.append(item);
    invalidate();
}

int FlowLayout::count() const
{
    return items.size();
}

QLayoutItem *FlowLayout::itemAt(int index) const
{
    return items.value(index);
}

QLayoutItem *FlowLayout::takeAt(int index)
{
    if (index < 0 || index >= items.size())
        return nullptr;
    invalidate();
    return items.takeAt(index);
}

Qt::Orientations FlowLayout::expandingDirections() const
{
    return {};
}

bool FlowLayout::hasHeightForWidth() const
{
    return true;
}

int FlowLayout::heightForWidth(int width) const
{
    return arrange(QRect(0, 0, width, 0), false);
}

QSize FlowLayout::minimumSize() const
{
    QSize size;
    for (const QLayoutItem *item : items)
        size = size.expandedTo(item->minimumSize());
    const QMargins m = contentsMargins();
    return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}

// One line when there is room for it.
QSize FlowLayout::sizeHint() const
{
    int width = 0, height = 0;
    for (const QLayoutItem *item : items) {
        if (item->isEmpty())
            continue;
        width += (width > 0 ? gap() : 0) + item->sizeHint().width();
        height = qMax(height, item->sizeHint().height());
    }
    const QMargins m = contentsMargins();
    return QSize(width + m.left() + m.right(), height + m.top() + m.bottom());
}

void FlowLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int FlowLayout::gap() const
{
    if (spacing() >= 0)
        return spacing();
    const QWidget *owner = parentWidget();
    return owner ? owner->style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing, nullptr, owner) : 6;
}

// Lays the items out line by line within rect; the height they take.
int FlowLayout::arrange(const QRect &rect, bool apply) const
{
    const QMargins m = contentsMargins();
    const QRect room = rect.marginsRemoved(m);
    int x = room.x(), y = room.y(), line_height = 0;
    for (QLayoutItem *item : items) {
        if (item->isEmpty())
            continue;
        const QSize size
            = item->sizeHint().boundedTo(QSize(room.width(), QWIDGETSIZE_MAX)).expandedTo(item->minimumSize());
        if (x > room.x() && x + size.width() > room.right() + 1) {
            x = room.x();
            y += line_height + gap();
            line_height = 0;
        }
        if (apply)
            item->setGeometry(QRect(QPoint(x, y), size));
        x += size.width() + gap();
        line_height = qMax(line_height, size.height());
    }
    return y + line_height - rect.y() + m.bottom();
}

FlowLayout *FlowLayout::from_grid_rows(QGridLayout *grid, int first, int last)
{
    struct Placed
    {
        int row, column;
        QLayoutItem *item;
    };
    QList<Placed> taken;
    for (int i = grid->count() - 1; i >= 0; --i) {
        int row = 0, column = 0, rows = 0, columns = 0;
        grid->getItemPosition(i, &row, &column, &rows, &columns);
        if (row >= first && row <= last)
            taken.append({row, column, grid->takeAt(i)});
    }
    std::sort(taken.begin(), taken.end(),
              [](const Placed &a, const Placed &b) { return a.row != b.row ? a.row < b.row : a.column < b.column; });
    auto *flow = new FlowLayout;
    for (int i = 0; i < taken.size(); ++i) {
        QWidget *widget = taken[i].item->widget();
        QWidget *next
            = i + 1 < taken.size() && taken[i + 1].row == taken[i].row ? taken[i + 1].item->widget() : nullptr;
        if (qobject_cast<QLabel *>(widget) && next && !qobject_cast<QLabel *>(next)) {
            flow->add_pair(widget, next);
            delete taken[i].item;
            delete taken[i + 1].item;
            ++i;
        } else {
            flow->addItem(taken[i].item);
        }
    }
    grid->addLayout(flow, first, 0, 1, qMax(1, grid->columnCount()));
    return flow;
}
