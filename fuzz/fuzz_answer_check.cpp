// check_answer against requests built by link/frames.h: raw answers, answers
// with a correct CRC, well-formed answers and well-formed answers with one bit
// flipped.
#include "fuzz_check.h"

#include "archive/records.h"
#include "link/answer_check.h"
#include "link/crc.h"
#include "link/frames.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

struct Request
{
    QByteArray frame;
    int expected_length = 0;
    int registers = -1; // register reads only
};

Request make_request(FuzzedDataProvider &in, const MeterTarget &t)
{
    Request r;
    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0: {
        const quint16 reg = in.ConsumeIntegral<quint16>();
        const quint16 count
            = in.ConsumeBool() ? in.ConsumeIntegralInRange<quint16>(1, 125) : in.ConsumeIntegral<quint16>();
        r.frame = modbus::read_registers_request(t, reg, count);
        r.expected_length = modbus::read_answer_length(t.by_serial, count);
        r.registers = count;
        break;
    }
    case 1: {
        // One statement per value: the order the bytes are taken in is fixed.
        const quint16 reg = in.ConsumeIntegral<quint16>();
        const quint16 value = in.ConsumeIntegral<quint16>();
        r.frame = modbus::write_register_request(t, reg, value);
        r.expected_length = modbus::write_answer_length(t.by_serial);
        break;
    }
    case 2: {
        const quint16 reg = in.ConsumeIntegral<quint16>();
        const quint32 value = in.ConsumeIntegral<quint32>();
        r.frame = modbus::write_two_registers_request(t, reg, value);
        r.expected_length = modbus::write_answer_length(t.by_serial);
        break;
    }
    default: {
        const quint8 count = in.ConsumeIntegralInRange<quint8>(0, 20);
        const quint8 type = in.ConsumeIntegral<quint8>();
        const quint16 index = in.ConsumeIntegral<quint16>();
        const int version = in.ConsumeBool() ? 2 : 3;
        r.frame = modbus::archive_block_request(t, type, index, count);
        r.expected_length = modbus::archive_answer_length(t.by_serial, count, arc::record_length(version));
        break;
    }
    }
    return r;
}

// What an ok must guarantee to the sequences that read the answer's fields.
void check_verdict(const QByteArray &answer, const QByteArray &request, int expected_length, int registers)
{
    const AnswerStatus status = check_answer(answer, request, expected_length);
    FUZZ_CHECK(answer_status_name(status) != nullptr);
    if (status == AnswerStatus::exception) {
        FUZZ_CHECK(is_exception_answer(answer));
        FUZZ_CHECK(answer[0] == request[0]);
        FUZZ_CHECK(exception_code(answer) == quint8(answer[2]));
        exception_message(exception_code(answer));
    }
    if (!crc_matches(answer))
        FUZZ_CHECK(status != AnswerStatus::ok && status != AnswerStatus::exception);
    if (status != AnswerStatus::ok)
        return;
    FUZZ_CHECK(answer.size() == expected_length);
    FUZZ_CHECK(crc_matches(answer));
    FUZZ_CHECK(answer.size() >= 2 && request.size() >= 2);
    FUZZ_CHECK(answer[0] == request[0] && answer[1] == request[1]);
    const bool by_serial = quint8(request[0]) == modbus::serial_address;
    if (by_serial)
        FUZZ_CHECK(answer.size() >= 8 && answer.mid(2, 6) == request.mid(2, 6));
    if (registers >= 0) {
        const int at = modbus::address_part_length(by_serial);
        FUZZ_CHECK(answer.size() > at && quint8(answer[at]) == 2 * registers);
        FUZZ_CHECK(answer.size() == modbus::read_answer_length(by_serial, registers));
    }
}

// The answer a meter would give: the request's address part, the byte count
// of a register read, then any bytes, and the CRC.
QByteArray well_formed(FuzzedDataProvider &in, const Request &r, bool by_serial)
{
    const int address_part = modbus::address_part_length(by_serial);
    QByteArray answer = r.frame.left(address_part);
    if (r.registers >= 0)
        answer.append(char(2 * r.registers));
    const int body = r.expected_length - 2;
    while (answer.size() < body)
        answer.append(char(in.ConsumeIntegral<quint8>()));
    return with_crc(answer);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int mode = in.ConsumeIntegralInRange(0, 4);
    if (mode == 4) {
        // Any request bytes and length: no crash, and an ok still means a whole, checked frame.
        const QByteArray request = to_bytes(in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange(0, 16)));
        const int expected = in.ConsumeIntegralInRange(-4, 300);
        const QByteArray answer = to_bytes(in.ConsumeRemainingBytes<uint8_t>());
        check_verdict(answer, request, expected, -1);
        return 0;
    }

    MeterTarget t;
    t.by_serial = in.ConsumeBool();
    // The addresses the operator can enter (parse_device_address); 0xFD means by serial number.
    t.address = in.ConsumeIntegralInRange<quint8>(1, 247);
    for (quint8 &b : t.serial)
        b = in.ConsumeIntegral<quint8>();
    const Request r = make_request(in, t);
    FUZZ_CHECK(crc_matches(r.frame));

    switch (mode) {
    case 0:
        check_verdict(to_bytes(in.ConsumeRemainingBytes<uint8_t>()), r.frame, r.expected_length, r.registers);
        break;
    case 1:
        check_verdict(with_crc(to_bytes(in.ConsumeRemainingBytes<uint8_t>())), r.frame, r.expected_length, r.registers);
        break;
    default: {
        const bool flip = mode == 3;
        const int bit = in.ConsumeIntegral<int>();
        if (r.registers > 125)
            return 0; // no byte count fits
        QByteArray answer = well_formed(in, r, t.by_serial);
        const AnswerStatus status = check_answer(answer, r.frame, r.expected_length);
        FUZZ_CHECK(status == AnswerStatus::ok);
        if (flip) {
            // CRC-16 catches every single-bit error.
            const int at = int(unsigned(bit) % unsigned(answer.size() * 8));
            answer[at / 8] = char(quint8(answer[at / 8]) ^ (1u << (at % 8)));
            FUZZ_CHECK(check_answer(answer, r.frame, r.expected_length) != AnswerStatus::ok);
        }
        check_verdict(answer, r.frame, r.expected_length, r.registers);
        break;
    }
    }
    return 0;
}
