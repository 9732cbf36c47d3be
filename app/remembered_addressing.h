#pragma once

#include <QByteArray>
#include <QString>

// How the operator last addressed the meter, kept for the next start in a
// file of its own beside settings.txt, whose eight lines stay as they are.
struct RememberedAddressing
{
    enum class Choice { none, address, serial };
    Choice choice = Choice::none;
    QString address; // as typed, checked only when used
    QString serial;
};

constexpr const char *addressing_file = "addressing.txt";

// "key=value" lines in UTF-8: addressing (address, serial or none), address,
// serial. Unknown keys, a damaged line or an unknown choice are passed over;
// a value longer than max_remembered_length or with control characters is
// dropped.
constexpr int max_remembered_length = 64;
RememberedAddressing parse_remembered_addressing(const QByteArray &content);
QByteArray format_remembered_addressing(const RememberedAddressing &addressing);

// Nothing remembered when the file is missing or unreadable.
RememberedAddressing load_remembered_addressing(const QString &path);
bool save_remembered_addressing(const QString &path, const RememberedAddressing &addressing);
