#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// models_counter.csv is read as one flat list of every comma-separated field
// of every line. Records are four fields (name, code, unused, volume factor)
// after a four-field header; a line with more or fewer fields shifts every
// later record, as the meter software's own tools expect of this file.
//
// A real table lists a few hundred models. A damaged or foreign file must not
// exhaust memory or stall the start, so only its first max_model_file_bytes
// count, and fields stop at max_model_fields (10,000 models). Past either cap
// whole lines are dropped, never part of one: a cut line could yield a wrong
// factor.
constexpr int max_model_file_bytes = 1024 * 1024;
constexpr int max_model_fields = 40000;
QStringList parse_model_fields(const QByteArray &content);

// The file's text: UTF-8 when it starts with a UTF-8 byte order mark or is
// well-formed UTF-8 (as in the repository), otherwise Windows-1251 (as the
// meter's older tools write it on a Russian Windows). The same on every
// system, whatever its local 8-bit encoding.
QString decode_model_text(const QByteArray &content);

// False when the file cannot be opened; `fields` is then left empty. Reads no
// more of the file than the cap.
bool load_model_table(const QString &path, QStringList &fields);

// The code field as a number: scanned from its last character backwards up to
// the first "x"; "0"-"9" and "A"-"F" are digits, anything else counts 0
// (so "0x1A" and "1A" are 26, "0X1A" too, and "1a" is 16).
int model_code_value(const QString &field);

struct ModelLookup
{
    enum class End { matched, empty_code, not_found };
    End end = End::not_found;
    QString name;
    double factor = 0.0; // volume factor: cubic metres per counted unit
    bool factor_has_point = false;
    int factor_decimals = 0; // digits after the last "." of the factor field
};

ModelLookup lookup_model(const QStringList &fields, int model_code);
