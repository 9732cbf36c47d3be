#!/usr/bin/env python3
"""Writes the seed inputs of fuzz/corpus/: python3 fuzz/make_corpus.py

The harnesses read their inputs through libFuzzer's FuzzedDataProvider: byte
strings from the front, numbers from the back (last byte first, most
significant first). Seed builds an input the same way, so each seed is a real
frame, settings.txt or models_counter.csv with its choices appended.
Regression inputs of past findings live beside the seeds (regress-*) and are
not written here.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


class Seed:
    def __init__(self):
        self.front = b""
        self.back = b""  # in the order consumed

    def num(self, value, lo, hi):
        """ConsumeIntegralInRange(lo, hi) that yields value."""
        span = hi - lo
        raw = value - lo
        width = 0
        while width < 8 and (span >> (8 * width)) > 0:
            width += 1
        self.back += raw.to_bytes(width, "big") if width else b""
        return self

    def bool(self, value):
        return self.num(int(value), 0, 255)

    def u8(self, v): return self.num(v, 0, 0xFF)
    def u16(self, v): return self.num(v, 0, 0xFFFF)
    def u32(self, v): return self.num(v, 0, 0xFFFFFFFF)
    def i32(self, v): return self.num(v, -2**31, 2**31 - 1)

    def double(self, upper_half, fraction):
        """ConsumeFloatingPoint<double>: a half of the range, then a fraction of it."""
        self.bool(upper_half)
        return self.num(int(fraction * 0xFFFFFFFFFFFFFFFF), 0, 0xFFFFFFFFFFFFFFFF)

    def bytes(self, b):
        self.front += b
        return self

    def data(self):
        return self.front + self.back[::-1]


def crc16(frame):
    crc = 0xFFFF
    for b in frame:
        crc ^= b
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return frame + bytes([crc & 0xFF, crc >> 8])


def write(harness, name, data):
    folder = os.path.join(HERE, "corpus", harness)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


SERIAL = [0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC]  # b1..b6
SERIAL_WIRE = bytes([SERIAL[i] for i in (4, 5, 2, 3, 0, 1)])


def target(seed, by_serial, address=1):
    seed.bool(by_serial).num(address, 1, 247)
    for b in SERIAL:
        seed.u8(b)
    return seed


def answer_check():
    # A register read by address: protocol version 3.
    s = target(Seed().num(0, 0, 4), False).num(0, 0, 3).u16(0x0009).bool(True).num(1, 1, 125)
    write("answer_check", "read-by-address", s.bytes(crc16(bytes([1, 3, 2, 0, 3]))).data())
    # The serial number read by serial number.
    s = target(Seed().num(0, 0, 4), True).num(0, 0, 3).u16(0x0004).bool(True).num(3, 1, 125)
    write("answer_check", "read-by-serial",
          s.bytes(crc16(bytes([0xFD, 0x41]) + SERIAL_WIRE + bytes([6]) + SERIAL_WIRE)).data())
    # A one-register write, echoed.
    s = target(Seed().num(0, 0, 4), False, 7).num(1, 0, 3).u16(0x0300).u16(5)
    write("answer_check", "write-echo", s.bytes(crc16(bytes([7, 6, 3, 0, 0, 5]))).data())
    # An exception answer to a two-register write.
    s = target(Seed().num(0, 0, 4), False).num(2, 0, 3).u16(0x1000).u32(0x65000000)
    write("answer_check", "exception", s.bytes(crc16(bytes([1, 0x90, 2]))).data())
    # Two version-2 archive records.
    s = target(Seed().num(0, 0, 4), False).num(3, 0, 3).num(2, 0, 20).u8(1).u16(0).bool(True)
    records = bytes.fromhex("00000165 00000064 0000") + bytes.fromhex("00000266 000000c8 0007")
    write("answer_check", "archive-v2", s.bytes(crc16(bytes([1, 0x44, 1, 0, 0, 2]) + records)).data())
    # A well-formed answer with one bit flipped.
    s = target(Seed().num(3, 0, 4), False).num(0, 0, 3).u16(0x1000).bool(True).num(2, 1, 125).i32(13)
    for b in bytes([0x12, 0x34, 0x56, 0x78]):
        s.u8(b)
    write("answer_check", "bit-flip", s.data())
    # Any request bytes.
    s = Seed().num(4, 0, 4).num(8, 0, 16).bytes(bytes([1, 3, 0, 9, 0, 1, 0x54, 0x08])).num(7, -4, 300)
    write("answer_check", "raw-request", s.bytes(crc16(bytes([1, 3, 2, 0, 3]))).data())


def register_map():
    def step(k, data, code, seconds, units, decimals):
        s = Seed().i32(k).bytes(data).u16(code).i32(0x0201).bytes(b"Model-A\0")
        return s.i32(seconds).i32(units).double(True, 0.5).num(decimals, 0, 400).data()
    write("register_map", "version", step(1, bytes([0, 3]), 3, 0, 0, 0))
    write("register_map", "serial", step(8, bytes([0x9A, 0xBC, 0x56, 0x78, 0x12, 0x00]), 7, 1, 1, 3))
    write("register_map", "time", step(13, bytes([0x5C, 0x00, 0x65, 0xB8]), 0x0202, 1700000000, 12345, 3))
    write("register_map", "build", step(30, bytes([0x30, 0x01, 0x24, 0x20]), 16, -1, -1, 6))


def archive_records():
    def archive(version, by_serial, frames, decimals=3):
        s = Seed().num(version, 0, 4).bool(by_serial).bool(True).double(True, 0.5)
        s.num(decimals, 0, 12).num(len(frames), 0, 6)
        for f in frames:
            s.num(len(f), 0, 300).bytes(f)
        return s.data()
    v2 = bytes.fromhex("65b8a000 00000064 0000") + bytes.fromhex("ffffffff ffffffff 0007")
    write("archive_records", "v2-by-address",
          archive(2, False, [crc16(bytes([1, 0x44, 1, 0, 0, 2]) + v2)]))
    v3 = bytes.fromhex("65b8a000 00000064 0003 0000000a")
    write("archive_records", "v3-by-serial",
          archive(3, True, [crc16(bytes([0xFD, 0x45]) + SERIAL_WIRE + bytes([2, 0, 5, 1]) + v3),
                            crc16(bytes([0xFD, 0x45]) + SERIAL_WIRE + bytes([2, 0, 6, 1]) + v3[:7])]))


def port_settings():
    write("port_settings", "linux", b"/dev/ttyUSB0\n9600\n1\n300\n1000\n700\n2000\n0\n" + b"\0")
    write("port_settings", "windows-crlf", b"COM3\r\n2400\r\n2\r\n250\r\n900\r\n600\r\n1500\r\n1\r\n" + b"\1")
    write("port_settings", "short", b"COM12\n19200\n" + b"\2")


def model_table():
    csv = open(os.path.join(HERE, "..", "models_counter.csv"), "rb").read()
    def table(content, code, units, codec=0):
        return Seed().num(codec, 0, 2).i32(code).i32(units).bytes(content).data()
    write("model_table", "repository-table", table(csv, 0x1A, 123456))
    write("model_table", "small", table(b"Model,Code,Note,Factor\nN,1A2B,x,0.001\nM,0x20,,10\n", 0x1A2B, 1000))
    write("model_table", "cp1251-crlf",
          table("Модель,Код,Примечание,Множитель\r\nСВ-15,2F,,0.0001\r\n".encode("cp1251"), 0x2F, 99, 1))


def receive_path():
    # Flags, registers per read, then pieces (a length byte, the bytes; 0 ends
    # the connection). The run reads 2 registers at a time from address 1,
    # register 0 first; the meter's answers carry 4 data bytes.
    def pieces(*chunks):
        out = b""
        for c in chunks:
            out += bytes([len(c)]) + c
        return out
    request = crc16(bytes([1, 3, 0, 0, 0, 2]))
    answers = [crc16(bytes([1, 3, 4, 0, k, 0x12, 0x34])) for k in range(3)]
    head = bytes([1, 1])  # waits and resends; 2 registers
    write("receive_path", "answers-whole", head + pieces(*answers))
    write("receive_path", "answer-byte-by-byte", head + pieces(*[bytes([b]) for b in answers[0]]))
    write("receive_path", "echo-then-answer", head + pieces(request, answers[0]))
    write("receive_path", "late-bytes-in-front", bytes([2 | 0, 1]) + pieces(b"\x01\x03\x04", answers[0]))
    write("receive_path", "server-line-flood", bytes([4 | 1, 1]) + pieces(*([bytes(range(255))] * 8)) + pieces(answers[0]))
    write("receive_path", "drop-mid-answer", head + pieces(answers[0][:3], b"", answers[0][3:]))
    write("receive_path", "exception", bytes([0, 1]) + pieces(crc16(bytes([1, 0x83, 2]))))


if __name__ == "__main__":
    answer_check()
    register_map()
    archive_records()
    port_settings()
    model_table()
    receive_path()
