#include "meter/model_table.h"

#include <QFile>
#include <QTextStream>

namespace {

// Windows-1251, 0x80 to 0xFF; 0x98 is unassigned. 0xC0 to 0xFF are
// U+0410 to U+044F in order and are computed.
// clang-format off
const char16_t cp1251_upper[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};
// clang-format on

QString decode_cp1251(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char c : bytes) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b < 0x80)
            *out++ = QChar(b);
        else if (b < 0xC0)
            *out++ = QChar(cp1251_upper[b - 0x80]);
        else
            *out++ = QChar(ushort(0x0410 + (b - 0xC0)));
    }
    return text;
}

// Well-formed UTF-8 only: no overlong forms, surrogates or code points past
// U+10FFFF, so that a Windows-1251 file is never taken for UTF-8.
bool is_utf8(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const auto *end = p + bytes.size();
    while (p < end) {
        const unsigned char b = *p++;
        if (b < 0x80)
            continue;
        int more = 0;
        unsigned char low = 0x80, high = 0xBF; // allowed range of the 2nd byte
        if (b >= 0xC2 && b <= 0xDF) {
            more = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            more = 2;
            if (b == 0xE0)
                low = 0xA0;
            else if (b == 0xED)
                high = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            more = 3;
            if (b == 0xF0)
                low = 0x90;
            else if (b == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (end - p < more || *p < low || *p > high)
            return false;
        ++p;
        for (int i = 1; i < more; ++i, ++p) {
            if ((*p & 0xC0) != 0x80)
                return false;
        }
    }
    return true;
}

} // namespace

QString decode_model_text(const QByteArray &content)
{
    // UTF-8 up to the first NUL byte, as Qt 5 decodes a QByteArray (Qt 6
    // reads past it).
    static const QByteArray bom("\xEF\xBB\xBF");
    if (content.startsWith(bom))
        return QString::fromUtf8(content.constData() + bom.size());
    if (is_utf8(content))
        return QString::fromUtf8(content.constData());
    return decode_cp1251(content);
}

QStringList parse_model_fields(const QByteArray &content)
{
    QByteArray text = content;
    if (text.size() > max_model_file_bytes) {
        text.truncate(max_model_file_bytes);
        text.truncate(text.lastIndexOf('\n') + 1);
    }
    QStringList fields;
    QString decoded = decode_model_text(text);
    QTextStream stream(&decoded, QIODevice::ReadOnly);
    while (!stream.atEnd()) {
        const QString line = stream.readLine();
        // Counted before splitting: a line of a million commas is never split.
        if (fields.size() + line.count(QLatin1Char(',')) + 1 > max_model_fields)
            break;
        fields += line.split(QLatin1Char(','));
    }
    return fields;
}

bool load_model_table(const QString &path, QStringList &fields)
{
    fields.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    // One byte past the cap tells parse_model_fields that the file goes on.
    fields = parse_model_fields(file.read(max_model_file_bytes + 1));
    return true;
}

int model_code_value(const QString &field)
{
    int value = 0;
    int weight = 1;
    for (int i = field.size() - 1; i >= 0; --i) {
        const ushort c = field[i].unicode();
        if (c == 'x')
            break;
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        // Unsigned arithmetic: a long field wraps instead of overflowing.
        value = int(unsigned(value) + unsigned(digit) * unsigned(weight));
        weight = int(unsigned(weight) * 16u);
    }
    return value;
}

ModelLookup lookup_model(const QStringList &fields, int model_code)
{
    ModelLookup result;
    // Field i is a record's code: its name is i-1 and its factor i+2.
    // A last record cut short is taken as absent.
    for (int i = 5; i < fields.size(); i += 4) {
        if (fields[i].isEmpty()) {
            result.end = ModelLookup::End::empty_code;
            return result;
        }
        if (i + 2 >= fields.size())
            break;
        if (model_code_value(fields[i]) != model_code)
            continue;
        const QString &factor = fields[i + 2];
        result.end = ModelLookup::End::matched;
        result.name = fields[i - 1];
        result.factor = factor.toDouble();
        const int point = factor.lastIndexOf(QLatin1Char('.'));
        result.factor_has_point = point >= 0;
        if (point >= 0)
            result.factor_decimals = factor.size() - point - 1;
        return result;
    }
    return result;
}
