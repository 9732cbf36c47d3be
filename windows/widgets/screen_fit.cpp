#include "windows/widgets/screen_fit.h"

#include <QApplication>
#include <QEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QTextLayout>
#include <QToolTip>
#include <QWidget>
#include <QWindow>

QSize screen_room(const QWidget *window)
{
    const QScreen *screen = window->windowHandle() && window->windowHandle()->screen()
        ? window->windowHandle()->screen()
        : QGuiApplication::primaryScreen();
    if (!screen)
        return QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    // Before the window is shown its frame is not known: the title bar and
    // borders of a usual desktop.
    const int border = window->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) * 2 + 8;
    const int title = window->style()->pixelMetric(QStyle::PM_TitleBarHeight) + 8;
    return screen->availableGeometry().size() - QSize(border, title + border / 2);
}

void fit_to_screen(QWidget *window, QSize wanted)
{
    if (!wanted.isValid())
        wanted = window->sizeHint();
    window->resize(wanted.expandedTo(window->minimumSizeHint()).boundedTo(screen_room(window)));
}

void keep_clear_of(QWidget *window, const QWidget *other)
{
    if (!other->isVisible())
        return;
    const QRect keep(other->mapToGlobal(QPoint(0, 0)), other->size());
    const QRect frame = window->frameGeometry();
    if (!frame.intersects(keep))
        return;
    const QScreen *screen = window->windowHandle() && window->windowHandle()->screen()
        ? window->windowHandle()->screen()
        : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect room = screen->availableGeometry();
    const int frame_height = frame.height() - window->height();
    const int least = window->minimumSizeHint().height();
    const int above = keep.top() - room.top() - frame_height;
    const int below = room.bottom() - keep.bottom() - frame_height;
    if (above >= least) {
        window->resize(window->width(), qMin(window->height(), above));
        window->move(frame.left(), room.top());
    } else if (below >= least) {
        window->resize(window->width(), qMin(window->height(), below));
        window->move(frame.left(), keep.bottom() + 1);
    }
}

namespace {

class Elider : public QObject
{
public:
    Elider(QLabel *label, int lines)
        : QObject(label)
        , max_lines(lines)
    { }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *label = static_cast<QLabel *>(watched);
        const QRect room = label->contentsRect();
        const QString whole = label->text();
        switch (event->type()) {
        case QEvent::Paint: {
            QPainter painter(label);
            label->style()->drawItemText(
                &painter, room, int(QStyle::visualAlignment(label->layoutDirection(), label->alignment())),
                label->palette(), label->isEnabled(),
                lines_within(whole, label->font(), room.width(), max_lines).join(QLatin1Char('\n')),
                label->foregroundRole());
            return true;
        }
        case QEvent::ToolTip:
            if (!shows_whole(label))
                QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), whole, label);
            else
                QToolTip::hideText();
            return true;
        default: return false;
        }
    }

    const int max_lines;
};

} // namespace

QStringList lines_within(const QString &text, const QFont &font, int width, int max_lines)
{
    const QFontMetrics metrics(font);
    QStringList lines;
    QTextLayout layout(text, font);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        const QString rest = text.mid(line.textStart());
        if (lines.size() == max_lines - 1) {
            lines << metrics.elidedText(rest.trimmed(), Qt::ElideRight, width);
            break;
        }
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines;
}

bool shows_whole(const QLabel *label)
{
    const Elider *elider = label->findChild<const Elider *>(QString(), Qt::FindDirectChildrenOnly);
    const int lines = elider ? elider->max_lines : 1;
    const QStringList shown = lines_within(label->text(), label->font(), label->contentsRect().width(), lines);
    return shown.join(QString()).remove(QLatin1Char(' ')) == QString(label->text()).remove(QLatin1Char(' '));
}

void elide_to_width(QLabel *label, int lines)
{
    label->setWordWrap(false);
    label->setSizePolicy(QSizePolicy::Ignored, label->sizePolicy().verticalPolicy());
    // The room of every line, whether the text needs it or not: a message
    // that wraps does not move what is below it.
    label->setMinimumHeight(label->fontMetrics().lineSpacing() * lines + label->contentsMargins().top()
                            + label->contentsMargins().bottom());
    label->installEventFilter(new Elider(label, lines));
}
