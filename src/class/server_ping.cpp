// SPDX-License-Identifier: GPL-3.0-or-later
#include "class/server_ping.h"

#include <libpq-fe.h>

#include <dlfcn.h>

namespace {

using PingParams = PGPing (*)(const char* const* keywords, const char* const* values, int expand);

// Resolved once, on the first question; the library stays loaded, as Qt's
// PostgreSQL driver keeps it too.
PingParams pingFunction()
{
    static const PingParams function = []() -> PingParams {
        void* library = dlopen("libpq.so.5", RTLD_NOW | RTLD_LOCAL);
        return library ? reinterpret_cast<PingParams>(dlsym(library, "PQpingParams")) : nullptr;
    }();
    return function;
}

} // namespace

ServerPing pingServer(const std::vector<std::pair<QByteArray, QByteArray>>& parameters)
{
    const PingParams ping = pingFunction();
    if (!ping)
        return ServerPing::NoClient;
    std::vector<const char*> keys;
    std::vector<const char*> values;
    for (const auto& [key, value] : parameters) {
        keys.push_back(key.constData());
        values.push_back(value.constData());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    switch (ping(keys.data(), values.data(), 0)) {
    case PQPING_OK:
        return ServerPing::Answers;
    case PQPING_REJECT:
    case PQPING_NO_RESPONSE:
        return ServerPing::Away;
    case PQPING_NO_ATTEMPT:
        break;
    }
    return ServerPing::NotAttempted;
}
