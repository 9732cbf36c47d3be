#include "slave.h"

#include <utility>

namespace sim {

namespace {

// Serial-number frames: 0xFD in place of the address, the function code,
// then six serial bytes before the same fields a device-address frame has.
constexpr quint8 serial_marker = 0xFD;
constexpr int serial_header = 8;
constexpr int device_header = 2;
// An RTU frame is at most 256 bytes.
constexpr int max_frame = 256;

enum class op { read, write_one, write_many, archive, unknown };

op operation(quint8 function, bool by_serial)
{
    switch (function) {
    case 0x03: return by_serial ? op::unknown : op::read;
    case 0x06: return by_serial ? op::unknown : op::write_one;
    case 0x10: return by_serial ? op::unknown : op::write_many;
    case 0x44: return by_serial ? op::unknown : op::archive;
    case 0x41: return by_serial ? op::read : op::unknown;
    case 0x42: return by_serial ? op::write_one : op::unknown;
    case 0x43: return by_serial ? op::write_many : op::unknown;
    case 0x45: return by_serial ? op::archive : op::unknown;
    default: return op::unknown;
    }
}

quint16 word_at(const QByteArray &b, int i)
{
    return quint16((quint8(b.at(i)) << 8) | quint8(b.at(i + 1)));
}

void append_word(QByteArray *b, quint16 v)
{
    b->append(char(v >> 8));
    b->append(char(v & 0xFF));
}

QByteArray exception_answer(const QByteArray &frame, int code)
{
    QByteArray b;
    b.append(frame.at(0));
    b.append(char(quint8(frame.at(1)) | 0x80));
    b.append(char(code));
    return with_crc(b);
}

int forced(const meter &m, quint16 first, int count)
{
    for (int i = 0; i < count; ++i) {
        const auto it = m.forced_exceptions.constFind(quint16(first + i));
        if (it != m.forced_exceptions.constEnd())
            return it.value();
    }
    return no_exception;
}

// The fields after the address part, checked against the layout; empty
// when the frame does not fit it.
bool fields_fit(op what, const QByteArray &fields)
{
    switch (what) {
    case op::read:
    case op::write_one:
    case op::archive: return fields.size() == 4;
    case op::write_many: return fields.size() >= 5 && fields.size() == 5 + quint8(fields.at(4));
    default: return false;
    }
}

// Applies a write to one meter: 0 or an exception code. Multiple-register
// writes are checked whole before anything is stored.
int apply_write(meter *m, op what, const QByteArray &fields)
{
    const quint16 reg = word_at(fields, 0);
    if (what == op::write_one) {
        if (const int code = forced(*m, reg, 1))
            return code;
        return m->write(reg, word_at(fields, 2));
    }
    const int count = word_at(fields, 2);
    const int bytes = quint8(fields.at(4));
    if (count < 1 || count > 123 || bytes != 2 * count || reg + count > 0x10000)
        return illegal_value;
    if (const int code = forced(*m, reg, count))
        return code;
    for (int i = 0; i < count; ++i) {
        if (const int code = m->check_write(quint16(reg + i), word_at(fields, 5 + 2 * i)))
            return code;
    }
    for (int i = 0; i < count; ++i)
        m->write(quint16(reg + i), word_at(fields, 5 + 2 * i));
    return no_exception;
}

QByteArray answer_for(meter *m, op what, const QByteArray &frame, int header_size, QString *note)
{
    const QByteArray header = frame.left(header_size);
    const QByteArray fields = frame.mid(header_size, frame.size() - header_size - 2);
    if (what == op::unknown) {
        *note = QStringLiteral("unknown function 0x%1").arg(quint8(frame.at(1)), 2, 16, QLatin1Char('0'));
        return exception_answer(frame, illegal_function);
    }
    if (!fields_fit(what, fields)) {
        *note = QStringLiteral("fields do not fit the function");
        return exception_answer(frame, illegal_value);
    }
    const quint16 reg = word_at(fields, 0);
    switch (what) {
    case op::read: {
        const int count = word_at(fields, 2);
        *note = QStringLiteral("read 0x%1 x%2").arg(reg, 4, 16, QLatin1Char('0')).arg(count);
        if (count < 1 || count > 125 || reg + count > 0x10000)
            return exception_answer(frame, illegal_value);
        if (const int code = forced(*m, reg, count))
            return exception_answer(frame, code);
        QByteArray answer = header;
        answer.append(char(2 * count));
        for (int i = 0; i < count; ++i) {
            const quint16 r = quint16(reg + i);
            if (!m->has_register(r)) {
                *note += QStringLiteral(": no register 0x%1").arg(r, 4, 16, QLatin1Char('0'));
                return exception_answer(frame, illegal_address);
            }
            append_word(&answer, m->read(r));
        }
        return with_crc(answer);
    }
    case op::write_one:
    case op::write_many: {
        *note = QStringLiteral("write 0x%1").arg(reg, 4, 16, QLatin1Char('0'));
        if (const int code = apply_write(m, what, fields))
            return exception_answer(frame, code);
        if (what == op::write_one)
            return frame; // the standard answer is the request itself
        QByteArray answer = header;
        answer.append(fields.left(4));
        return with_crc(answer);
    }
    case op::archive: {
        const int type = quint8(fields.at(0));
        const int index = word_at(fields, 1);
        const int count = quint8(fields.at(3));
        *note = QStringLiteral("archive %1 from %2 x%3").arg(type).arg(index).arg(count);
        if (type < 1 || type > 3)
            return exception_answer(frame, illegal_address);
        if (count < 1)
            return exception_answer(frame, illegal_value);
        if (index + count > m->archive_depth(type))
            return exception_answer(frame, illegal_address);
        if (header_size + 4 + count * m->record_size() + 2 > max_frame)
            return exception_answer(frame, illegal_value);
        QByteArray answer = frame.left(frame.size() - 2);
        for (int i = 0; i < count; ++i)
            answer += m->record_bytes(type, index + i);
        return with_crc(answer);
    }
    default: return exception_answer(frame, illegal_function);
    }
}

} // namespace

quint16 crc16(const QByteArray &bytes)
{
    quint16 crc = 0xFFFF;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? quint16((crc >> 1) ^ 0xA001) : quint16(crc >> 1);
    }
    return crc;
}

QByteArray with_crc(QByteArray frame)
{
    const quint16 crc = crc16(frame);
    frame.append(char(crc & 0xFF));
    frame.append(char(crc >> 8));
    return frame;
}

bool crc_ok(const QByteArray &frame)
{
    if (frame.size() < 3)
        return false;
    const quint16 crc = crc16(frame.left(frame.size() - 2));
    return quint8(frame.at(frame.size() - 2)) == (crc & 0xFF) && quint8(frame.at(frame.size() - 1)) == (crc >> 8);
}

QString hex(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size() * 3);
    for (int i = 0; i < bytes.size(); ++i) {
        if (i)
            text += QLatin1Char(' ');
        text += QStringLiteral("%1").arg(quint8(bytes.at(i)), 2, 16, QLatin1Char('0'));
    }
    return text;
}

QStringList words_of(const QString &text)
{
    const QString simple = text.simplified();
    return simple.isEmpty() ? QStringList() : simple.split(QLatin1Char(' '));
}

bool parse_hex(const QString &text, QByteArray *bytes)
{
    QByteArray out;
    for (const QString &word : words_of(text)) {
        bool ok = false;
        const uint v = word.toUInt(&ok, 16);
        if (!ok || v > 0xFF || word.size() > 2)
            return false;
        out.append(char(v));
    }
    *bytes = out;
    return true;
}

int request_length(const QByteArray &buffer)
{
    if (buffer.size() < 2)
        return 0;
    const bool by_serial = quint8(buffer.at(0)) == serial_marker;
    const int header = by_serial ? serial_header : device_header;
    switch (operation(quint8(buffer.at(1)), by_serial)) {
    case op::read:
    case op::write_one:
    case op::archive: return header + 4 + 2;
    case op::write_many:
        // reg, count, byte count, then the data.
        if (buffer.size() < header + 5)
            return 0;
        return header + 5 + quint8(buffer.at(header + 4)) + 2;
    default: return -1;
    }
}

handled handle_request(QVector<meter> *meters, const QByteArray &frame)
{
    handled h;
    if (frame.size() < 4)
        return h;
    const quint8 first = quint8(frame.at(0));
    const bool by_serial = first == serial_marker;
    const op what = operation(quint8(frame.at(1)), by_serial);

    if (by_serial) {
        if (frame.size() < serial_header + 2) {
            h.note = QStringLiteral("too short for a serial-number frame");
            return h;
        }
        const QByteArray serial = frame.mid(2, 6);
        for (int i = 0; i < meters->size(); ++i) {
            if (meters->at(i).serial_wire() == serial) {
                h.to = destination::meter;
                h.meter = i;
                break;
            }
        }
        if (h.to == destination::other) {
            h.note = QStringLiteral("serial %1 is not on this line").arg(hex(serial));
            return h;
        }
    } else if (first == 0) {
        h.to = destination::broadcast;
        if (what != op::write_one && what != op::write_many) {
            h.note = QStringLiteral("broadcast, not a write: ignored");
            return h;
        }
        const QByteArray fields = frame.mid(device_header, frame.size() - device_header - 2);
        if (!fields_fit(what, fields)) {
            h.note = QStringLiteral("broadcast with fields that do not fit");
            return h;
        }
        QStringList results;
        for (meter &m : *meters)
            results.append(QString::number(apply_write(&m, what, fields)));
        h.note = QStringLiteral("broadcast write 0x%1, codes %2")
                     .arg(word_at(fields, 0), 4, 16, QLatin1Char('0'))
                     .arg(results.join(QLatin1Char(',')));
        return h;
    } else {
        QVector<int> there;
        for (int i = 0; i < meters->size(); ++i) {
            if (meters->at(i).address == first)
                there.append(i);
        }
        if (there.isEmpty()) {
            h.note = QStringLiteral("address %1 is not on this line").arg(first);
            return h;
        }
        h.to = destination::meter;
        h.meter = there.first();
        if (there.size() > 1) {
            // New meters on their shared factory address all act on the frame
            // and answer at once; where their bits differ, the driver pulling
            // the pair low wins. Identical answers come through whole.
            QStringList notes;
            for (int i : std::as_const(there)) {
                QString note;
                const QByteArray answer = answer_for(&(*meters)[i], what, frame, device_header, &note);
                notes.append(QStringLiteral("meter %1: %2").arg(i + 1).arg(note));
                if (h.answer.isEmpty()) {
                    h.answer = answer;
                    continue;
                }
                for (int k = 0; k < answer.size(); ++k) {
                    if (k < h.answer.size())
                        h.answer[k] = char(quint8(h.answer[k]) & quint8(answer[k]));
                    else
                        h.answer.append(answer[k]);
                }
            }
            h.note = QStringLiteral("address %1 shared, answers collide; %2")
                         .arg(first)
                         .arg(notes.join(QStringLiteral("; ")));
            return h;
        }
    }

    meter &m = (*meters)[h.meter];
    h.answer = answer_for(&m, what, frame, by_serial ? serial_header : device_header, &h.note);
    h.note = QStringLiteral("meter %1: %2").arg(h.meter + 1).arg(h.note);
    if (h.answer.size() == 5 && (quint8(h.answer.at(1)) & 0x80))
        h.note += QStringLiteral(", exception %1").arg(quint8(h.answer.at(2)));
    return h;
}

int request_register(const QByteArray &request)
{
    if (request.size() < 2)
        return -1;
    const bool by_serial = quint8(request[0]) == 0xFD;
    const quint8 function = quint8(request[1]);
    if (function == 0x44 || function == 0x45)
        return -1;
    const int at = by_serial ? 8 : 2;
    if (request.size() < at + 2)
        return -1;
    return quint8(request[at]) << 8 | quint8(request[at + 1]);
}

} // namespace sim
