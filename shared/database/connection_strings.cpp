#include "shared/database/connection_strings.h"

#include "shared/database/odbc_data_sources.h"

#ifdef Q_OS_WIN
#include <QSettings>
#endif
#include <QRegularExpression>
#include <QStringList>

#include <stdexcept>
#include <utility>
#include <vector>

namespace database {

namespace {

// One key=value part with the span of its text, so a part can be passed on as written.
struct pair_part {
    QString key;
    QString value;
    qsizetype begin = 0;
    qsizetype end = 0; // behind the part, before its ';'
};
using pair_list = std::vector<pair_part>;

// key=value;... as both ADO and ODBC write it: keys trimmed and compared without case,
// values optionally in quotes (ADO, doubled quote inside) or braces (ODBC, doubled '}').
// One pass over the text: connection strings come from settings files of any size.
pair_list parse_pairs(const QString& text) {
    pair_list pairs;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        const qsizetype begin = i;
        while (i < n && text[i] != u'=' && text[i] != u';')
            ++i;
        if (i >= n || text[i] == u';') {
            // A part without '=': a stray word or an empty part between two ';'.
            const QString part = text.mid(begin, i - begin).trimmed();
            if (!part.isEmpty())
                pairs.push_back({part, QString(), begin, i});
            ++i;
            continue;
        }
        const QString key = text.mid(begin, i - begin).trimmed();
        ++i;
        while (i < n && text[i].isSpace())
            ++i;
        QString value;
        if (i < n && (text[i] == u'\'' || text[i] == u'"' || text[i] == u'{')) {
            const QChar close = text[i] == u'{' ? QChar(u'}') : text[i];
            ++i;
            bool closed = false;
            while (i < n) {
                if (text[i] == close) {
                    if (i + 1 < n && text[i + 1] == close) {
                        value += close;
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                value += text[i++];
            }
            if (!closed)
                throw std::runtime_error(
                    QStringLiteral(
                        "The connection string has an unclosed %1 in the value of \"%2\".")
                        .arg(close, key)
                        .toStdString());
            while (i < n && text[i] != u';')
                ++i;
        } else {
            const qsizetype value_begin = i;
            while (i < n && text[i] != u';')
                ++i;
            value = text.mid(value_begin, i - value_begin).trimmed();
        }
        if (!key.isEmpty())
            pairs.push_back({key, value, begin, i});
        ++i;
    }
    return pairs;
}

// The value of the first of `keys` present (keys without case); null when none is.
QString value_of(const pair_list& pairs, std::initializer_list<const char*> keys) {
    for (const char* key : keys)
        for (const pair_part& part : pairs)
            if (part.key.compare(QLatin1String(key), Qt::CaseInsensitive) == 0)
                return part.value.isNull() ? QStringLiteral("") : part.value;
    return {};
}

bool has_key(const pair_list& pairs, const char* key) {
    return !value_of(pairs, {key}).isNull();
}

bool is_true(const QString& value) {
    const QString v = value.trimmed().toLower();
    return v == u"sspi" || v == u"true" || v == u"yes" || v == u"1";
}

QString odbc_value(const QString& value) {
    const bool needs_braces = value.contains(u';') || value.contains(u'{') ||
                              value.contains(u'}') || value.contains(u'=') ||
                              value != value.trimmed();
    if (!needs_braces)
        return value;
    QString escaped = value;
    escaped.replace(QStringLiteral("}"), QStringLiteral("}}"));
    return u'{' + escaped + u'}';
}

bool is_sql_server_provider(const QString& provider) {
    const QString p = provider.trimmed().toLower();
    return p.startsWith(u"sqloledb") || p.startsWith(u"msoledbsql") || p.startsWith(u"sqlncli");
}

bool is_sqlite_provider(const QString& provider) {
    return provider.trimmed().toLower().startsWith(u"sqlite");
}

bool has_sqlite_extension(const QString& file_name) {
    const QString f = file_name.trimmed().toLower();
    return f.endsWith(u".db") || f.endsWith(u".sqlite") || f.endsWith(u".sqlite3");
}

bool names_sql_server_driver(const QString& driver) {
    const QString d = driver.toLower();
    return d.contains(u"sql server") || d.contains(u"freetds") || d.contains(u"native client");
}

} // namespace

QString ado_to_odbc(const QString& ado_connection_string, const QString& odbc_driver) {
    const pair_list pairs = parse_pairs(ado_connection_string);
    const bool freetds = odbc_driver.contains(QLatin1String("freetds"), Qt::CaseInsensitive);

    QString data_source =
        value_of(pairs, {"Data Source", "Server", "Address", "Addr", "Network Address"}).trimmed();
    if (data_source.startsWith(QLatin1String("tcp:"), Qt::CaseInsensitive))
        data_source = data_source.mid(4);
    QString host = data_source;
    QString port;
    const qsizetype comma = data_source.indexOf(u',');
    if (comma >= 0) {
        host = data_source.left(comma).trimmed();
        port = data_source.mid(comma + 1).trimmed();
    }
    const bool named_instance = host.contains(u'\\');
    // The local server has no host name the TDS library resolves.
    const QString bare_host = named_instance ? host.left(host.indexOf(u'\\')) : host;
    if (freetds && (bare_host == u"." || bare_host.compare(u"(local)", Qt::CaseInsensitive) == 0))
        host = QStringLiteral("localhost") + host.mid(bare_host.size());

    QStringList parts;
    parts << QStringLiteral("Driver={%1}").arg(odbc_driver);
    if (freetds) {
        parts << QStringLiteral("Server=") + odbc_value(host);
        // A named instance finds its port through the server's browser service.
        if (!port.isEmpty())
            parts << QStringLiteral("Port=") + odbc_value(port);
        else if (!named_instance)
            parts << QStringLiteral("Port=1433");
        parts << QStringLiteral("TDS_Version=7.4") << QStringLiteral("ClientCharset=UTF-8");
    } else {
        parts << QStringLiteral("Server=") + odbc_value(port.isEmpty() ? host : host + u',' + port);
    }
    const QString catalog = value_of(pairs, {"Initial Catalog", "Database"});
    if (!catalog.isEmpty())
        parts << QStringLiteral("Database=") + odbc_value(catalog);
    if (is_true(value_of(pairs, {"Integrated Security", "Trusted_Connection"}))) {
        parts << QStringLiteral("Trusted_Connection=yes");
    } else {
        const QString user = value_of(pairs, {"User ID", "UID", "User"});
        const QString password = value_of(pairs, {"Password", "PWD"});
        if (!user.isNull())
            parts << QStringLiteral("UID=") + odbc_value(user);
        if (!password.isNull())
            parts << QStringLiteral("PWD=") + odbc_value(password);
    }
    const QString application = value_of(pairs, {"Application Name"});
    if (!application.isEmpty())
        parts << QStringLiteral("APP=") + odbc_value(application);
    const QString workstation = value_of(pairs, {"Workstation ID"});
    if (!workstation.isEmpty())
        parts << QStringLiteral("WSID=") + odbc_value(workstation);
    const QString encrypt = value_of(pairs, {"Use Encryption for Data", "Encrypt"});
    if (!encrypt.isNull())
        parts << QStringLiteral("Encrypt=") +
                     (is_true(encrypt) ? QStringLiteral("yes") : QStringLiteral("no"));
    else if (odbc_driver.contains(QLatin1String("ODBC Driver 18")))
        parts << QStringLiteral("Encrypt=no"); // the OLE DB providers did not encrypt by default
    if (is_true(value_of(pairs, {"Trust Server Certificate", "TrustServerCertificate"})))
        parts << QStringLiteral("TrustServerCertificate=yes");
    // The record loop reads its result forward while the wavelength query runs on the
    // same connection.
    parts << QStringLiteral("MARS_Connection=yes");
    return parts.join(u';');
}

connection_target target_for(const QString& connection_string, const QString& odbc_driver) {
    const QString text = connection_string.trimmed();
    if (text.isEmpty())
        throw std::runtime_error("The connection string is empty.");
    connection_target target;
    if (!text.contains(u'=')) {
        if (has_sqlite_extension(text)) {
            target.kind = connection_kind::sqlite_file;
            target.database_name = text;
            return target;
        }
        throw std::runtime_error("The connection string is neither an ADO nor an ODBC "
                                 "connection string nor the name of a database file.");
    }
    const pair_list pairs = parse_pairs(text);
    const QString driver = value_of(pairs, {"Driver"});
    if (!driver.isNull() || has_key(pairs, "DSN")) {
        target.kind = connection_kind::odbc;
        target.database_name = connection_string;
        // A data source name hides its driver; in this system it is the production server.
        target.sql_server = driver.isNull() || names_sql_server_driver(driver);
        return target;
    }
    const QString provider = value_of(pairs, {"Provider"});
    const QString data_source = value_of(pairs, {"Data Source"});
    if (provider.isNull() ? has_sqlite_extension(data_source) : is_sqlite_provider(provider)) {
        if (data_source.trimmed().isEmpty())
            throw std::runtime_error("The connection string names no database file (Data Source).");
        target.kind = connection_kind::sqlite_file;
        target.database_name = data_source.trimmed();
        return target;
    }
    if (is_sql_server_provider(provider)) {
        target.kind = connection_kind::odbc;
        target.database_name = ado_to_odbc(text, odbc_driver);
        target.sql_server = true;
        return target;
    }
    if (!provider.isNull())
        throw std::runtime_error(
            QStringLiteral("The database provider \"%1\" is not supported; use an SQL Server "
                           "provider, an ODBC connection string or a database file.")
                .arg(provider)
                .toStdString());
    // The text itself is not repeated: it may hold a password.
    throw std::runtime_error(
        "The connection string names no provider, ODBC driver or data source name.");
}

bool uses_freetds(const QString& odbc_connection_string) {
    const pair_list pairs = parse_pairs(odbc_connection_string);
    QString driver = value_of(pairs, {"Driver"});
    if (driver.isNull())
        driver = data_source_driver(value_of(pairs, {"DSN"}));
    return driver.contains(QLatin1String("freetds"), Qt::CaseInsensitive) ||
           driver.contains(QLatin1String("tdsodbc"), Qt::CaseInsensitive);
}

QString with_tds_version(const QString& odbc_connection_string) {
    const pair_list pairs = parse_pairs(odbc_connection_string);
    if (!uses_freetds(odbc_connection_string) || has_key(pairs, "TDS_Version"))
        return odbc_connection_string;
    // A data source without a driver in the string may give the version itself.
    if (value_of(pairs, {"Driver"}).isNull() &&
        !data_source_value(value_of(pairs, {"DSN"}), QStringLiteral("TDS_Version")).isEmpty())
        return odbc_connection_string;
    // Without a version the TDS library probes one after the other, and a server that
    // accepts and stays silent holds the probing far beyond the login timeout.
    QString text = odbc_connection_string.trimmed();
    if (!text.endsWith(u';'))
        text += u';';
    return text + QStringLiteral("TDS_Version=7.4");
}

namespace {

// The value of `key` in the string, or else in the definition of the data source it names.
QString setting(const pair_list& pairs, const char* key) {
    const QString value = value_of(pairs, {key});
    if (!value.isNull() || !value_of(pairs, {"Driver"}).isNull())
        return value;
    return data_source_value(value_of(pairs, {"DSN"}), QLatin1String(key));
}

} // namespace

std::optional<instance_address> unresolved_instance(const QString& odbc_connection_string) {
    if (!uses_freetds(odbc_connection_string))
        return std::nullopt;
    const pair_list pairs = parse_pairs(odbc_connection_string);
    if (!setting(pairs, "Port").isEmpty())
        return std::nullopt;
    const QString server = setting(pairs, "Server").trimmed();
    const qsizetype slash = server.indexOf(u'\\');
    if (slash <= 0 || slash + 1 >= server.size())
        return std::nullopt;
    return instance_address{server.left(slash), server.mid(slash + 1)};
}

QString with_instance_port(const QString& odbc_connection_string, int port) {
    const pair_list pairs = parse_pairs(odbc_connection_string);
    QString host = setting(pairs, "Server").trimmed();
    host = odbc_value(host.left(host.indexOf(u'\\')));
    const QString address = QStringLiteral("Server=%1;Port=%2").arg(host).arg(port);
    QStringList parts;
    bool placed = false;
    for (const pair_part& part : pairs) {
        if (!placed && part.key.compare(u"Server", Qt::CaseInsensitive) == 0) {
            parts << address;
            placed = true;
        } else {
            parts << odbc_connection_string.mid(part.begin, part.end - part.begin);
        }
    }
    // A data source's own server is overridden by the string.
    if (!placed)
        parts << address;
    return parts.join(u';');
}

QString qt_odbc_database_name(const QString& odbc_connection_string) {
    // Qt's driver passes a text naming a driver or a server on unchanged and puts "DSN=" in
    // front of anything else; a data source named with its own key would then read
    // "DSN=DSN=name". The name goes first without its key, the other parts follow as written.
    if (odbc_connection_string.contains(QLatin1String("DRIVER="), Qt::CaseInsensitive) ||
        odbc_connection_string.contains(QLatin1String("SERVER="), Qt::CaseInsensitive))
        return odbc_connection_string;
    const pair_list pairs = parse_pairs(odbc_connection_string);
    QStringList parts;
    QString name;
    for (const pair_part& part : pairs) {
        if (name.isNull() && part.key.compare(u"DSN", Qt::CaseInsensitive) == 0)
            name = odbc_value(part.value.isNull() ? QStringLiteral("") : part.value);
        else
            parts << odbc_connection_string.mid(part.begin, part.end - part.begin).trimmed();
    }
    if (name.isNull())
        return odbc_connection_string;
    parts.prepend(name);
    return parts.join(u';');
}

QString masked_passwords(const QString& text, const QString& connection_string) {
    QString masked = text;
    const QString stars = QStringLiteral("****");
    // The values themselves, wherever a client repeats them...
    try {
        for (const pair_part& part : parse_pairs(connection_string)) {
            if (part.value.isEmpty() || (part.key.compare(u"PWD", Qt::CaseInsensitive) != 0 &&
                                         part.key.compare(u"Password", Qt::CaseInsensitive) != 0))
                continue;
            // A very short password is masked only where it stands alone, so it does not
            // cut up every word of the message that happens to contain it.
            if (part.value.size() >= 4)
                masked.replace(part.value, stars);
            else
                masked.replace(QRegularExpression(QStringLiteral("(?<![\\w])%1(?![\\w])")
                                                      .arg(QRegularExpression::escape(part.value))),
                               stars);
        }
    } catch (const std::runtime_error&) {
        // An unparsable string has no values to look for; the key pattern below still works.
    }
    // ... and whatever follows the keys in a repeated connection string.
    static const QRegularExpression key_value(
        QStringLiteral("\\b(PWD|Password)(\\s*=\\s*)(\\{(?:[^}]|\\}\\})*+\\}?|\"(?:[^\"]|\"\")*+\"?"
                       "|'(?:[^']|'')*+'?|[^;\\s]*+)"),
        QRegularExpression::CaseInsensitiveOption);
    QString result;
    qsizetype done = 0;
    for (const QRegularExpressionMatch& match : key_value.globalMatch(masked)) {
        result += masked.mid(done, match.capturedStart(3) - done) + stars;
        done = match.capturedEnd(3);
    }
    return result + masked.mid(done);
}

QString sql_server_odbc_driver() {
#ifdef Q_OS_WIN
    // The registry lists the installed drivers; the newest Microsoft driver wins.
    const QSettings installed(
        QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\ODBC\\ODBCINST.INI\\ODBC Drivers"),
        QSettings::NativeFormat);
    for (const char* candidate : {"ODBC Driver 18 for SQL Server", "ODBC Driver 17 for SQL Server",
                                  "ODBC Driver 13 for SQL Server"})
        if (installed.contains(QLatin1String(candidate)))
            return QLatin1String(candidate);
    return QStringLiteral("SQL Server");
#else
    return QStringLiteral("FreeTDS");
#endif
}

} // namespace database
