// SPDX-License-Identifier: GPL-3.0-or-later
#include "class/class_config.h"

#include "class/server_ping.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QStringList>

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

std::optional<ClassConfig> readClassConfig(const QString& path, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return std::optional<ClassConfig>();
    };
    if (!QFile::exists(path))
        return fail(u"%1 is missing"_s.arg(path));
    const QSettings ini(path, QSettings::IniFormat);
    if (ini.status() != QSettings::NoError)
        return fail(u"%1 cannot be read"_s.arg(path));
    ClassConfig config;
    config.file = path;
    auto text = [&ini](const QString& key, const QString& otherwise = {}) {
        return ini.value(key, otherwise).toString().trimmed();
    };
    config.server = text(u"server"_s);
    config.database = text(u"database"_s, config.database);
    config.className = text(u"class"_s);
    config.login = text(u"role"_s);
    config.passwordFile = text(u"password_file"_s);
    config.sslMode = text(u"sslmode"_s, config.sslMode);
    config.channelBinding = text(u"channel_binding"_s, config.channelBinding);
    config.sslRootCert = text(u"sslrootcert"_s);
    for (const auto& [key, value] :
        {std::pair{u"server"_s, config.server}, {u"class"_s, config.className},
            {u"role"_s, config.login}, {u"password_file"_s, config.passwordFile}}) {
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
    // libpq's options are split at spaces and ';' by Qt: such values
    // would smuggle in other options.
    for (const QString& value : {config.server, config.sslRootCert, config.database}) {
        if (value.contains(u';') || value.contains(u' ') || value.contains(u'='))
            return fail(u"%1: %2 cannot be used in a connection"_s.arg(path, value));
    }
    return config;
}

ClassProblem classProblemOf(const QSqlError& error)
{
    const QString state = error.nativeErrorCode();
    if (state.startsWith(u"28"_s))
        return ClassProblem::LoginRefused;
    if (state == u"42501"_s)
        return ClassProblem::PrivilegeRefused;
    if (state.isEmpty() || state.startsWith(u"08"_s) || state.startsWith(u"57P"_s))
        return ClassProblem::Unreachable;
    return ClassProblem::Failed;
}

namespace {

// A question that runs longer is given up and told, on the server's side:
// a teacher's window and a sender must not wait on a server that hangs.
constexpr int StatementTimeoutMilliseconds = 5000;
// How long a server has to answer a connection.
constexpr int ConnectTimeoutSeconds = 5;

// A socket folder is this machine's own: no one on the network can stand in
// for it, libpq offers no TLS there, and channel binding needs TLS.
bool localSocket(const ClassConfig& config)
{
    return config.server.startsWith(u'/');
}

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
        {"keepalives_count", "3"}, {"tcp_user_timeout", "10000"},
        // Pinned as the session starts, over whatever the login's defaults
        // say (ALTER ROLE ... SET, which a login may do to itself): its own
        // role, bound by row-level security rather than refused by it,
        // allowed to write, and with a bound on every question.
        {"options",
            "-c role=none -c row_security=on -c default_transaction_read_only=off "
            "-c statement_timeout="
                + QByteArray::number(StatementTimeoutMilliseconds)}};
    if (!localSocket(config)) {
        parameters.emplace_back("sslmode", config.sslMode.toUtf8());
        parameters.emplace_back("channel_binding", config.channelBinding.toUtf8());
        if (!config.sslRootCert.isEmpty())
            parameters.emplace_back("sslrootcert", QFile::encodeName(config.sslRootCert));
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

// Why a connection was not made, from whether the server answers: a server
// that answers refused the login (or could not prove itself, which libpq
// refuses before the password leaves); one starting or stopping, or none at
// all, is away.
ClassProblem whyNotConnected(const std::vector<std::pair<QByteArray, QByteArray>>& parameters)
{
    switch (pingServer(parameters)) {
    case ServerPing::Answers:
        return ClassProblem::LoginRefused;
    case ServerPing::Away:
        return ClassProblem::Unreachable;
    case ServerPing::NotAttempted:
    case ServerPing::NoClient:
        break;
    }
    return ClassProblem::Failed;
}

// A weak mode that class.ini names is said once a run.
void tellWeakModes(const ClassConfig& config)
{
    static std::atomic_bool told = false;
    const bool weakTls = config.sslMode == u"disable"_s || config.sslMode == u"allow"_s
        || config.sslMode == u"prefer"_s;
    if (localSocket(config) || (!weakTls && config.channelBinding == u"require"_s)
        || told.exchange(true))
        return;
    qWarning("Varolin: %s names sslmode=%s, channel_binding=%s: a machine answering in the "
             "server's place may be given the password of %s",
        qPrintable(config.file), qPrintable(config.sslMode), qPrintable(config.channelBinding),
        qPrintable(config.login));
}

} // namespace

ClassProblem openClassConnection(
    QSqlDatabase& connection, const ClassConfig& config, QString* detail)
{
    auto fail = [&](ClassProblem problem, const QString& why) {
        if (detail)
            *detail = why;
        connection.close();
        return problem;
    };
    QFile passwordFile(config.passwordFile);
    if (!passwordFile.exists())
        return fail(ClassProblem::PasswordFileMissing, config.passwordFile);
    if (!passwordFile.open(QIODevice::ReadOnly))
        return fail(ClassProblem::PasswordFileUnreadable, passwordFile.errorString());
    // Asked of the file opened, not of its name, which may change meanwhile.
    struct stat status = {};
    if (fstat(passwordFile.handle(), &status) != 0)
        return fail(ClassProblem::PasswordFileUnreadable, config.passwordFile);
    if ((status.st_mode & S_IROTH) || (config.teacher && (status.st_mode & S_IRGRP)))
        return fail(ClassProblem::PasswordFileExposed,
            u"%1 is mode %2"_s.arg(config.passwordFile).arg(status.st_mode & 0777, 3, 8));
    const QString password = QString::fromUtf8(passwordFile.readLine(4096)).trimmed();
    passwordFile.close();

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
        return fail(!error.nativeErrorCode().isEmpty() ? classProblemOf(error)
                : silent                               ? ClassProblem::Unreachable
                                                       : whyNotConnected(parameters),
            error.text());
    }
    QSqlQuery layout(connection);
    if (!layout.exec(u"SELECT session_user = current_user, current_user, "
                     u"(SELECT version FROM varolin.schema_version)"_s)
        || !layout.next())
        return fail(layout.lastError().isValid() ? classProblemOf(layout.lastError())
                                                 : ClassProblem::Failed,
            layout.lastError().text());
    // Whatever the login's defaults say, the session acts as the login
    // itself, to which the server's rules are tied.
    if (!layout.value(0).toBool())
        return fail(ClassProblem::PrivilegeRefused,
            u"the session of %1 acts as %2"_s.arg(config.login, layout.value(1).toString()));
    const int version = layout.value(2).toInt();
    if (version > ClassServerLayout)
        return fail(ClassProblem::NewerServer,
            u"layout %1, this program knows %2"_s.arg(version).arg(ClassServerLayout));
    if (version < ClassServerLayout)
        return fail(
            ClassProblem::Failed, u"layout %1: run class-server.sql on the server"_s.arg(version));
    return ClassProblem::None;
}
