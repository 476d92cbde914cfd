// SPDX-License-Identifier: GPL-3.0-or-later
#include "class/class_config.h"

#include <QFile>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QStringList>

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

// A refused login shows only in libpq's message: the connection ends before
// any SQLSTATE reaches the client.
bool loginRefused(const QString& message)
{
    static const char* const signs[] = {"password authentication failed", "no password supplied",
        "does not exist", "pg_hba.conf", "authentication failed", "permission denied for database"};
    for (const char* sign : signs) {
        if (message.contains(QLatin1StringView(sign), Qt::CaseInsensitive))
            return true;
    }
    return false;
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
    const QString password = QString::fromUtf8(passwordFile.readLine(4096)).trimmed();

    connection.setHostName(config.server);
    connection.setPort(config.port);
    connection.setDatabaseName(config.database);
    connection.setUserName(config.login);
    connection.setPassword(password);
    // A server or network that went silent during a question is noticed
    // within some ten seconds, not after the system's TCP timeout of a
    // quarter of an hour: the class view waits for its answers, and a sender
    // waiting on it must never hold up the program's end for long.
    QStringList options{
        u"sslmode=%1"_s.arg(config.sslMode), u"connect_timeout=5"_s, u"application_name=Varolin"_s};
    options << u"keepalives_idle=5"_s << u"keepalives_interval=2"_s << u"keepalives_count=3"_s
            << u"tcp_user_timeout=10000"_s;
    if (!config.sslRootCert.isEmpty())
        options << u"sslrootcert=%1"_s.arg(config.sslRootCert);
    connection.setConnectOptions(options.join(u';'));
    if (!connection.open()) {
        const QSqlError error = connection.lastError();
        const QString message = error.text();
        const ClassProblem problem = error.nativeErrorCode().isEmpty()
            ? (loginRefused(message) ? ClassProblem::LoginRefused : ClassProblem::Unreachable)
            : classProblemOf(error);
        return fail(problem, message);
    }
    QSqlQuery layout(connection);
    if (!layout.exec(u"SELECT version FROM varolin.schema_version"_s) || !layout.next())
        return fail(layout.lastError().isValid() ? classProblemOf(layout.lastError())
                                                 : ClassProblem::Failed,
            layout.lastError().text());
    const int version = layout.value(0).toInt();
    if (version > ClassServerLayout)
        return fail(ClassProblem::NewerServer,
            u"layout %1, this program knows %2"_s.arg(version).arg(ClassServerLayout));
    if (version < ClassServerLayout)
        return fail(
            ClassProblem::Failed, u"layout %1: run class-server.sql on the server"_s.arg(version));
    return ClassProblem::None;
}
