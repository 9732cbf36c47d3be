#include "windows/screen_fit.h"

#include <QApplication>
#include <QEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QStyle>
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

namespace {

class Elider : public QObject
{
public:
    using QObject::QObject;

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
                label->fontMetrics().elidedText(whole, Qt::ElideRight, room.width()), label->foregroundRole());
            return true;
        }
        case QEvent::ToolTip:
            if (label->fontMetrics().horizontalAdvance(whole) > room.width())
                QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), whole, label);
            else
                QToolTip::hideText();
            return true;
        default: return false;
        }
    }
};

} // namespace

void elide_to_width(QLabel *label)
{
    label->setWordWrap(false);
    label->setSizePolicy(QSizePolicy::Ignored, label->sizePolicy().verticalPolicy());
    label->installEventFilter(new Elider(label));
}
