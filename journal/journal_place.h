#pragma once

#include "journal/journal_store.h"

#include <QPair>
#include <QString>
#include <QStringList>
#include <optional>

// Where the journal is, as the operator names it. Widget-free: the windows
// and the collector share it; model/journal_texts says it in words.

namespace journal {

constexpr const char *password_variable = "METER_JOURNAL_PASSWORD";

// Why a text names no journal (model/journal_texts words it).
enum class PlaceError {
    empty,
    not_a_server, // postgresql://… but not user@host[:port]/database, or with a password
    unknown_key,  // a query key other than sslmode and sslrootcert, or one given twice
    bad_value,    // an sslmode libpq does not know, or an empty sslrootcert
};

// libpq's sslmode values, weakest first.
QStringList sslmodes();

// "readings.sqlite" (a file) or "postgresql://user@host:port/database" (a
// server; port 5432 when left out), the latter optionally with
// "?sslmode=verify-full&sslrootcert=ca.crt" (a relative file taken from the
// working folder). The password is never in it: the caller puts it in. No
// value, and `why`, for anything else.
std::optional<Connection> parse_place(const QString &text, PlaceError *why);

// The query item of `text` that parse_place refuses: its key and value.
QPair<QString, QString> refused_item(const QString &text);

} // namespace journal
