// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <libpq-fe.h>

// The functions of libpq, PostgreSQL's client library, that the class layer
// calls itself (Qt's driver loads the library on its own when a connection
// is opened). They are resolved the first time they are needed, never at
// start-up: a computer with no class does not map the library, nor the TLS,
// Kerberos and LDAP libraries it brings along.
struct LibpqFunctions
{
    PGPing (*pingParams)(const char* const* keywords, const char* const* values, int expand);
    PGconn* (*connectdbParams)(const char* const* keywords, const char* const* values, int expand);
    ConnStatusType (*status)(const PGconn* connection);
    int (*connectionUsedPassword)(const PGconn* connection);
    void (*finish)(PGconn* connection);
};

// The functions, loaded on the first call; null when the library or one of
// them cannot be had on this machine.
const LibpqFunctions* libpq();
