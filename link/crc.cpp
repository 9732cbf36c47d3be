#include "link/crc.h"

quint16 crc16(const uchar *data, int length)
{
    quint16 crc = 0xFFFF;
    for (int i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? quint16((crc >> 1) ^ 0xA001) : quint16(crc >> 1);
    }
    return crc;
}

quint16 crc16(const QByteArray &bytes)
{
    return crc16(reinterpret_cast<const uchar *>(bytes.constData()), bytes.size());
}

QByteArray with_crc(QByteArray frame)
{
    const quint16 crc = crc16(frame);
    frame.append(char(crc & 0xFF));
    frame.append(char(crc >> 8));
    return frame;
}

bool crc_matches(const QByteArray &frame)
{
    if (frame.size() < 3)
        return false;
    const int body = frame.size() - 2;
    const quint16 crc = crc16(reinterpret_cast<const uchar *>(frame.constData()), body);
    return quint8(frame[body]) == (crc & 0xFF) && quint8(frame[body + 1]) == (crc >> 8);
}
