#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

// addressing.txt, beside settings.txt (whose eight lines stay as they are),
// holds "key=value" lines in UTF-8 for several owners: the addressing of the
// last session, the network line, the journal's connection. Each owner reads
// the keys it knows and, when it saves, replaces only those, so one owner's
// save never loses another's lines.
using SideSettings = QMap<QString, QString>;

constexpr const char *side_settings_file = "addressing.txt";

// A line without '=', with an empty key, or whose value is longer than
// max_side_value_length or holds control characters is passed over.
constexpr int max_side_value_length = 64;
bool acceptable_side_value(const QString &value);
SideSettings parse_side_settings(const QByteArray &content);
QByteArray format_side_settings(const SideSettings &settings);

// Nothing when the file is missing or unreadable.
SideSettings load_side_settings(const QString &path);
// Replaces the keys of `changes` in the file and keeps every other line and
// the file's line ends; written atomically.
bool update_side_settings(const QString &path, const SideSettings &changes);
