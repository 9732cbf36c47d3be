#include "link/hex_line.h"

namespace {

QString frame_line(const char *mark, const QByteArray &bytes)
{
    QString line = QLatin1String(mark);
    line.reserve(2 + 3 * bytes.size());
    for (char byte : bytes) {
        line += QLatin1Char(' ');
        line += QString::number(quint8(byte), 16).rightJustified(2, QLatin1Char('0'));
    }
    return line;
}

} // namespace

QString sent_line(const QByteArray &frame)
{
    return frame_line("->", frame);
}
QString received_line(const QByteArray &answer)
{
    return frame_line("<-", answer);
}
