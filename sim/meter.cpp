#include "meter.h"

#include "fault.h"
#include "slave.h"

#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTime>

// Q_INIT_RESOURCE must not be used inside a namespace.
static void init_sim_resources()
{
    Q_INIT_RESOURCE(sim);
}

namespace sim {

namespace {

qint64 elapsed_ms()
{
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return timer.elapsed();
}

// The four register groups share one layout: time, volume, event, reverse flow.
constexpr quint16 current_group = 0x1000;
constexpr quint16 archive_groups[3] = {0x1100, 0x1200, 0x1300};

bool in_archive_group(quint16 reg, int *type, int *offset)
{
    for (int t = 0; t < 3; ++t) {
        if (reg >= archive_groups[t] && reg <= archive_groups[t] + 6) {
            *type = t + 1;
            *offset = reg - archive_groups[t];
            return true;
        }
    }
    return false;
}

quint16 low_word(qint64 v)
{
    return quint16(quint32(v) & 0xFFFF);
}
quint16 high_word(qint64 v)
{
    return quint16(quint32(v) >> 16);
}

} // namespace

meter::meter()
    : monotonic_ms(&elapsed_ms)
{
    archives[0].step = -3600;
    archives[1].step = -86400;
    archives[2].step = 0;
    archives[2].step_months = -1;
}

QByteArray meter::serial_wire() const
{
    QByteArray b(6, '\0');
    // b1 is the most significant byte of the 48-bit number.
    const auto byte = [this](int n) { return char((serial >> (8 * (6 - n))) & 0xFF); };
    b[0] = byte(5);
    b[1] = byte(6);
    b[2] = byte(3);
    b[3] = byte(4);
    b[4] = byte(1);
    b[5] = byte(2);
    return b;
}

bool meter::is_reverse_register(quint16 reg) const
{
    const quint16 offset = reg & 0x00FF;
    const quint16 group = reg & 0xFF00;
    const bool in_group = group == current_group || group == archive_groups[0] || group == archive_groups[1]
        || group == archive_groups[2];
    return in_group && (offset == 5 || offset == 6);
}

bool meter::derived(quint16 reg, quint16 *value) const
{
    switch (reg) {
    case 0x0004: *value = quint16(serial & 0xFFFF); return true;
    case 0x0005: *value = quint16((serial >> 16) & 0xFFFF); return true;
    case 0x0006: *value = quint16((serial >> 32) & 0xFFFF); return true;
    case 0x0009: *value = quint16(version); return true;
    case 0x0300: *value = address; return true;
    default: break;
    }
    int type = 0, offset = 0;
    if (in_archive_group(reg, &type, &offset)) {
        const archive_record r = record(type, 0);
        switch (offset) {
        case 0: *value = low_word(r.time); break;
        case 1: *value = high_word(r.time); break;
        case 2: *value = low_word(r.reading); break;
        case 3: *value = high_word(r.reading); break;
        case 4: *value = r.event; break;
        case 5: *value = low_word(r.reverse); break;
        default: *value = high_word(r.reverse); break;
        }
        return true;
    }
    return false;
}

bool meter::has_register(quint16 reg) const
{
    if (is_reverse_register(reg) && version != 3)
        return false;
    if (reg == 0x1000 || reg == 0x1001)
        return true;
    quint16 unused = 0;
    return registers.contains(reg) || derived(reg, &unused);
}

quint16 meter::read(quint16 reg) const
{
    if (!has_register(reg))
        return 0;
    if (reg == 0x1000)
        return low_word(clock());
    if (reg == 0x1001)
        return high_word(clock());
    if (flow_per_second != 0 && (reg == 0x1002 || reg == 0x1003)) {
        const qint64 grown = qint64(registers.value(0x1003)) << 16 | registers.value(0x1002);
        const qint64 now = grown + monotonic_ms() * flow_per_second / 1000;
        return reg == 0x1002 ? low_word(now) : high_word(now);
    }
    const auto it = registers.constFind(reg);
    if (it != registers.constEnd())
        return it.value();
    quint16 value = 0;
    derived(reg, &value);
    return value;
}

int meter::check_write(quint16 reg, quint16 value) const
{
    if (!has_register(reg))
        return illegal_address;
    switch (reg) {
    case 0x0300: return value >= 1 && value <= 247 ? no_exception : illegal_value;
    case 0x0301: return value <= 3 ? no_exception : illegal_value;
    case 0x0302:
        switch (value) {
        case 0x0001:
        case 0x0002:
        case 0x0201:
        case 0x0202:
        case 0x0301:
        case 0x0302: return no_exception;
        default: return illegal_value;
        }
    case 0x0303: return value >= 1 && value <= 31 ? no_exception : illegal_value;
    case 0x1000:
    case 0x1001: return no_exception;
    default:
        // Everything else is read-only on this meter.
        return illegal_address;
    }
}

int meter::write(quint16 reg, quint16 value)
{
    const int code = check_write(reg, value);
    if (code == no_exception)
        set(reg, value);
    return code;
}

void meter::set(quint16 reg, quint16 value)
{
    if (reg == 0x1000)
        set_clock((clock() & 0xFFFF0000u) | value);
    else if (reg == 0x1001)
        set_clock((quint32(value) << 16) | (clock() & 0xFFFFu));
    else
        registers[reg] = value;
}

quint32 meter::clock() const
{
    qint64 value = clock_value;
    if (clock_running)
        value += (monotonic_ms() - clock_set_at_ms) / 1000;
    return quint32(value);
}

void meter::set_clock(quint32 seconds)
{
    clock_value = seconds;
    clock_set_at_ms = monotonic_ms();
}

int meter::archive_depth(int type) const
{
    static const int v2[3] = {512, 384, 128};
    static const int v3[3] = {336, 252, 84};
    if (type < 1 || type > 3)
        return 0;
    return version == 2 ? v2[type - 1] : v3[type - 1];
}

archive_record meter::record(int type, int index) const
{
    archive_record r;
    if (type < 1 || type > 3 || index < 0)
        return r;
    const archive_generator &g = archives[type - 1];
    if (g.filled >= 0 && index >= g.filled) {
        r.blank = true;
        return r;
    }
    const auto hits
        = [index](int every, int first) { return every > 0 && index >= first && (index - first) % every == 0; };
    if (g.step_months != 0) {
        const QDateTime start = QDateTime::fromSecsSinceEpoch(g.start, Qt::UTC);
        r.time = qint32(start.addMonths(index * g.step_months).toSecsSinceEpoch());
    } else {
        r.time = qint32(g.start + qint64(index) * g.step);
    }
    r.reading = qint32(g.reading + qint64(index) * g.reading_step);
    if (hits(g.negative_reading_every, g.negative_reading_first))
        r.reading = -1; // the meter's "no value" marker
    r.event = hits(g.event7_every, g.event7_first) ? 7 : g.event;
    r.reverse = qint32(g.reverse + qint64(index) * g.reverse_step);
    if (hits(g.negative_reverse_every, g.negative_reverse_first))
        r.reverse = r.reverse > 0 ? -r.reverse : (r.reverse == 0 ? -1 : r.reverse);
    return r;
}

QByteArray dword_bytes(qint32 value)
{
    const quint32 v = quint32(value);
    QByteArray b(4, '\0');
    b[0] = char((v >> 8) & 0xFF);
    b[1] = char(v & 0xFF);
    b[2] = char((v >> 24) & 0xFF);
    b[3] = char((v >> 16) & 0xFF);
    return b;
}

QByteArray meter::record_bytes(int type, int index) const
{
    const archive_record r = record(type, index);
    if (r.blank)
        return QByteArray(record_size(), char(0xFF));
    QByteArray b = dword_bytes(r.time) + dword_bytes(r.reading);
    b.append(char(r.event >> 8));
    b.append(char(r.event & 0xFF));
    if (version != 2)
        b += dword_bytes(r.reverse);
    return b;
}

bool parse_number(const QString &text, qint64 *value)
{
    QString t = text.trimmed();
    bool negative = false;
    if (t.startsWith(QLatin1Char('-'))) {
        negative = true;
        t = t.mid(1).trimmed();
    }
    bool ok = false;
    qint64 v = 0;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = t.mid(2).toLongLong(&ok, 16);
    else
        v = t.toLongLong(&ok, 10);
    if (!ok || t.isEmpty())
        return false;
    *value = negative ? -v : v;
    return true;
}

bool parse_time(const QString &text, qint64 *seconds)
{
    const QString t = text.trimmed();
    static const QRegularExpression iso(QStringLiteral("^(\\d{4}-\\d{2}-\\d{2})(?:[ T](\\d{2}:\\d{2}(?::\\d{2})?))?$"));
    static const QRegularExpression shown(
        QStringLiteral("^(\\d{2}\\.\\d{2}\\.\\d{4})(?: (\\d{2}:\\d{2}(?::\\d{2})?))?$"));
    QDate date;
    QString time_text;
    QRegularExpressionMatch m = iso.match(t);
    if (m.hasMatch()) {
        date = QDate::fromString(m.captured(1), QStringLiteral("yyyy-MM-dd"));
        time_text = m.captured(2);
    } else if ((m = shown.match(t)).hasMatch()) {
        date = QDate::fromString(m.captured(1), QStringLiteral("dd.MM.yyyy"));
        time_text = m.captured(2);
    } else {
        return parse_number(t, seconds);
    }
    QTime time(0, 0, 0);
    if (!time_text.isEmpty()) {
        time = QTime::fromString(time_text,
                                 time_text.size() == 5 ? QStringLiteral("hh:mm") : QStringLiteral("hh:mm:ss"));
    }
    if (!date.isValid() || !time.isValid())
        return false;
    // Meter time is local wall-clock time counted as if it were UTC.
    *seconds = QDateTime(date, time, Qt::UTC).toSecsSinceEpoch();
    return true;
}

namespace {

bool number_in(const QString &value, qint64 low, qint64 high, qint64 *out, QString *error)
{
    if (!parse_number(value, out)) {
        *error = QStringLiteral("'%1' is not a number").arg(value);
        return false;
    }
    if (*out < low || *out > high) {
        *error = QStringLiteral("%1 is out of range %2..%3").arg(value).arg(low).arg(high);
        return false;
    }
    return true;
}

bool reg16(const QString &value, qint64 *out, QString *error)
{
    return number_in(value, -32768, 0xFFFF, out, error);
}

bool reg32(const QString &value, qint64 *out, QString *error)
{
    return number_in(value, -2147483648LL, 0xFFFFFFFFLL, out, error);
}

void set32(meter *m, quint16 reg, qint64 v)
{
    m->set(reg, low_word(v));
    m->set(quint16(reg + 1), high_word(v));
}

bool hex_digits(const QString &value, int count, quint64 *out)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9A-Fa-f]+$"));
    if (value.size() != count || !digits.match(value).hasMatch())
        return false;
    bool ok = false;
    *out = value.toULongLong(&ok, 16);
    return ok;
}

const QMap<QString, quint16> &single_registers()
{
    static const QMap<QString, quint16> map = {
        {QStringLiteral("software"), 0x0000},  {QStringLiteral("software_id"), 0x0001},
        {QStringLiteral("k_number"), 0x0002},  {QStringLiteral("threshold"), 0x0003},
        {QStringLiteral("model"), 0x0008},     {QStringLiteral("build"), 0x0090},
        {QStringLiteral("rate_code"), 0x0301}, {QStringLiteral("parity_code"), 0x0302},
        {QStringLiteral("save_date"), 0x0303}, {QStringLiteral("device_type"), 0x0304},
        {QStringLiteral("event"), 0x1004},
    };
    return map;
}

bool apply_archive_key(archive_generator *g, const QString &key, const QString &value, QString *error)
{
    qint64 v = 0;
    if (key == QLatin1String("start")) {
        if (!parse_time(value, &v)) {
            *error = QStringLiteral("'%1' is not a time (yyyy-MM-dd hh:mm:ss)").arg(value);
            return false;
        }
        g->start = v;
        return true;
    }
    if (key == QLatin1String("step")) {
        static const QRegularExpression months(QStringLiteral("^(-?\\d+)\\s*months?$"));
        const QRegularExpressionMatch m = months.match(value);
        if (m.hasMatch()) {
            g->step_months = m.captured(1).toInt();
            g->step = 0;
            if (g->step_months == 0) {
                *error = QStringLiteral("a step of 0 months");
                return false;
            }
            return true;
        }
        if (!number_in(value, -100000000, 100000000, &v, error))
            return false;
        g->step = v;
        g->step_months = 0;
        return true;
    }
    struct int_key
    {
        const char *name;
        int archive_generator::*field;
        qint64 low;
    };
    static const int_key counts[] = {
        {"event7_every", &archive_generator::event7_every, 0},
        {"event7_first", &archive_generator::event7_first, 0},
        {"negative_reading_every", &archive_generator::negative_reading_every, 0},
        {"negative_reading_first", &archive_generator::negative_reading_first, 0},
        {"negative_reverse_every", &archive_generator::negative_reverse_every, 0},
        {"negative_reverse_first", &archive_generator::negative_reverse_first, 0},
        {"filled", &archive_generator::filled, -1},
    };
    for (const int_key &k : counts) {
        if (key == QLatin1String(k.name)) {
            if (!number_in(value, k.low, 65535, &v, error))
                return false;
            g->*k.field = int(v);
            return true;
        }
    }
    struct value_key
    {
        const char *name;
        qint32 archive_generator::*field;
    };
    static const value_key values[] = {
        {"reading", &archive_generator::reading},
        {"reading_step", &archive_generator::reading_step},
        {"reverse", &archive_generator::reverse},
        {"reverse_step", &archive_generator::reverse_step},
    };
    for (const value_key &k : values) {
        if (key == QLatin1String(k.name)) {
            if (!number_in(value, -2147483648LL, 2147483647LL, &v, error))
                return false;
            g->*k.field = qint32(v);
            return true;
        }
    }
    if (key == QLatin1String("event")) {
        if (!number_in(value, 0, 0xFFFF, &v, error))
            return false;
        g->event = quint16(v);
        return true;
    }
    *error = QStringLiteral("unknown archive key '%1'").arg(key);
    return false;
}

bool apply_key(meter *m, const QString &key, const QString &value, QString *error)
{
    qint64 v = 0;
    const QStringList words = words_of(key);
    const QString name = words.value(0);

    if (words.size() == 2 && (name == QLatin1String("reg") || name == QLatin1String("reg32"))) {
        qint64 reg = 0;
        const qint64 last = name == QLatin1String("reg") ? 0xFFFF : 0xFFFE;
        if (!number_in(words.at(1), 0, last, &reg, error))
            return false;
        if (name == QLatin1String("reg")) {
            if (!reg16(value, &v, error))
                return false;
            m->set(quint16(reg), quint16(v));
        } else {
            if (!reg32(value, &v, error))
                return false;
            set32(m, quint16(reg), v);
        }
        return true;
    }
    if (words.size() != 1) {
        *error = QStringLiteral("unknown key '%1'").arg(key);
        return false;
    }
    if (name == QLatin1String("address")) {
        if (!number_in(value, 1, 247, &v, error))
            return false;
        m->address = quint8(v);
        return true;
    }
    if (name == QLatin1String("factory_address")) {
        if (value != QLatin1String("yes") && value != QLatin1String("no")) {
            *error = QStringLiteral("factory_address is yes or no, not '%1'").arg(value);
            return false;
        }
        m->factory_address = value == QLatin1String("yes");
        return true;
    }
    if (name == QLatin1String("serial")) {
        quint64 s = 0;
        if (!hex_digits(value, 12, &s)) {
            *error = QStringLiteral("a serial number is 12 hex digits, not '%1'").arg(value);
            return false;
        }
        m->serial = s;
        return true;
    }
    if (name == QLatin1String("baud")) {
        if (!number_in(value, 300, 115200, &v, error))
            return false;
        m->baud = int(v);
        return true;
    }
    if (name == QLatin1String("parity")) {
        const int code
            = QStringList{QStringLiteral("none"), QStringLiteral("odd"), QStringLiteral("even")}.indexOf(value);
        if (code < 0) {
            *error = QStringLiteral("parity is none, odd or even, not '%1'").arg(value);
            return false;
        }
        m->parity = code;
        return true;
    }
    if (name == QLatin1String("version")) {
        if (!number_in(value, 2, 3, &v, error))
            return false;
        m->version = int(v);
        return true;
    }
    if (name == QLatin1String("clock")) {
        if (value == QLatin1String("frozen") || value == QLatin1String("running")) {
            const quint32 now = m->clock();
            m->clock_running = value == QLatin1String("running");
            m->set_clock(now);
            return true;
        }
        *error = QStringLiteral("clock is 'frozen' or 'running', not '%1'").arg(value);
        return false;
    }
    if (name == QLatin1String("flow")) {
        if (!number_in(value, -100000, 100000, &v, error))
            return false;
        m->flow_per_second = int(v);
        return true;
    }
    if (name == QLatin1String("time")) {
        if (!parse_time(value, &v)) {
            *error = QStringLiteral("'%1' is not a time (yyyy-MM-dd hh:mm:ss)").arg(value);
            return false;
        }
        m->set_clock(quint32(v));
        return true;
    }
    if (name == QLatin1String("volume") || name == QLatin1String("reverse")) {
        if (!reg32(value, &v, error))
            return false;
        set32(m, name == QLatin1String("volume") ? 0x1002 : 0x1005, v);
        return true;
    }
    if (name == QLatin1String("compile_date") || name == QLatin1String("compile_time")) {
        quint64 bytes = 0;
        if (!hex_digits(value, 8, &bytes)) {
            *error = QStringLiteral("%1 is 8 hex digits, not '%2'").arg(name, value);
            return false;
        }
        // The four bytes go out in the order written: two registers, first one first.
        const quint16 reg = name == QLatin1String("compile_date") ? 0x0092 : 0x0094;
        m->set(reg, quint16(bytes >> 16));
        m->set(quint16(reg + 1), quint16(bytes & 0xFFFF));
        return true;
    }
    if (name == QLatin1String("fault")) {
        fault f;
        if (!parse_fault(value, &f, error))
            return false;
        m->faults.append(value);
        return true;
    }
    const auto single = single_registers().constFind(name);
    if (single != single_registers().constEnd()) {
        if (!reg16(value, &v, error))
            return false;
        m->set(single.value(), quint16(v));
        return true;
    }
    if (name.startsWith(QLatin1String("archive."))) {
        const QStringList parts = name.split(QLatin1Char('.'));
        static const QStringList types = {QStringLiteral("hourly"), QStringLiteral("daily"), QStringLiteral("monthly")};
        const int type = parts.size() == 3 ? types.indexOf(parts.at(1)) : -1;
        if (type < 0) {
            *error = QStringLiteral("unknown key '%1'").arg(key);
            return false;
        }
        return apply_archive_key(&m->archives[type], parts.at(2), value, error);
    }
    *error = QStringLiteral("unknown key '%1'").arg(key);
    return false;
}

} // namespace

bool parse_meter_file(const QString &text, const meter &base, QVector<meter> *meters, QString *error)
{
    QVector<meter> result;
    QVector<int> section_lines;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        const int hash = line.indexOf(QLatin1Char('#'));
        if (hash >= 0)
            line.truncate(hash);
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        const QString where = QStringLiteral("line %1: ").arg(i + 1);
        if (line.startsWith(QLatin1Char('['))) {
            if (line != QLatin1String("[meter]")) {
                *error = where + QStringLiteral("unknown section '%1'").arg(line);
                return false;
            }
            result.append(base);
            section_lines.append(i + 1);
            continue;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq < 0) {
            *error = where + QStringLiteral("expected 'key = value'");
            return false;
        }
        const QString key = line.left(eq).simplified();
        const QString value = line.mid(eq + 1).trimmed();
        if (result.isEmpty()) {
            // Keys before any [meter] line describe the first meter.
            result.append(base);
            section_lines.append(i + 1);
        }
        QString why;
        if (!apply_key(&result.last(), key, value, &why)) {
            *error = where + why;
            return false;
        }
    }
    if (result.isEmpty()) {
        *error = QStringLiteral("no meter in the file");
        return false;
    }
    // Two meters on one address or serial would answer over each other.
    for (int a = 0; a < result.size(); ++a) {
        for (int b = a + 1; b < result.size(); ++b) {
            const QString where = QStringLiteral("line %1: ").arg(section_lines.at(b));
            const bool both_new = result.at(a).factory_address && result.at(b).factory_address;
            if (result.at(a).address == result.at(b).address && !both_new) {
                *error = where
                    + QStringLiteral("meters %1 and %2 share address %3")
                          .arg(a + 1)
                          .arg(b + 1)
                          .arg(result.at(a).address);
                return false;
            }
            if (result.at(a).serial == result.at(b).serial) {
                *error = where + QStringLiteral("meters %1 and %2 share a serial number").arg(a + 1).arg(b + 1);
                return false;
            }
        }
    }
    *meters = result;
    return true;
}

QString builtin_meter_text()
{
    init_sim_resources();
    QFile file(QStringLiteral(":/sim/default.meter"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

const meter &builtin_meter()
{
    static const meter built = [] {
        QVector<meter> meters;
        QString error;
        if (!parse_meter_file(builtin_meter_text(), meter(), &meters, &error))
            qFatal("built-in meter file: %s", qPrintable(error));
        return meters.first();
    }();
    return built;
}

bool parse_meter_file(const QString &text, QVector<meter> *meters, QString *error)
{
    return parse_meter_file(text, builtin_meter(), meters, error);
}

bool parse_register(const QString &text, quint16 *reg)
{
    qint64 v = 0;
    if (!parse_number(text, &v) || v < 0 || v > 0xFFFF)
        return false;
    *reg = quint16(v);
    return true;
}

} // namespace sim
