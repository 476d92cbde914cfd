// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>

#include <grp.h>
#include <unistd.h>

// Root reads and writes everything, so a test of read-only folders and
// unreadable files runs its choice in a child that, under root, drops to
// the user nobody; for any other user the child is that user.
namespace OrdinaryUser {

inline constexpr uid_t Nobody = 65534;

inline bool isRoot()
{
    return ::getuid() == 0;
}

// The uid a file should belong to for the child to own it.
inline uid_t childUid()
{
    return isRoot() ? Nobody : ::getuid();
}

inline void dropWhenRoot(QProcess& process)
{
    if (isRoot())
        process.setChildProcessModifier([] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0)
                ::_exit(3);
        });
}

} // namespace OrdinaryUser
