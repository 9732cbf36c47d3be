// Archive answers cut into records, and each record decoded and turned into a
// table row.
#include "fuzz_check.h"

#include "archive/records.h"
#include "link/frames.h"
#include "model/archive_rows.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int version = in.ConsumeIntegralInRange(0, 4);
    const bool by_serial = in.ConsumeBool();
    // Mostly the geometry the archive window uses, sometimes any small one.
    const bool real = in.ConsumeBool();
    const int header = real ? modbus::archive_header_length(by_serial) : in.ConsumeIntegralInRange(0, 24);
    const int length = real ? arc::record_length(version) : in.ConsumeIntegralInRange(-2, 24);
    const double scale = in.ConsumeFloatingPoint<double>();
    const int decimals = in.ConsumeIntegralInRange(0, 12);

    QList<QByteArray> frames;
    const int frame_count = in.ConsumeIntegralInRange(0, 6);
    for (int i = 0; i < frame_count; ++i)
        frames.append(to_bytes(in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange(0, 300))));

    const QList<QByteArray> records = arc::split_records(frames, header, length);
    int expected = 0;
    for (const QByteArray &f : frames) {
        if (length > 0 && f.size() - 2 - header > 0)
            expected += (f.size() - 2 - header) / length;
    }
    FUZZ_CHECK(records.size() == expected);

    // Records come out in order, each a slice of its frame's payload.
    int r = 0;
    for (const QByteArray &f : frames) {
        for (int at = header; length > 0 && at + length <= f.size() - 2; at += length, ++r)
            FUZZ_CHECK(records.at(r) == f.mid(at, length));
    }

    for (int k = 0; k < records.size(); ++k) {
        const QByteArray &record = records.at(k);
        FUZZ_CHECK(record.size() == length);
        // Rows are only drawn from records of the version's own length.
        if (length != arc::record_length(version))
            continue;
        const arc::Record decoded = arc::decode_record(record, version);
        const QStringList row = arc::record_row(k, record, version, VolumeScale{scale, decimals});
        FUZZ_CHECK(row.size() == arc::column_count);
        FUZZ_CHECK(row.at(0) == QString::number(k));
        if (decoded.event == arc::event_empty) {
            for (int c = 1; c < arc::column_count; ++c)
                FUZZ_CHECK(row.at(c) == QStringLiteral("--"));
        } else {
            FUZZ_CHECK(row.at(3) == QString::number(decoded.event));
            FUZZ_CHECK((row.at(4) == QStringLiteral("--")) == (version != 3));
        }
        if (version != 3)
            FUZZ_CHECK(decoded.reverse_flow == 0);
    }

    // A record of any length, not only what split_records makes.
    {
        const QByteArray any = to_bytes(in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange(0, 16)));
        FUZZ_CHECK(arc::record_row(0, any, version, VolumeScale{scale, decimals}).size() == arc::column_count);
    }
    return 0;
}
