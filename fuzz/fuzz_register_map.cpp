// The register decoders with the data a poll step gets once check_answer has
// passed the answer (two bytes per register asked for), and the value
// decoders with any value.
#include "fuzz_check.h"
#include "model/quantity.h"

#include "meter/register_map.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);

    const int k = in.ConsumeIntegral<int>();
    const poll::Step &step = poll::step(k);
    FUZZ_CHECK(step.count <= 3);
    if (k >= 1 && k < poll::step_count)
        FUZZ_CHECK(step.count >= 1);

    const QByteArray d = to_bytes(in.ConsumeBytes<uint8_t>(2 * step.count));
    if (d.size() == 2 * step.count && step.count >= 1) {
        const quint16 w = word_at(d, 0);
        FUZZ_CHECK(w == (quint8(d[0]) << 8 | quint8(d[1])));
        quantity::software_version_text(quint8(d[0]), quint8(d[1]));
        quantity::software_identifier_text(quint8(d[0]), quint8(d[1]));
        if (step.count >= 2) {
            const qint32 dw = dword_at(d, 0);
            FUZZ_CHECK(quint16(dw) == w && quint16(quint32(dw) >> 16) == word_at(d, 2));
            FUZZ_CHECK(quantity::build_text(d, 0).size() == 8);
        }
        if (step.count >= 3)
            FUZZ_CHECK(quantity::serial_number(d).size() == 12);
    }

    const quint16 code = in.ConsumeIntegral<quint16>();
    const QString type = quantity::device_type_text(code);
    FUZZ_CHECK(type.startsWith(QString::number(code) + QLatin1Char(' ')));
    const int rate = exchange_rate_index(code);
    FUZZ_CHECK(rate >= -1 && rate <= 3);
    const int parity = parity_index(code);
    FUZZ_CHECK(parity >= -1 && parity < 6);
    if (parity >= 0)
        FUZZ_CHECK(parity_code(parity) == code);
    FUZZ_CHECK(parity_index(parity_code(in.ConsumeIntegral<int>())) >= 0);
    quantity::model_text(code, QString::fromUtf8(to_bytes(in.ConsumeBytes<uint8_t>(8))));
    FUZZ_CHECK(quantity::archived_event(code) == (code == 7 ? QStringLiteral("--") : QString::number(code)));

    const qint32 seconds = in.ConsumeIntegral<qint32>();
    FUZZ_CHECK(quantity::clock(seconds).size() == 19);
    FUZZ_CHECK((quantity::archived_clock(seconds) == QStringLiteral("--")) == (seconds < 0));

    const qint32 units = in.ConsumeIntegral<qint32>();
    const double factor = in.ConsumeFloatingPoint<double>();
    // Decimals come from a model factor's digits after the point; a few
    // hundred covers any table that fits the model file's cap and more.
    const int decimals = in.ConsumeIntegralInRange(0, 400);
    const QString volume = quantity::volume(units, VolumeScale{factor, decimals});
    // Only a positive factor scales; any other leaves the counts as they are.
    if (!VolumeScale{factor, decimals}.known())
        FUZZ_CHECK(volume == QString::number(units));
    else if (std::isfinite(double(units) * factor))
        FUZZ_CHECK(volume.size() > decimals);
    FUZZ_CHECK(!quantity::current_volume(units, VolumeScale{factor, decimals}).startsWith(QLatin1Char('-'))
               || factor < 0);
    FUZZ_CHECK((quantity::archived_volume(units, VolumeScale{factor, decimals}) == QStringLiteral("--"))
               == (units < 0));

    // Buffers of any length, not only the whole answers the poll passes.
    {
        const QByteArray any = to_bytes(in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange(0, 8)));
        const int offset = in.ConsumeIntegralInRange(-2, 8);
        word_at(any, offset);
        dword_at(any, offset);
        quantity::serial_number(any);
        quantity::build_text(any, offset);
    }
    return 0;
}
