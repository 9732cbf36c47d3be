#pragma once

#include <QSize>

class QWidget;

// A window opens at `wanted` (its size hint when not given) where the screen
// has room for it, and never larger than the screen's free area less room for
// the frame: at a large scale or on a small screen every button stays on it.
// Layouts and scroll areas keep the window's minimum within that.
void fit_to_screen(QWidget *window, QSize wanted = QSize());

// The free area of the screen the window is on, less its frame.
QSize screen_room(const QWidget *window);

class QLabel;

// A one-line label that never widens its window: a text longer than its room
// is cut with "…" and shown whole in its tooltip. text() stays whole.
void elide_to_width(QLabel *label);
