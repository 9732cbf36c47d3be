// models_counter.csv: any content parses within the caps, and a lookup by any
// code, or by the code of any record in the table, finds a consistent answer.
#include "fuzz_check.h"
#include "model/quantity.h"

#include "meter/model_table.h"
#include "meter/register_map.h"

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
#include <QTextCodec>
#endif

#include <fuzzer/FuzzedDataProvider.h>

namespace {

void check_lookup(const QStringList &fields, int code, qint32 units)
{
    const ModelLookup found = lookup_model(fields, code);
    if (found.end != ModelLookup::End::matched) {
        FUZZ_CHECK(found.name.isEmpty() && found.factor == 0.0 && found.factor_decimals == 0);
        return;
    }
    // The first record with that code, and no empty code before it.
    int i = 5;
    while (i + 2 < fields.size() && !fields[i].isEmpty() && model_code_value(fields[i]) != code)
        i += 4;
    FUZZ_CHECK(i + 2 < fields.size() && !fields[i].isEmpty());
    FUZZ_CHECK(found.name == fields[i - 1]);
    const QString &factor = fields[i + 2];
    FUZZ_CHECK(found.factor_has_point == factor.contains(QLatin1Char('.')));
    FUZZ_CHECK(found.factor_decimals >= 0 && found.factor_decimals <= qMax(0, factor.size() - 1));
    quantity::volume(units, VolumeScale{found.factor, found.factor_decimals});
    quantity::model_text(quint16(code), found.name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    // The first byte picks the local 8-bit encoding; Qt 6 has UTF-8 only.
    const int codec_choice = in.ConsumeIntegralInRange(0, 2);
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    static const char *const codecs[] = {"UTF-8", "windows-1251", "ISO-8859-1"};
    QTextCodec::setCodecForLocale(QTextCodec::codecForName(codecs[codec_choice]));
#else
    Q_UNUSED(codec_choice);
#endif
    const int code = in.ConsumeIntegral<int>();
    const qint32 units = in.ConsumeIntegral<qint32>();

    const QByteArray content = to_bytes(in.ConsumeRemainingBytes<uint8_t>());
    const QStringList fields = parse_model_fields(content);
    FUZZ_CHECK(fields.size() <= max_model_fields);
    FUZZ_CHECK(fields.size() <= content.size() + 1);

    check_lookup(fields, code, units);
    // Every record's own code finds a record (maybe an earlier one with the same code).
    for (int i = 5; i + 2 < fields.size() && i < 5 + 4 * 64; i += 4) {
        if (fields[i].isEmpty())
            break;
        const int own = model_code_value(fields[i]);
        FUZZ_CHECK(lookup_model(fields, own).end == ModelLookup::End::matched);
        check_lookup(fields, own, units);
    }

    // Upper-case hex codes read as hex, whatever comes before the last "x".
    const QString hex = QString::number(quint32(code) & 0xFFFFFFF, 16).toUpper();
    FUZZ_CHECK(model_code_value(hex) == int(quint32(code) & 0xFFFFFFF));
    FUZZ_CHECK(model_code_value(QStringLiteral("zz0x") + hex) == int(quint32(code) & 0xFFFFFFF));
    return 0;
}
