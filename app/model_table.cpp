#include "app/model_table.h"

#include <QFile>
#include <QTextStream>

QStringList parse_model_fields(const QByteArray &content)
{
    QStringList fields;
    QTextStream stream(content);
    stream.setCodec("System"); // the file is in the local 8-bit encoding
    while (!stream.atEnd())
        fields += stream.readLine().split(QLatin1Char(','));
    return fields;
}

bool load_model_table(const QString &path, QStringList &fields)
{
    fields.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    fields = parse_model_fields(file.readAll());
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
