// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

class QSqlDatabase;
class QSqlError;

// How a machine reaches its class on the school's server, as the
// administrator wrote it in class.ini.
struct ClassConfig
{
    QString file; // the class.ini it was read from
    QString server;
    int port = 5432;
    QString database = QStringLiteral("varolin");
    QString className;
    QString login; // "role": a pupil login on classroom machines, a teacher's on theirs
    QString passwordFile;
    // Over the network the password goes only to a server that proves it
    // knows it (SCRAM with channel binding, over TLS); weaker modes are used
    // only when class.ini names them. A server given as a Unix socket folder
    // is this machine's own: neither applies there.
    QString sslMode = QStringLiteral("require");
    QString channelBinding = QStringLiteral("require");
    QString sslRootCert;
    // A teacher's login opens every record of their classes: its password
    // file must be theirs alone, not their group's too.
    bool teacher = false;
};

// The class.ini that applies: the user's own (in their configuration folder)
// over the machine's (/etc/xdg/Varolin); empty when there is none, and the
// machine then keeps its sheets to itself.
QString findClassConfig();

// Reads class.ini. Empty, with the reason in `error`, when a key the
// connection cannot do without (server, class, role, password_file) is
// missing, the port is not a port, or sslmode or channel_binding is not one
// of libpq's modes.
std::optional<ClassConfig> readClassConfig(const QString& path, QString* error = nullptr);

// Why the server could not be used.
enum class ClassProblem {
    None,
    PasswordFileMissing,
    PasswordFileUnreadable,
    PasswordFileExposed, // others may read it (for a teacher's login, their group too)
    Unreachable, // no answer, or the connection dropped: try again later
    LoginRefused, // wrong password, unknown login, not let in by the server
    PrivilegeRefused, // the login may not do what was asked
    NewerServer, // the server's layout is newer than this program knows
    Failed, // anything else the server refused
};

// Opens `connection` (a QPSQL database of the calling thread, not yet open)
// with the configuration, pins the session (its role, row-level security on,
// writable, a statement timeout) and checks the server's layout. On failure
// the connection is closed and the problem returned, the server's or
// libpq's words in `detail`: a connection refused is told apart by asking
// the server whether it answers at all, never from the words.
ClassProblem openClassConnection(
    QSqlDatabase& connection, const ClassConfig& config, QString* detail = nullptr);

// The server layout this program reads and writes.
constexpr int ClassServerLayout = 2;

// The problem a failed query stands for.
ClassProblem classProblemOf(const QSqlError& error);
