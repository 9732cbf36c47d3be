#pragma once

// The collector's one way of writing a line to its output or its errors.

#include <QString>
#include <cstdio>

namespace collect {

// Writes `text` and a line end to `to` (stdout or stderr) and flushes it.
// Into a file or a pipe it goes as UTF-8. Into a Windows console it goes as
// the console's own characters, whatever its code page: a Russian cmd.exe
// (866) would show UTF-8 bytes as gibberish.
void print_line(FILE *to, const QString &text);

} // namespace collect
