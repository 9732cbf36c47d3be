#pragma once

#include <QByteArray>
#include <QString>

// How the operator last addressed the meter, kept for the next start in the
// side settings file (config/side_settings.h).
struct RememberedAddressing
{
    enum class Choice { none, address, serial };
    Choice choice = Choice::none;
    QString address; // as typed, checked only when used
    QString serial;
};

// Keys: addressing (address, serial or none), address, serial. Other keys, a
// damaged line or an unknown choice are passed over.
RememberedAddressing parse_remembered_addressing(const QByteArray &content);
QByteArray format_remembered_addressing(const RememberedAddressing &addressing);

// Nothing remembered when the file is missing or unreadable.
RememberedAddressing load_remembered_addressing(const QString &path);
// Replaces the three keys and keeps the file's other lines.
bool save_remembered_addressing(const QString &path, const RememberedAddressing &addressing);
