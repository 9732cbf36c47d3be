#include "meter/exchange_rules.h"

namespace exchange_rules {

namespace {

ExchangeRules one_wait(int fail_ms)
{
    ExchangeRules rules;
    rules.retry = ExchangeRules::Retry::none;
    rules.fail_ms = fail_ms;
    return rules;
}

ExchangeRules waits(int ok_ms, int fail_ms)
{
    ExchangeRules rules;
    rules.ok_ms = ok_ms;
    rules.fail_ms = fail_ms;
    return rules;
}

} // namespace

ExchangeRules poll(const ExchangePeriods &periods)
{
    ExchangeRules rules = waits(periods.ok_ms, periods.fail_ms);
    rules.log_first_bad_answer = false;
    return rules;
}

ExchangeRules archive(const ExchangePeriods &periods)
{
    return waits(periods.archive_ok_ms, periods.archive_fail_ms);
}

ExchangeRules write(const ExchangePeriods &periods)
{
    ExchangeRules rules = one_wait(periods.fail_ms);
    rules.look_ms = write_look_ms;
    return rules;
}

ExchangeRules registers(const ExchangePeriods &periods, bool writes)
{
    return writes ? write(periods) : one_wait(periods.fail_ms);
}

ExchangeRules watch(const ExchangePeriods &periods)
{
    return waits(periods.ok_ms, periods.fail_ms);
}

ExchangeRules search(const ExchangePeriods &periods)
{
    ExchangeRules rules = one_wait(periods.fail_ms);
    rules.quiet_after_failure = false;
    return rules;
}

ExchangeRules serial_lookup(const ExchangePeriods &periods)
{
    return one_wait(periods.fail_ms);
}

ExchangeRules line_pass(const ExchangePeriods &periods)
{
    ExchangeRules rules = poll(periods);
    rules.strikes_per_request = true;
    return rules;
}

ExchangeRules line_pass_archive(const ExchangePeriods &periods)
{
    ExchangeRules rules = waits(periods.archive_ok_ms, periods.archive_fail_ms);
    rules.log_first_bad_answer = false;
    rules.strikes_per_request = true;
    return rules;
}

} // namespace exchange_rules
