// settings.txt: any content parses, and what parse finds survives a save and
// a new start unchanged: parse(format(parse(x))) == parse(x). The first byte
// picks the local 8-bit encoding, as on a Linux or a Russian Windows desktop
// (Qt 5; Qt 6 has UTF-8 only).
#include "fuzz_check.h"

#include "config/port_settings.h"

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
#include <QTextCodec>
#endif

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int codec_choice = in.ConsumeIntegralInRange(0, 2);
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    static const char *const codecs[] = {"UTF-8", "windows-1251", "ISO-8859-1"};
    QTextCodec *codec = QTextCodec::codecForName(codecs[codec_choice]);
    FUZZ_CHECK(codec);
    QTextCodec::setCodecForLocale(codec);
#else
    Q_UNUSED(codec_choice);
#endif

    const QByteArray content = to_bytes(in.ConsumeRemainingBytes<uint8_t>());
    const PortSettings s = parse_port_settings(content);
    for (int period : {s.main_ok_ms, s.main_fail_ms, s.archive_ok_ms, s.archive_fail_ms})
        FUZZ_CHECK(period > 0);

    const QByteArray saved = format_port_settings(s);
    FUZZ_CHECK(saved.count('\n') == 8 && saved.endsWith('\n'));
    const PortSettings again = parse_port_settings(saved);
    if (again != s) {
        std::fprintf(stderr, "port name before %s\n           after  %s\n", s.port_name.toUtf8().toHex().constData(),
                     again.port_name.toUtf8().toHex().constData());
    }
    FUZZ_CHECK(again == s);
    FUZZ_CHECK(format_port_settings(again) == saved);
    return 0;
}
