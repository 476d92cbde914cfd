// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <utility>
#include <vector>

// What a server said when asked, without a password, whether it answers.
enum class ServerPing {
    Answers, // it is up and took the question: what failed was ours to send
    Away, // no answer, or one starting up or shutting down
    NotAttempted, // the parameters could not even be tried
    NoClient, // the PostgreSQL client library cannot be loaded here
};

// Asks the server named by libpq's connection `parameters` whether it
// answers, sending no password. The client library is loaded the first time
// a machine asks, never at start-up: a computer with no class does not map
// it, nor the TLS, Kerberos and LDAP libraries it brings along.
[[nodiscard]] ServerPing pingServer(
    const std::vector<std::pair<QByteArray, QByteArray>>& parameters);
