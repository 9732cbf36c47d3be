#pragma once

#include "config/side_settings.h"
#include "journal/journal_place.h"
#include "journal/journal_store.h"

#include <QString>

// Where the journal lives, from addressing.txt: "journal=postgresql" with
// journal_host, journal_port, journal_database and journal_user sends it to a
// server; anything else keeps it in readings.sqlite beside settings.txt. The
// password is never in the file: the caller puts it in.
constexpr const char *journal_file = "readings.sqlite";
constexpr const char *journal_password_variable = journal::password_variable;

journal::Connection journal_connection(const SideSettings &side, const QString &sqlite_file);
