#pragma once

#include <QByteArray>
#include <QString>

// A log line of one frame: "->" for a frame sent, "<-" for an answer taken,
// then a space and two lower-case hex digits per byte.
QString sent_line(const QByteArray &frame);
QString received_line(const QByteArray &answer);
