#include "meter/model_table.h"

#include <QFile>
#include <QTextStream>

QStringList parse_model_fields(const QByteArray &content)
{
    QByteArray text = content;
    if (text.size() > max_model_file_bytes) {
        text.truncate(max_model_file_bytes);
        text.truncate(text.lastIndexOf('\n') + 1);
    }
    QStringList fields;
    QTextStream stream(text);
    stream.setCodec("System"); // the file is in the local 8-bit encoding
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
