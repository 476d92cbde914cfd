// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/failure.h"

#include <QString>

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
    // Empty when the login is by the school's client certificate
    // (sslcert and sslkey, libpq's names), which needs no password.
    QString passwordFile;
    // Over the network the password goes only to a server that proves it
    // knows it (SCRAM with channel binding, over TLS); weaker modes are used
    // only when class.ini names them. A server given as a Unix socket folder
    // is this machine's own: neither applies there.
    QString sslMode = QStringLiteral("require");
    QString channelBinding = QStringLiteral("require"); // "disable" for a certificate alone
    QString sslRootCert;
    QString sslCert;
    QString sslKey;
    // A teacher's login opens every record of their classes: its password
    // file must be theirs alone, not their group's too.
    bool teacher = false;
};

// The class.ini that applies: the user's own (in their configuration folder)
// over the machine's (/etc/xdg/Varolin); empty when there is none, and the
// machine then keeps its sheets to itself.
QString findClassConfig();

// Reads class.ini. ClassConfigUnusable, with the reason in the details, when a key the
// connection cannot do without (server, class, role, and password_file
// unless sslcert and sslkey are given) is missing, only one of sslcert and
// sslkey is given, the port is not a port, sslmode or channel_binding is not
// one of libpq's modes, or server= lists socket folders and network hosts
// together (libpq's TLS settings hold for every host or none).
[[nodiscard]] Outcome<ClassConfig> readClassConfig(const QString& path);

// Opens `connection` (a QPSQL database of the calling thread, not yet open)
// with the configuration, pins the session (its role, row-level security on,
// writable, bounds on statements, locks and idling, no timeout ending an idle
// session) and checks the login and the server's layout, which it answers.
// On failure the connection is closed and the failure returned, the
// server's or libpq's words in its details: a connection refused is told
// apart by asking the server, without any password, whether it answers at
// all, never from the words.
[[nodiscard]] Outcome<int> openClassConnection(QSqlDatabase& connection, const ClassConfig& config);

// The server layout this program reads and writes; a server at the layout
// before it is still read and written, without the children's numbers (the
// roster's order then numbers them).
constexpr int ClassServerLayout = 3;
constexpr int OldestClassServerLayout = 2;

// The failure a failed query on `connection` stands for, with the server's
// words and SQLSTATE: a query that failed with no SQLSTATE is the
// connection lost (ServerAway) only when libpq says so, else ServerFailed,
// which is told.
Failure classFailureOf(const QSqlError& error, const QSqlDatabase& connection);
