#pragma once

#include <QSize>
#include <QStringList>

class QWidget;

// A window opens at `wanted` (its size hint when not given) where the screen
// has room for it, and never larger than the screen's free area less room for
// the frame: at a large scale or on a small screen every button stays on it.
// Layouts and scroll areas keep the window's minimum within that.
void fit_to_screen(QWidget *window, QSize wanted = QSize());

// Moves and shortens `window` so that its frame leaves `other` (a widget of
// another window: the main window's status bar with its "Остановить")
// uncovered, where the screen has room for the window's minimum above or
// below it; otherwise leaves it as it is.
void keep_clear_of(QWidget *window, const QWidget *other);

// The free area of the screen the window is on, less its frame.
QSize screen_room(const QWidget *window);

class QFont;
class QLabel;

// A label of at most `lines` lines that never widens its window: a text
// longer than its room wraps at its words, and what does not fit in the last
// line is cut with "…" and shown whole in the tooltip. text() stays whole.
void elide_to_width(QLabel *label, int lines = 1);

// `text` in `font` wrapped at words into lines `width` pixels wide, the last
// of `max_lines` cut with "…" when the rest does not fit.
QStringList lines_within(const QString &text, const QFont &font, int width, int max_lines);

// Whether a label of elide_to_width() shows its whole text at its size now.
bool shows_whole(const QLabel *label);
