#include "link/network_endpoint.h"

#include <QHostAddress>
#include <QStringList>

QString normalized_host(const QString &host)
{
    QString h = host.trimmed();
    if (h.startsWith(QLatin1Char('[')) && h.endsWith(QLatin1Char(']')))
        h = h.mid(1, h.size() - 2);
    return h;
}

namespace {

// Letters, digits and hyphens in dot-separated labels of 1 to 63
// characters, a hyphen neither first nor last; an underscore is let pass,
// as some local networks name hosts with one.
bool is_dns_name(const QString &name)
{
    if (name.isEmpty() || name.size() > max_host_length)
        return false;
    QString body = name;
    if (body.endsWith(QLatin1Char('.')))
        body.chop(1);
    for (const QString &label : body.split(QLatin1Char('.'))) {
        if (label.isEmpty() || label.size() > 63 || label.startsWith(QLatin1Char('-'))
            || label.endsWith(QLatin1Char('-')))
            return false;
        for (const QChar c : label) {
            const bool ok = (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
                || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
                || c == QLatin1Char('-') || c == QLatin1Char('_');
            if (!ok)
                return false;
        }
    }
    return true;
}

} // namespace

EndpointProblem check_host(const QString &typed)
{
    const QString host = normalized_host(typed);
    if (host.isEmpty())
        return EndpointProblem::host_missing;
    // Digits and dots only: the four parts of an IPv4 address. The short
    // forms ("192.168.1" for 192.168.0.1) are legal but read as a typo here.
    bool all_numeric = true;
    for (const QChar c : host)
        all_numeric = all_numeric && (c.isDigit() || c == QLatin1Char('.'));
    if (all_numeric) {
        const QStringList parts = host.split(QLatin1Char('.'));
        bool ok = parts.size() == 4;
        for (const QString &part : parts) {
            bool number = false;
            ok = ok && part.size() <= 3 && part.toInt(&number) <= 255 && number;
        }
        return ok ? EndpointProblem::none : EndpointProblem::host_malformed;
    }
    if (host.contains(QLatin1Char(':')))
        return QHostAddress(host).protocol() == QAbstractSocket::IPv6Protocol ? EndpointProblem::none
                                                                              : EndpointProblem::host_malformed;
    return is_dns_name(host) ? EndpointProblem::none : EndpointProblem::host_malformed;
}

EndpointProblem check_tcp_port(const QString &text, int *port)
{
    const QString t = text.trimmed();
    bool ok = false;
    const int value = t.toInt(&ok, 10);
    // toInt takes a sign; a port is digits only.
    if (!ok || t.startsWith(QLatin1Char('+')) || t.startsWith(QLatin1Char('-')) || value < 1 || value > 65535)
        return EndpointProblem::port_malformed;
    if (port)
        *port = value;
    return EndpointProblem::none;
}
