#pragma once

#include "collect/collect_options.h"
#include "journal/journal_store.h"

namespace collect {

// --consumption: the period's consumption of every meter in the journal, as
// a table on the output or a CSV file (--out). The exit code: 0 made, 1 the
// journal could not be read or the file not written.
int print_consumption(const Options &options, const journal::Connection &journal);

} // namespace collect
