#include "windows/widgets/table_fit.h"

#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>

QVariant TwoLineTitles::headerData(int section, Qt::Orientation orientation, int role) const
{
    const QVariant title = QIdentityProxyModel::headerData(section, orientation, role);
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return title;
    QString text = title.toString();
    int best = -1;
    for (int i = text.indexOf(QLatin1Char(' ')); i >= 0; i = text.indexOf(QLatin1Char(' '), i + 1)) {
        if (best < 0 || qAbs(2 * i - text.size()) < qAbs(2 * best - text.size()))
            best = i;
    }
    if (best >= 0)
        text[best] = QLatin1Char('\n');
    return text;
}

namespace {

class ColumnFitter : public QObject
{
public:
    ColumnFitter(QTableView *table, const QList<int> &narrowable)
        : QObject(table)
        , view(table)
        , narrow(narrowable)
    {
        // A narrowed text takes a second line before it is cut.
        view->setTextElideMode(Qt::ElideRight);
        view->setWordWrap(true);
        view->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
        QHeaderView *header = view->horizontalHeader();
        header->setSectionResizeMode(QHeaderView::Interactive);
        header->setStretchLastSection(false);
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        // Rows come in one by one: the widths are worked out once they settle.
        later.setSingleShot(true);
        later.setInterval(0);
        connect(&later, &QTimer::timeout, this, &ColumnFitter::fit);
        QAbstractItemModel *model = view->model();
        connect(model, &QAbstractItemModel::dataChanged, &later, qOverload<>(&QTimer::start));
        connect(model, &QAbstractItemModel::rowsInserted, &later, qOverload<>(&QTimer::start));
        connect(model, &QAbstractItemModel::modelReset, &later, qOverload<>(&QTimer::start));
        connect(header, &QHeaderView::sectionResized, this, [this] {
            if (!fitting)
                given_over = true;
        });
        view->viewport()->installEventFilter(this);
        later.start();
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Resize)
            later.start();
        return false;
    }

private:
    void fit()
    {
        if (given_over)
            return;
        QHeaderView *header = view->horizontalHeader();
        const int count = header->count();
        QVector<int> widths(count), least(count);
        int total = 0;
        fitting = true;
        header->resizeSections(QHeaderView::ResizeToContents); // each column as wide as its texts
        fitting = false;
        for (int c = 0; c < count; ++c) {
            least[c] = header->sectionSizeHint(c);
            widths[c] = qMax(least[c], header->sectionSize(c));
            total += widths[c];
        }
        const int room = view->viewport()->width();
        // Narrowed the longest first, never below its title.
        while (total > room) {
            int widest = -1;
            for (int c : narrow) {
                if (c < count && widths[c] > least[c] && (widest < 0 || widths[c] > widths[widest]))
                    widest = c;
            }
            if (widest < 0)
                break;
            int next = least[widest];
            for (int c : narrow) {
                if (c < count && c != widest && widths[c] < widths[widest])
                    next = qMax(next, widths[c]);
            }
            const int cut = qMin(total - room, qMax(1, widths[widest] - next));
            widths[widest] -= cut;
            total -= cut;
        }
        // Room to spare goes to the last column that takes long texts.
        if (total < room && !narrow.isEmpty() && narrow.last() < count)
            widths[narrow.last()] += room - total;
        fitting = true;
        for (int c = 0; c < count; ++c)
            header->resizeSection(c, widths[c]);
        fitting = false;
    }

    QTableView *view;
    QList<int> narrow;
    QTimer later;
    bool fitting = false;
    bool given_over = false;
};

} // namespace

void fit_columns(QTableView *view, const QList<int> &narrowable)
{
    auto *titles = new TwoLineTitles(view);
    titles->setSourceModel(view->model());
    view->setModel(titles);
    new ColumnFitter(view, narrowable);
}
