// SPDX-License-Identifier: GPL-3.0-or-later
#include "class/libpq_functions.h"

#include <dlfcn.h>

namespace {

template <typename Function> bool resolve(void* library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

} // namespace

const LibpqFunctions* libpq()
{
    // Loaded once; the library stays, as Qt's driver keeps it too.
    static const LibpqFunctions* const loaded = []() -> const LibpqFunctions* {
        static LibpqFunctions functions{};
        void* library = dlopen("libpq.so.5", RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return nullptr;
        const bool all = resolve(library, "PQpingParams", functions.pingParams)
            && resolve(library, "PQconnectdbParams", functions.connectdbParams)
            && resolve(library, "PQstatus", functions.status)
            && resolve(library, "PQconnectionUsedPassword", functions.connectionUsedPassword)
            && resolve(library, "PQfinish", functions.finish);
        return all ? &functions : nullptr;
    }();
    return loaded;
}
