#include "collect/lines_file.h"

#include "config/port_settings.h"
#include "link/network_endpoint.h"
#include "link/serial_number.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

namespace collect {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("collect", text);
}

// Where each key and each array element of a valid JSON text starts, by its
// path ("lines/0/meters/1/address"): QJsonDocument keeps no places.
QHash<QString, int> json_places(const QByteArray &text)
{
    struct Frame
    {
        bool array = false;
        QString path;
        int index = 0;
    };
    QHash<QString, int> places;
    QVector<Frame> stack;
    QString value_path; // the path of the value that comes next in an object
    bool expect_key = false;
    const auto element_starts = [&](int at) {
        Frame &f = stack.last();
        places.insert(f.path + QLatin1Char('/') + QString::number(f.index), at);
    };
    const auto path_of_value = [&]() {
        if (stack.isEmpty())
            return QString();
        const Frame &f = stack.last();
        return f.array ? f.path + QLatin1Char('/') + QString::number(f.index) : value_path;
    };
    bool array_opened = false; // the next value is an array's first element
    for (int i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r')
            continue;
        if (array_opened && c != ']')
            element_starts(i);
        array_opened = false;
        if (c == '{' || c == '[') {
            stack.append({c == '[', path_of_value(), 0});
            expect_key = c == '{';
            array_opened = c == '[';
        } else if (c == '}' || c == ']') {
            stack.removeLast();
        } else if (c == ',') {
            if (stack.last().array) {
                ++stack.last().index;
                array_opened = true;
            } else {
                expect_key = true;
            }
        } else if (c == '"') {
            const int start = i;
            for (++i; i < text.size() && text[i] != '"'; ++i) {
                if (text[i] == '\\')
                    ++i;
            }
            if (expect_key) {
                const QJsonDocument key = QJsonDocument::fromJson("[" + text.mid(start, i - start + 1) + "]");
                value_path = stack.last().path + QLatin1Char('/') + key.array().at(0).toString();
                if (value_path.startsWith(QLatin1Char('/')))
                    value_path.remove(0, 1);
                places.insert(value_path, start);
                expect_key = false;
            }
        }
    }
    return places;
}

struct Refusal
{
    QString path; // where: a key's path, or the array element's
    QString text;
};

class Reader
{
public:
    std::optional<Refusal> refusal;

    void refuse(const QString &path, const QString &text)
    {
        if (!refusal)
            refusal = Refusal{path, text};
    }

    // Keys not in `known` are refused: a misspelt key would silently be a default.
    void only_keys(const QJsonObject &object, const QString &path, const QStringList &known)
    {
        for (auto it = object.begin(); it != object.end(); ++it) {
            if (!known.contains(it.key()))
                refuse(path + it.key(), tr("неизвестный ключ \"%1\"").arg(it.key()));
        }
    }

    std::optional<int> integer(const QJsonObject &object, const QString &path, const QString &key, int low, int high)
    {
        const QJsonValue value = object.value(key);
        if (value.isUndefined())
            return std::nullopt;
        const double number = value.toDouble(-1e300);
        if (!value.isDouble() || number != double(qint64(number)) || number < low || number > high) {
            refuse(path + key, tr("ожидается целое от %1 до %2").arg(low).arg(high));
            return std::nullopt;
        }
        return int(number);
    }

    std::optional<QString> string(const QJsonObject &object, const QString &path, const QString &key)
    {
        const QJsonValue value = object.value(key);
        if (value.isUndefined())
            return std::nullopt;
        if (!value.isString()) {
            refuse(path + key, tr("ожидается строка"));
            return std::nullopt;
        }
        return value.toString();
    }

    void period(const QJsonObject &object, const QString &path, const QString &key, int *ms)
    {
        if (const std::optional<int> value = integer(object, path, key, 1, 600000))
            *ms = *value;
    }

    std::optional<MeterEntry> meter(const QJsonValue &value, const QString &path)
    {
        if (!value.isObject()) {
            refuse(path, tr("счетчик: ожидается объект"));
            return std::nullopt;
        }
        const QJsonObject object = value.toObject();
        const QString at = path + QLatin1Char('/');
        only_keys(object, at, {QStringLiteral("address"), QStringLiteral("serial"), QStringLiteral("label")});
        MeterEntry m;
        const bool has_address = object.contains(QLatin1String("address"));
        const bool has_serial = object.contains(QLatin1String("serial"));
        if (has_address && has_serial)
            refuse(at + QStringLiteral("serial"), tr("\"address\" и \"serial\" вместе: счетчик задается одним из них"));
        else if (!has_address && !has_serial)
            refuse(path, tr("счетчик без \"address\" или \"serial\""));
        if (const std::optional<int> address = integer(object, at, QStringLiteral("address"), 1, 247))
            m.address = *address;
        if (const std::optional<QString> serial = string(object, at, QStringLiteral("serial"))) {
            static const QRegularExpression twelve_hex(QStringLiteral("^[0-9A-Fa-f]{12}$"));
            if (!twelve_hex.match(*serial).hasMatch())
                refuse(at + QStringLiteral("serial"), tr("ожидается 12 шестнадцатеричных цифр"));
            m.serial = serial->toLower();
        }
        m.label = string(object, at, QStringLiteral("label")).value_or(QString());
        return m;
    }

    std::optional<LineEntry> line(const QJsonValue &value, const QString &path)
    {
        if (!value.isObject()) {
            refuse(path, tr("линия: ожидается объект"));
            return std::nullopt;
        }
        const QJsonObject object = value.toObject();
        const QString at = path + QLatin1Char('/');
        only_keys(object, at,
                  {QStringLiteral("name"), QStringLiteral("port"), QStringLiteral("host"), QStringLiteral("tcp_port"),
                   QStringLiteral("baud"), QStringLiteral("parity"), QStringLiteral("stop_bits"),
                   QStringLiteral("ok_ms"), QStringLiteral("fail_ms"), QStringLiteral("archive_ok_ms"),
                   QStringLiteral("archive_fail_ms"), QStringLiteral("meters")});
        LineEntry l;
        l.name = string(object, at, QStringLiteral("name")).value_or(QString()).trimmed();
        if (l.name.isEmpty() && !refusal)
            refuse(object.contains(QLatin1String("name")) ? at + QStringLiteral("name") : path,
                   tr("линия без имени (\"name\")"));
        const bool serial_port = object.contains(QLatin1String("port"));
        const bool server = object.contains(QLatin1String("host")) || object.contains(QLatin1String("tcp_port"));
        if (serial_port && server) {
            refuse(at + QStringLiteral("port"),
                   tr("\"port\" вместе с \"host\"/\"tcp_port\": линия либо на порту, либо"
                      " за сервером"));
        } else if (!serial_port && !server) {
            refuse(path, tr("линия без \"port\" или \"host\" и \"tcp_port\""));
        }
        l.port = string(object, at, QStringLiteral("port")).value_or(QString()).trimmed();
        if (serial_port && l.port.isEmpty())
            refuse(at + QStringLiteral("port"), tr("пустое имя порта"));
        if (server) {
            l.host = string(object, at, QStringLiteral("host")).value_or(QString()).trimmed();
            if (check_host(l.host) != EndpointProblem::none)
                refuse(at + QStringLiteral("host"), tr("ожидается имя или адрес сервера"));
            l.host = normalized_host(l.host);
            if (!object.contains(QLatin1String("tcp_port")))
                refuse(path, tr("линия без \"tcp_port\""));
            l.tcp_port = integer(object, at, QStringLiteral("tcp_port"), 1, 65535).value_or(0);
        }
        if (const std::optional<int> baud = integer(object, at, QStringLiteral("baud"), 1, 4000000)) {
            static const QVector<int> rates = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
            if (!rates.contains(*baud))
                refuse(at + QStringLiteral("baud"),
                       tr("ожидается 1200, 2400, 4800, 9600, 19200, 38400,"
                          " 57600 или 115200"));
            l.baud_rate = *baud;
        }
        if (const std::optional<QString> parity = string(object, at, QStringLiteral("parity"))) {
            l.parity
                = QStringList{QStringLiteral("none"), QStringLiteral("odd"), QStringLiteral("even")}.indexOf(*parity);
            if (l.parity < 0)
                refuse(at + QStringLiteral("parity"), tr("ожидается none, odd или even"));
        }
        if (const std::optional<int> stop = integer(object, at, QStringLiteral("stop_bits"), 1, 2))
            l.stop_bits = *stop;
        l.ok_ms = PortSettings::default_main_ok_ms;
        l.fail_ms = PortSettings::default_main_fail_ms;
        l.archive_ok_ms = PortSettings::default_archive_ok_ms;
        l.archive_fail_ms = PortSettings::default_archive_fail_ms;
        period(object, at, QStringLiteral("ok_ms"), &l.ok_ms);
        period(object, at, QStringLiteral("fail_ms"), &l.fail_ms);
        period(object, at, QStringLiteral("archive_ok_ms"), &l.archive_ok_ms);
        period(object, at, QStringLiteral("archive_fail_ms"), &l.archive_fail_ms);

        const QJsonValue meters = object.value(QLatin1String("meters"));
        if (!meters.isArray() || meters.toArray().isEmpty()) {
            refuse(meters.isUndefined() ? path : at + QStringLiteral("meters"), tr("линия без счетчиков (\"meters\")"));
            return l;
        }
        QSet<int> addresses;
        QSet<QString> serials;
        const QJsonArray list = meters.toArray();
        for (int k = 0; k < list.size(); ++k) {
            const QString meter_path = at + QStringLiteral("meters/") + QString::number(k);
            const std::optional<MeterEntry> m = meter(list.at(k), meter_path);
            if (!m)
                continue;
            // Two meters on one address, or one serial twice, would answer together.
            if ((m->address && addresses.contains(m->address)) || (!m->serial.isEmpty() && serials.contains(m->serial)))
                refuse(meter_path, tr("счетчик указан дважды"));
            addresses.insert(m->address);
            serials.insert(m->serial);
            l.meters.append(*m);
        }
        return l;
    }
};

QString place(const QByteArray &text, int offset)
{
    int line = 1;
    int column = 1;
    for (int i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else if ((quint8(text[i]) & 0xC0) != 0x80) {
            ++column; // characters, not UTF-8 bytes
        }
    }
    return QStringLiteral("%1:%2").arg(line).arg(column);
}

// "lines/0/meters/1/address" as "lines[0].meters[1].address".
QString shown_path(const QString &path)
{
    QString shown;
    for (const QString &part : path.split(QLatin1Char('/'))) {
        if (part.isEmpty())
            continue;
        if (part.at(0).isDigit())
            shown += QLatin1Char('[') + part + QLatin1Char(']');
        else
            shown += (shown.isEmpty() ? QString() : QStringLiteral(".")) + part;
    }
    return shown;
}

} // namespace

MeterTarget MeterEntry::target() const
{
    MeterTarget t;
    if (address > 0) {
        t.address = quint8(address);
    } else {
        t.by_serial = true;
        t.address = modbus::serial_address;
        t.serial = pack_serial_number(serial).value_or(SerialBytes{});
    }
    return t;
}

QString MeterEntry::id_text() const
{
    return address > 0 ? QCoreApplication::translate("collect", "адрес %1").arg(address) : serial;
}

QString unreadable_file_words(const QFile &file)
{
    const QFileInfo info(file.fileName());
    if (!info.exists())
        return tr("файл не найден");
    if (info.isDir())
        return tr("это папка, а не файл");
    return tr("файл не читается: нет прав на чтение или он занят");
}

QString json_error_words(QJsonParseError::ParseError error)
{
    // Qt's own words are English and not in its Russian catalogue.
    switch (error) {
    case QJsonParseError::NoError: return QString();
    case QJsonParseError::UnterminatedObject: return tr("объект не закрыт скобкой }");
    case QJsonParseError::MissingNameSeparator: return tr("после имени нет двоеточия");
    case QJsonParseError::UnterminatedArray: return tr("список не закрыт скобкой ]");
    case QJsonParseError::MissingValueSeparator: return tr("между значениями нет запятой");
    case QJsonParseError::IllegalValue: return tr("недопустимое значение");
    case QJsonParseError::TerminationByNumber: return tr("файл оборван на числе");
    case QJsonParseError::IllegalNumber: return tr("недопустимое число");
    case QJsonParseError::IllegalEscapeSequence: return tr("недопустимый знак после \\");
    case QJsonParseError::IllegalUTF8String: return tr("текст не в UTF-8");
    case QJsonParseError::UnterminatedString: return tr("строка не закрыта кавычкой");
    case QJsonParseError::MissingObject: return tr("пропущено значение");
    case QJsonParseError::DeepNesting: return tr("слишком глубокая вложенность");
    case QJsonParseError::DocumentTooLarge: return tr("файл слишком велик");
    case QJsonParseError::GarbageAtEnd: return tr("лишнее после конца");
    }
    return tr("ошибка %1").arg(int(error));
}

std::optional<LinesFile> parse_lines(const QByteArray &text, const QString &file_name, QString *error)
{
    QJsonParseError parsed;
    const QJsonDocument document = QJsonDocument::fromJson(text, &parsed);
    if (parsed.error != QJsonParseError::NoError) {
        *error = QStringLiteral("%1:%2: %3")
                     .arg(file_name, place(text, parsed.offset), tr("не JSON: %1").arg(json_error_words(parsed.error)));
        return std::nullopt;
    }
    Reader reader;
    LinesFile file;
    const QJsonObject top = document.object();
    if (!document.isObject())
        reader.refuse(QString(), tr("ожидается объект {\"lines\": [...]}"));
    else
        reader.only_keys(top, QString(), {QStringLiteral("lines")});
    const QJsonValue lines = top.value(QLatin1String("lines"));
    if (!reader.refusal && (!lines.isArray() || lines.toArray().isEmpty()))
        reader.refuse(lines.isUndefined() ? QString() : QStringLiteral("lines"), tr("нет линий (\"lines\")"));
    QHash<QString, int> names;
    const QJsonArray list = lines.toArray();
    for (int k = 0; k < list.size() && !reader.refusal; ++k) {
        const QString path = QStringLiteral("lines/") + QString::number(k);
        const std::optional<LineEntry> line = reader.line(list.at(k), path);
        if (!line)
            continue;
        if (names.contains(line->name))
            reader.refuse(path + QStringLiteral("/name"),
                          tr("имя линии \"%1\" уже занято линией %2").arg(line->name).arg(names.value(line->name) + 1));
        names.insert(line->name, k);
        file.lines.append(*line);
    }
    if (reader.refusal) {
        const QHash<QString, int> places = json_places(text);
        const int offset = places.value(reader.refusal->path, 0);
        const QString where = shown_path(reader.refusal->path);
        *error = QStringLiteral("%1:%2: %3%4")
                     .arg(file_name, place(text, offset), where.isEmpty() ? QString() : where + QStringLiteral(": "),
                          reader.refusal->text);
        return std::nullopt;
    }
    return file;
}

} // namespace collect
