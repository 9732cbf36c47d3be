#include "app/remembered_addressing.h"

#include "app/atomic_file.h"

#include <QFile>
#include <QStringList>

namespace {

const char *const choice_names[] = {"none", "address", "serial"};

bool acceptable(const QString &value)
{
    if (value.size() > max_remembered_length)
        return false;
    for (const QChar c : value) {
        if (c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

} // namespace

RememberedAddressing parse_remembered_addressing(const QByteArray &content)
{
    RememberedAddressing result;
    // Up to the first NUL byte, as Qt 5 decodes a QByteArray (Qt 6 reads past it).
    for (const QString &line : QString::fromUtf8(content.constData()).split(QLatin1Char('\n'))) {
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        QString value = line.mid(equals + 1);
        if (value.endsWith(QLatin1Char('\r')))
            value.chop(1);
        if (!acceptable(value))
            continue;
        if (key == QLatin1String("addressing")) {
            for (int i = 0; i < 3; ++i) {
                if (value == QLatin1String(choice_names[i]))
                    result.choice = RememberedAddressing::Choice(i);
            }
        } else if (key == QLatin1String("address")) {
            result.address = value;
        } else if (key == QLatin1String("serial")) {
            result.serial = value;
        }
    }
    return result;
}

QByteArray format_remembered_addressing(const RememberedAddressing &addressing)
{
    const auto value = [](const QString &text) { return acceptable(text) ? text : QString(); };
    return (QStringLiteral("addressing=") + QLatin1String(choice_names[int(addressing.choice)])
            + QStringLiteral("\naddress=") + value(addressing.address) + QStringLiteral("\nserial=")
            + value(addressing.serial) + QLatin1Char('\n'))
        .toUtf8();
}

RememberedAddressing load_remembered_addressing(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // A few short lines; a damaged file may be huge, and nothing past them matters.
    return parse_remembered_addressing(file.read(4096));
}

bool save_remembered_addressing(const QString &path, const RememberedAddressing &addressing)
{
    return write_file_atomically(path, format_remembered_addressing(addressing));
}
