#include "config/side_settings.h"

#include "config/atomic_file.h"

#include <QFile>
#include <QStringList>

bool acceptable_side_value(const QString &value)
{
    if (value.size() > max_side_value_length)
        return false;
    for (const QChar c : value) {
        if (c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

SideSettings parse_side_settings(const QByteArray &content)
{
    SideSettings result;
    // Up to the first NUL byte, as Qt 5 decodes a QByteArray (Qt 6 reads past it).
    for (const QString &line : QString::fromUtf8(content.constData()).split(QLatin1Char('\n'))) {
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        QString value = line.mid(equals + 1);
        if (value.endsWith(QLatin1Char('\r')))
            value.chop(1);
        if (key.isEmpty() || !acceptable_side_value(key) || !acceptable_side_value(value))
            continue;
        result.insert(key, value);
    }
    return result;
}

QByteArray format_side_settings(const SideSettings &settings)
{
    QString text;
    for (auto it = settings.cbegin(); it != settings.cend(); ++it) {
        const QString value = acceptable_side_value(it.value()) ? it.value() : QString();
        text += it.key() + QLatin1Char('=') + value + QLatin1Char('\n');
    }
    return text.toUtf8();
}

SideSettings load_side_settings(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // A few short lines; a damaged file may be huge, and nothing past them matters.
    return parse_side_settings(file.read(8192));
}

bool update_side_settings(const QString &path, const SideSettings &changes)
{
    SideSettings settings = load_side_settings(path);
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        settings.insert(it.key(), it.value());
    return write_file_atomically(path, with_line_end(format_side_settings(settings), line_end_of(path)));
}
