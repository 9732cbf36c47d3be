#include "config/remembered_addressing.h"

#include "config/side_settings.h"

namespace {

const char *const choice_names[] = {"none", "address", "serial"};

SideSettings addressing_keys(const RememberedAddressing &addressing)
{
    const auto value = [](const QString &text) { return acceptable_side_value(text) ? text : QString(); };
    return {{QStringLiteral("addressing"), QLatin1String(choice_names[int(addressing.choice)])},
            {QStringLiteral("address"), value(addressing.address)},
            {QStringLiteral("serial"), value(addressing.serial)}};
}

RememberedAddressing addressing_from(const SideSettings &keys)
{
    RememberedAddressing result;
    const QString choice = keys.value(QStringLiteral("addressing"));
    for (int i = 0; i < 3; ++i) {
        if (choice == QLatin1String(choice_names[i]))
            result.choice = RememberedAddressing::Choice(i);
    }
    result.address = keys.value(QStringLiteral("address"));
    result.serial = keys.value(QStringLiteral("serial"));
    return result;
}

} // namespace

RememberedAddressing parse_remembered_addressing(const QByteArray &content)
{
    return addressing_from(parse_side_settings(content));
}

QByteArray format_remembered_addressing(const RememberedAddressing &addressing)
{
    return format_side_settings(addressing_keys(addressing));
}

RememberedAddressing load_remembered_addressing(const QString &path)
{
    return addressing_from(load_side_settings(path));
}

bool save_remembered_addressing(const QString &path, const RememberedAddressing &addressing)
{
    return update_side_settings(path, addressing_keys(addressing));
}
