#include "config/port_settings.h"

#include "config/atomic_file.h"

#include <QFile>
#include <QFileInfo>
#include <QList>

bool PortSettings::operator==(const PortSettings &o) const
{
    return baud_rate == o.baud_rate && stop_bits == o.stop_bits && parity == o.parity && port_name == o.port_name
        && main_ok_ms == o.main_ok_ms && main_fail_ms == o.main_fail_ms && archive_ok_ms == o.archive_ok_ms
        && archive_fail_ms == o.archive_fail_ms;
}

bool is_valid_period(int ms)
{
    return ms >= 1 && ms <= 600000;
}

namespace {

void read_number(const QList<QByteArray> &lines, int index, int &field)
{
    if (index >= lines.size())
        return;
    bool ok = false;
    // Up to the first NUL byte, with Qt 5 and Qt 6 alike.
    const int value = QString::fromLocal8Bit(lines[index].constData()).toInt(&ok, 10);
    if (ok)
        field = value;
}

void read_period(const QList<QByteArray> &lines, int index, int &field)
{
    int value = 0;
    read_number(lines, index, value);
    if (value > 0)
        field = value;
}

// A damaged file's first line may be binary or huge: such a name is not
// taken, and the open probes for a port as with no file. Real names are short
// and printable ("COM3", "\\.\COM12", "/dev/ttyUSB0"). Control bytes are
// looked for before decoding, which would stop at a NUL.
bool read_port_name(const QByteArray &line, QString &name)
{
    for (const char c : line) {
        if (quint8(c) < 0x20 || quint8(c) == 0x7F)
            return false;
    }
    const QString decoded = QString::fromLocal8Bit(line.constData());
    if (decoded.size() > max_port_name_length)
        return false;
    name = decoded;
    return true;
}

} // namespace

PortSettings parse_port_settings(const QByteArray &content)
{
    QList<QByteArray> lines = content.split('\n');
    for (QByteArray &line : lines) {
        // Every CR, not just one: "COM2\r\r" must read as the "COM2" a save writes back.
        while (line.endsWith('\r'))
            line.chop(1);
    }
    PortSettings s;
    if (!lines.isEmpty())
        read_port_name(lines[0], s.port_name);
    read_number(lines, 1, s.baud_rate);
    read_number(lines, 2, s.stop_bits);
    read_period(lines, 3, s.main_ok_ms);
    read_period(lines, 4, s.main_fail_ms);
    read_period(lines, 5, s.archive_ok_ms);
    read_period(lines, 6, s.archive_fail_ms);
    read_number(lines, 7, s.parity);
    return s;
}

QByteArray format_port_settings(const PortSettings &s)
{
    QByteArray text = s.port_name.toLocal8Bit() + '\n';
    for (int value :
         {s.baud_rate, s.stop_bits, s.main_ok_ms, s.main_fail_ms, s.archive_ok_ms, s.archive_fail_ms, s.parity})
        text += QByteArray::number(value, 10) + '\n';
    return text;
}

SettingsLoad load_port_settings(const QString &path, PortSettings &settings)
{
    QFile file(path);
    if (!file.exists()) {
        // Nothing to read yet; but say so when the first save cannot create it either.
        const QFileInfo folder(QFileInfo(path).absolutePath());
        return folder.isWritable() ? SettingsLoad::missing : SettingsLoad::unreadable;
    }
    if (!file.open(QIODevice::ReadOnly))
        return SettingsLoad::unreadable;
    // Eight short lines; a damaged file may be huge, and nothing past them matters.
    settings = parse_port_settings(file.read(64 * 1024));
    return SettingsLoad::loaded;
}

bool save_port_settings(const QString &path, const PortSettings &settings)
{
    return write_file_atomically(path, with_line_end(format_port_settings(settings), line_end_of(path)));
}
