#include "collect/console.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace collect {

void print_line(FILE *to, const QString &text)
{
#ifdef Q_OS_WIN
    const HANDLE handle = GetStdHandle(to == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
        std::fflush(to); // what went through the C stream first stays first
        const QString line = text + QLatin1Char('\n');
        DWORD written = 0;
        WriteConsoleW(handle, reinterpret_cast<const wchar_t *>(line.utf16()), DWORD(line.size()), &written, nullptr);
        return;
    }
#endif
    std::fputs((text + QLatin1Char('\n')).toUtf8().constData(), to);
    std::fflush(to);
}

} // namespace collect
