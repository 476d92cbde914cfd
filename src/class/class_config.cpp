// SPDX-License-Identifier: GPL-3.0-or-later
#include "class/class_config.h"

#include "class/libpq_functions.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QStringList>

#include <algorithm>
#include <atomic>
#include <utility>
#include <vector>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

QString findClassConfig()
{
    // The user's folder comes first in the list, then XDG_CONFIG_DIRS.
    return QStandardPaths::locate(QStandardPaths::GenericConfigLocation, u"Varolin/class.ini"_s);
}

namespace {

// The hosts of server=, as libpq splits them: an empty one is the default
// socket folder.
QStringList serverHosts(const QString& server)
{
    return server.split(u',');
}

bool socketHost(const QString& host)
{
    return host.isEmpty() || host.startsWith(u'/');
}

} // namespace

Outcome<ClassConfig> readClassConfig(const QString& path)
{
    auto fail = [&path](const QString& why) -> Outcome<ClassConfig> {
        return Failure{Failed::ClassConfigUnusable, path, why};
    };
    if (!QFile::exists(path))
        return fail(u"%1 is missing"_s.arg(path));
    const QSettings ini(path, QSettings::IniFormat);
    if (ini.status() != QSettings::NoError)
        return fail(u"%1 cannot be read"_s.arg(path));
    ClassConfig config;
    config.file = path;
    // Qt reads an unquoted "a,b" as a list: a server list is one text.
    auto text = [&ini](const QString& key, const QString& otherwise = {}) {
        const QVariant value = ini.value(key, otherwise);
        return (value.typeId() == QMetaType::QStringList ? value.toStringList().join(u',')
                                                         : value.toString())
            .trimmed();
    };
    config.server = text(u"server"_s);
    config.database = text(u"database"_s, config.database);
    config.className = text(u"class"_s);
    config.login = text(u"role"_s);
    config.passwordFile = text(u"password_file"_s);
    config.sslMode = text(u"sslmode"_s, config.sslMode);
    config.sslRootCert = text(u"sslrootcert"_s);
    config.sslCert = text(u"sslcert"_s);
    config.sslKey = text(u"sslkey"_s);
    // A login by certificate alone gives no password to protect: channel
    // binding, which SCRAM alone offers, does not apply unless named.
    const bool certificateOnly = !config.sslCert.isEmpty() && config.passwordFile.isEmpty();
    config.channelBinding
        = text(u"channel_binding"_s, certificateOnly ? u"disable"_s : config.channelBinding);
    if (config.sslCert.isEmpty() != config.sslKey.isEmpty())
        return fail(u"%1: sslcert= and sslkey= go together"_s.arg(path));
    const bool certificate = !config.sslCert.isEmpty();
    for (const auto& [key, value] : {std::pair{u"server"_s, config.server},
             {u"class"_s, config.className}, {u"role"_s, config.login},
             {u"password_file"_s, certificate ? u"-"_s : config.passwordFile}}) {
        if (value.isEmpty())
            return fail(u"%1: %2= is missing"_s.arg(path, key));
    }
    const QString port = text(u"port"_s, u"5432"_s);
    bool number = false;
    config.port = port.toInt(&number);
    if (!number || config.port < 1 || config.port > 65535)
        return fail(u"%1: port=%2 is not a port"_s.arg(path, port));
    static const QStringList modes{
        u"disable"_s, u"allow"_s, u"prefer"_s, u"require"_s, u"verify-ca"_s, u"verify-full"_s};
    if (!modes.contains(config.sslMode))
        return fail(
            u"%1: sslmode=%2 is not one of %3"_s.arg(path, config.sslMode, modes.join(u", "_s)));
    static const QStringList bindings{u"disable"_s, u"prefer"_s, u"require"_s};
    if (!bindings.contains(config.channelBinding))
        return fail(u"%1: channel_binding=%2 is not one of %3"_s.arg(
            path, config.channelBinding, bindings.join(u", "_s)));
    // libpq's TLS settings hold for every host of a list or for none: a
    // socket folder ahead of a network host would have them dropped, and the
    // password go in clear to the host after it.
    const QStringList hosts = serverHosts(config.server);
    if (std::any_of(hosts.begin(), hosts.end(), socketHost)
        && !std::all_of(hosts.begin(), hosts.end(), socketHost))
        return fail(u"%1: server=%2 lists socket folders and network hosts together: TLS and "
                    u"channel binding would not hold for the network hosts; list one kind"_s.arg(
                        path, config.server));
    // libpq's options are split at spaces and ';' by Qt: such values
    // would smuggle in other options.
    for (const QString& value :
        {config.server, config.sslRootCert, config.sslCert, config.sslKey, config.database}) {
        if (value.contains(u';') || value.contains(u' ') || value.contains(u'='))
            return fail(u"%1: %2 cannot be used in a connection"_s.arg(path, value));
    }
    return config;
}

namespace {

// What a SQLSTATE stands for; one this program does not know is a failure
// to tell, never the server away.
Failed failedOfState(const QString& state)
{
    if (state.startsWith(u"28"_s))
        return Failed::LoginRefused;
    if (state == u"42501"_s)
        return Failed::PrivilegeRefused;
    if (state.startsWith(u"08"_s) || state.startsWith(u"57P"_s))
        return Failed::ServerAway;
    return Failed::ServerFailed;
}

// Whether libpq has given the connection up (the server closed it, the
// network went): only then is a failure without a SQLSTATE "away".
bool connectionLost(const QSqlDatabase& connection)
{
    if (!connection.isOpen() || !connection.driver())
        return true;
    const QVariant handle = connection.driver()->handle();
    // Qt names the driver's handle after the struct behind libpq's typedef
    // ("pg_conn*"): asked by "PGconn*" alone, every such failure was
    // "away", waited out in silence.
    const QByteArrayView type(handle.typeName());
    if (!handle.isValid() || (type != "pg_conn*" && type != "PGconn*"))
        return true;
    PGconn* const pg = *static_cast<PGconn* const*>(handle.constData());
    const LibpqFunctions* const pq = libpq();
    return !pg || !pq || pq->status(pg) == CONNECTION_BAD;
}

} // namespace

Failure classFailureOf(const QSqlError& error, const QSqlDatabase& connection)
{
    const QString state = error.nativeErrorCode();
    const Failed what = state.isEmpty()
        ? (connectionLost(connection) ? Failed::ServerAway : Failed::ServerFailed)
        : failedOfState(state);
    return {what, connection.hostName(), error.text(), state};
}

namespace {

// A question that runs longer is given up and told, on the server's side:
// a teacher's window and a sender must not wait on a server that hangs.
constexpr int StatementTimeoutMilliseconds = 5000;
// How long a server has to answer a connection.
constexpr int ConnectTimeoutSeconds = 5;

// A socket folder is this machine's own: no one on the network can stand in
// for it, libpq offers no TLS there, and channel binding needs TLS. A list
// is of sockets alone or of network hosts alone (readClassConfig).
bool localSocket(const ClassConfig& config)
{
    const QStringList hosts = serverHosts(config.server);
    return std::all_of(hosts.begin(), hosts.end(), socketHost);
}

// Pinned as the session starts, over whatever the login's defaults say
// (ALTER ROLE ... SET, which a login may do to itself, the shared login of
// the classroom machines included): its own role, bound by row-level
// security rather than refused by it, allowed to write, with a bound on
// every question and on every lock it waits for, never ended for idling
// between sheets nor by a failed statement, its sheets on disk when the
// server says so, reading every name from the system's catalog first.
const QByteArray PinnedOptions = "-c role=none -c row_security=on "
                                 "-c default_transaction_read_only=off -c statement_timeout="
    + QByteArray::number(StatementTimeoutMilliseconds)
    + " -c lock_timeout=2000 -c idle_session_timeout=0 "
      "-c idle_in_transaction_session_timeout=60000 -c exit_on_error=off "
      "-c synchronous_commit=on -c default_transaction_isolation=read\\ committed "
      "-c search_path=pg_catalog";

// The connection's parameters besides the password, as libpq names them:
// the same for the connection and for asking whether the server answers.
std::vector<std::pair<QByteArray, QByteArray>> connectionParameters(const ClassConfig& config)
{
    std::vector<std::pair<QByteArray, QByteArray>> parameters{
        {"host", QFile::encodeName(config.server)}, {"port", QByteArray::number(config.port)},
        {"dbname", config.database.toUtf8()}, {"user", config.login.toUtf8()},
        // A server or network that went silent during a question is noticed
        // within some ten seconds, not after the system's TCP timeout of a
        // quarter of an hour: the class view waits for its answers, and a
        // sender waiting on it must never hold up the program's end for long.
        {"connect_timeout", QByteArray::number(ConnectTimeoutSeconds)},
        {"application_name", "Varolin"}, {"keepalives_idle", "5"}, {"keepalives_interval", "2"},
        {"keepalives_count", "3"}, {"tcp_user_timeout", "10000"}, {"options", PinnedOptions}};
    if (!localSocket(config)) {
        parameters.emplace_back("sslmode", config.sslMode.toUtf8());
        parameters.emplace_back("channel_binding", config.channelBinding.toUtf8());
        for (const auto& [key, file] : {std::pair{"sslrootcert", config.sslRootCert},
                 {"sslcert", config.sslCert}, {"sslkey", config.sslKey}}) {
            if (!file.isEmpty())
                parameters.emplace_back(key, QFile::encodeName(file));
        }
    }
    return parameters;
}

// Qt's driver appends its options to the connection string after turning
// ';' into spaces: each value is quoted as libpq reads it.
QString qtConnectOptions(const std::vector<std::pair<QByteArray, QByteArray>>& parameters)
{
    QStringList options;
    for (const auto& [key, value] : parameters) {
        if (key == "host" || key == "port" || key == "dbname" || key == "user")
            continue; // Qt's own settings
        QString quoted = QString::fromUtf8(value);
        quoted.replace(u"\\"_s, u"\\\\"_s).replace(u"'"_s, u"\\'"_s);
        options << QString::fromLatin1(key) + u"='"_s + quoted + u'\'';
    }
    return options.join(u';');
}

// Why a connection libpq gave up without a word from the server was not
// made. First the server is asked whether it answers at all, in the plainest
// way (no TLS, nothing asked of a certificate) and with no password to give
// (none from a password file or the environment either: a dummy stands in
// for one the environment holds): one starting or stopping, or none at all,
// is away. A server that answers so is tried once more as class.ini asks:
// when libpq gave it the password, the server refused the login; when it did
// not (the server's certificate, TLS or password method is not the one
// asked for), the connection cannot be made as configured.
Failed whyNotConnected(const ClassConfig& config,
    std::vector<std::pair<QByteArray, QByteArray>> parameters, const QString& password)
{
    const auto call = [](const std::vector<std::pair<QByteArray, QByteArray>>& given, auto work) {
        std::vector<const char*> keys;
        std::vector<const char*> values;
        for (const auto& [key, value] : given) {
            keys.push_back(key.constData());
            values.push_back(value.constData());
        }
        keys.push_back(nullptr);
        values.push_back(nullptr);
        return work(keys.data(), values.data());
    };
    std::vector<std::pair<QByteArray, QByteArray>> plain{{"host", QFile::encodeName(config.server)},
        {"port", QByteArray::number(config.port)}, {"dbname", config.database.toUtf8()},
        {"user", config.login.toUtf8()},
        {"connect_timeout", QByteArray::number(ConnectTimeoutSeconds)},
        {"application_name", "Varolin"}, {"sslmode", "disable"}, {"gssencmode", "disable"},
        {"passfile", "/dev/null/none"}};
    if (qEnvironmentVariableIsSet("PGPASSWORD"))
        plain.emplace_back("password", "-");
    const LibpqFunctions* const pq = libpq();
    if (!pq)
        return Failed::ServerFailed;
    switch (call(plain, [pq](const char* const* keys, const char* const* values) {
        return pq->pingParams(keys, values, 0);
    })) {
    case PQPING_OK:
        break;
    case PQPING_REJECT:
    case PQPING_NO_RESPONSE:
        return Failed::ServerAway;
    case PQPING_NO_ATTEMPT:
        return Failed::ServerFailed;
    }
    if (!password.isEmpty())
        parameters.emplace_back("password", password.toUtf8());
    return call(parameters, [pq](const char* const* keys, const char* const* values) {
        PGconn* const tried = pq->connectdbParams(keys, values, 0);
        const Failed why = !tried                ? Failed::ServerFailed
            : pq->status(tried) == CONNECTION_OK ? Failed::ServerAway // it came back meanwhile
            : pq->connectionUsedPassword(tried)  ? Failed::LoginRefused
                                                 : Failed::ConnectionUnusable;
        pq->finish(tried);
        return why;
    });
}

// A certificate file class.ini names that is not there, or cannot be read:
// what libpq would give up on, said with the file's name.
QString missingCertificate(const ClassConfig& config)
{
    if (localSocket(config))
        return {};
    for (const auto& [key, file] : {std::pair{u"sslrootcert"_s, config.sslRootCert},
             {u"sslcert"_s, config.sslCert}, {u"sslkey"_s, config.sslKey}}) {
        if (file.isEmpty())
            continue;
        QFile certificate(file);
        if (!certificate.exists())
            return u"%1: %2=%3 is missing"_s.arg(config.file, key, file);
        if (!certificate.open(QIODevice::ReadOnly))
            return u"%1: %2=%3 cannot be read: %4"_s.arg(
                config.file, key, file, certificate.errorString());
    }
    return {};
}

// A weak mode that class.ini names is said once a run.
void tellWeakModes(const ClassConfig& config)
{
    static std::atomic_bool told = false;
    if (localSocket(config))
        return;
    // Without a password, what a machine in the server's place would get
    // is the sheets: only checking the server's certificate keeps it out.
    if (config.passwordFile.isEmpty()) {
        if (!config.sslMode.startsWith(u"verify-"_s) && !told.exchange(true))
            qWarning("Varolin: %s names sslmode=%s: a machine answering in the server's place may "
                     "be sent the class's sheets (sslmode=verify-full checks the server)",
                qPrintable(config.file), qPrintable(config.sslMode));
        return;
    }
    const bool weakTls = config.sslMode == u"disable"_s || config.sslMode == u"allow"_s
        || config.sslMode == u"prefer"_s;
    if ((!weakTls && config.channelBinding == u"require"_s) || told.exchange(true))
        return;
    qWarning("Varolin: %s names sslmode=%s, channel_binding=%s: a machine answering in the "
             "server's place may be given the password of %s",
        qPrintable(config.file), qPrintable(config.sslMode), qPrintable(config.channelBinding),
        qPrintable(config.login));
}

// Defaults the login carries of its own are said once a run: the session
// pins what could end or slow it, but a login that has them was changed by
// someone holding it.
void tellLoginDefaults(const ClassConfig& config, const QString& defaults)
{
    static std::atomic_bool told = false;
    if (defaults.isEmpty() || told.exchange(true))
        return;
    qWarning("Varolin: the login %s carries defaults of its own (%s); this program pins its "
             "own settings over them, and ALTER ROLE %s RESET ALL removes them",
        qPrintable(config.login), qPrintable(defaults), qPrintable(config.login));
}

// Who the login is, asked of the system's catalog alone before anything
// else: the powers that row-level security does not bind, whether it is a
// teacher's, and the defaults it carries.
const QString LoginQuestion = u"SELECT session_user = current_user, current_user, "
                              u"r.rolsuper, r.rolbypassrls, "
                              u"EXISTS (SELECT FROM pg_class c JOIN pg_namespace n "
                              u"  ON n.oid = c.relnamespace WHERE n.nspname = 'varolin' "
                              u"  AND pg_has_role(session_user, c.relowner, 'MEMBER')), "
                              u"EXISTS (SELECT FROM pg_roles t WHERE t.rolname = "
                              u"  'varolin_teacher' AND pg_has_role(session_user, t.oid, "
                              u"  'MEMBER')), "
                              u"(SELECT string_agg(array_to_string(d.setconfig, ', '), ', ') "
                              u"  FROM pg_db_role_setting d WHERE d.setrole = r.oid AND "
                              u"  d.setdatabase IN (0, (SELECT b.oid FROM pg_database b "
                              u"  WHERE b.datname = current_database()))) "
                              u"FROM pg_roles r WHERE r.rolname = session_user"_s;

} // namespace

Outcome<int> openClassConnection(QSqlDatabase& connection, const ClassConfig& config)
{
    // A password file's failure names the file; any other, the server.
    auto fail = [&](Failed what, const QString& why, const QString& state = {}) -> Outcome<int> {
        connection.close();
        const bool passwordFile = what == Failed::PasswordFileMissing
            || what == Failed::PasswordFileUnreadable || what == Failed::PasswordFileExposed;
        return Failure{what, passwordFile ? config.passwordFile : config.server, why, state};
    };
    // A certificate login needs no password; one is sent only when
    // class.ini names its file.
    QString password;
    bool groupMayRead = false;
    if (!config.passwordFile.isEmpty()) {
        QFile passwordFile(config.passwordFile);
        if (!passwordFile.exists())
            return fail(Failed::PasswordFileMissing, config.passwordFile);
        if (!passwordFile.open(QIODevice::ReadOnly))
            return fail(Failed::PasswordFileUnreadable, passwordFile.errorString());
        // Asked of the file opened, not of its name, which may change meanwhile.
        struct stat status = {};
        if (fstat(passwordFile.handle(), &status) != 0)
            return fail(Failed::PasswordFileUnreadable, config.passwordFile);
        groupMayRead = status.st_mode & S_IRGRP;
        if ((status.st_mode & S_IROTH) || (config.teacher && groupMayRead))
            return fail(Failed::PasswordFileExposed,
                u"%1 is mode %2"_s.arg(config.passwordFile).arg(status.st_mode & 0777, 3, 8));
        password = QString::fromUtf8(passwordFile.readLine(4096)).trimmed();
    }
    if (const QString missing = missingCertificate(config); !missing.isEmpty())
        return fail(Failed::ConnectionUnusable, missing);

    tellWeakModes(config);
    const auto parameters = connectionParameters(config);
    connection.setHostName(config.server);
    connection.setPort(config.port);
    connection.setDatabaseName(config.database);
    connection.setUserName(config.login);
    connection.setPassword(password);
    connection.setConnectOptions(qtConnectOptions(parameters));
    QElapsedTimer connecting;
    connecting.start();
    if (!connection.open()) {
        const QSqlError error = connection.lastError();
        // A server that let the connection's timeout pass did not answer:
        // it is not asked again, which would hold a sender's end up as long
        // once more.
        const bool silent = connecting.hasExpired(ConnectTimeoutSeconds * 1000 - 500);
        const QString state = error.nativeErrorCode();
        return fail(!state.isEmpty() ? failedOfState(state)
                : silent             ? Failed::ServerAway
                                     : whyNotConnected(config, parameters, password),
            error.text(), state);
    }
    auto failedQuery = [&](const QSqlQuery& query) -> Outcome<int> {
        if (!query.lastError().isValid())
            return fail(Failed::ServerFailed, u"no answer"_s);
        const Failure failure = classFailureOf(query.lastError(), connection);
        return fail(failure.what, failure.detail, failure.state);
    };
    QSqlQuery login(connection);
    if (!login.exec(LoginQuestion) || !login.next())
        return failedQuery(login);
    // Whatever the login's defaults say, the session acts as the login
    // itself, to which the server's rules are tied.
    if (!login.value(0).toBool())
        return fail(Failed::PrivilegeRefused,
            u"the session of %1 acts as %2"_s.arg(config.login, login.value(1).toString()));
    QStringList powers;
    if (login.value(2).toBool())
        powers << u"is a superuser"_s;
    if (login.value(3).toBool())
        powers << u"has BYPASSRLS"_s;
    if (login.value(4).toBool())
        powers << u"owns the class tables (or is a member of their owner)"_s;
    if (!powers.isEmpty())
        return fail(Failed::LoginTooPowerful,
            u"%1: the login %2 %3, so row-level security does not bind it; give this machine a "
            u"login of varolin_pupil (or varolin_teacher) only"_s.arg(
                config.file, config.login, powers.join(u", "_s)));
    // A teacher's login opens every record of their classes, wherever it
    // is used: its password file is theirs alone.
    if (login.value(5).toBool() && groupMayRead)
        return fail(Failed::PasswordFileExposed,
            u"%1 is the password file of the teacher's login %2, and its group may read it"_s.arg(
                config.passwordFile, config.login));
    tellLoginDefaults(config, login.value(6).toString());
    login = QSqlQuery();

    QSqlQuery version(connection);
    if (!version.exec(u"SELECT version FROM varolin.schema_version"_s) || !version.next())
        return failedQuery(version);
    const int found = version.value(0).toInt();
    if (found > ClassServerLayout)
        return fail(Failed::NewerServer,
            u"layout %1, this program knows %2"_s.arg(found).arg(ClassServerLayout));
    if (found < OldestClassServerLayout)
        return fail(
            Failed::ServerFailed, u"layout %1: run class-server.sql on the server"_s.arg(found));
    return found;
}
