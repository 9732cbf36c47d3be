#pragma once

#include "journal/journal_store.h"

#include <QString>
#include <optional>

// Where the journal is, as the operator names it and recognises it, and why
// it is not kept, in words. Widget-free: the windows and the collector share it.

namespace journal {

constexpr const char *password_variable = "METER_JOURNAL_PASSWORD";

// "readings.sqlite" (a file) or "postgresql://user@host:port/database" (a
// server; port 5432 when left out). The password is never in it: the caller
// puts it in. No value, and `error` says why, for anything else.
std::optional<Connection> parse_place(const QString &text, QString *error);

} // namespace journal

// Where the journal is, as the operator recognises it.
QString journal_place(const journal::Connection &connection);

// The status line for a journal given up: what happened and that the
// program goes on without it.
QString journal_fault_text(journal::Fault fault, const journal::Connection &connection);
