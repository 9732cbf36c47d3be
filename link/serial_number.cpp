#include "link/serial_number.h"

namespace {

int hex_digit(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

} // namespace

std::optional<SerialBytes> pack_serial_number(const QString &text)
{
    if (text.isEmpty() || text.size() > 12)
        return std::nullopt;
    SerialBytes bytes{};
    int byte = 5;
    for (int end = text.size(); end > 0; end -= 2, --byte) {
        const int low = hex_digit(text[end - 1]);
        const int high = end >= 2 ? hex_digit(text[end - 2]) : 0;
        if (low < 0 || high < 0)
            return std::nullopt;
        bytes[size_t(byte)] = quint8(high * 16 + low);
    }
    return bytes;
}

std::optional<quint8> parse_device_address(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok || value < 1 || value > 247)
        return std::nullopt;
    return quint8(value);
}
