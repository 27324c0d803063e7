#include "shared/database/connection_strings.h"

#ifdef Q_OS_WIN
#include <QSettings>
#endif
#include <QStringList>

#include <stdexcept>
#include <utility>
#include <vector>

namespace database {

namespace {

using pair_list = std::vector<std::pair<QString, QString>>;

// key=value;... as both ADO and ODBC write it: keys trimmed and compared without case,
// values optionally in quotes (ADO, doubled quote inside) or braces (ODBC, doubled '}').
pair_list parse_pairs(const QString& text) {
    pair_list pairs;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        const qsizetype eq = text.indexOf(u'=', i);
        const qsizetype semi = text.indexOf(u';', i);
        if (eq < 0 || (semi >= 0 && semi < eq)) {
            // A part without '=': a stray word or an empty part between two ';'.
            const QString part = text.mid(i, semi < 0 ? n - i : semi - i).trimmed();
            if (!part.isEmpty())
                pairs.emplace_back(part, QString());
            if (semi < 0)
                break;
            i = semi + 1;
            continue;
        }
        const QString key = text.mid(i, eq - i).trimmed();
        i = eq + 1;
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
            const qsizetype next = text.indexOf(u';', i);
            i = next < 0 ? n : next + 1;
        } else {
            const qsizetype next = text.indexOf(u';', i);
            value = text.mid(i, (next < 0 ? n : next) - i).trimmed();
            i = next < 0 ? n : next + 1;
        }
        if (!key.isEmpty())
            pairs.emplace_back(key, value);
    }
    return pairs;
}

// The value of the first of `keys` present (keys without case); null when none is.
QString value_of(const pair_list& pairs, std::initializer_list<const char*> keys) {
    for (const char* key : keys)
        for (const auto& [k, v] : pairs)
            if (k.compare(QLatin1String(key), Qt::CaseInsensitive) == 0)
                return v.isNull() ? QStringLiteral("") : v;
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
