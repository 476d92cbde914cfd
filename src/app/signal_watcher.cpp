// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/signal_watcher.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Where the handler writes for each signal; shared with the handler, which
// may touch nothing else.
std::array<volatile sig_atomic_t, 65> socketOf = [] {
    std::array<volatile sig_atomic_t, 65> sockets;
    for (auto& socket : sockets)
        socket = -1;
    return sockets;
}();

extern "C" void onSignal(int number)
{
    const int savedErrno = errno;
    const char byte = static_cast<char>(number);
    // When the socket is full, a byte is pending already and none is missed.
    [[maybe_unused]] const ssize_t written = ::write(socketOf[number], &byte, 1);
    errno = savedErrno;
}

} // namespace

SignalWatcher::SignalWatcher(std::initializer_list<int> numbers, QObject* parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, sockets) != 0) {
        qWarning("Cannot watch for signals: %s", strerror(errno));
        sockets[0] = sockets[1] = -1;
        return;
    }
    notifier = new QSocketNotifier(sockets[1], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(sockets[1], bytes, sizeof bytes) > 0) { }
        Q_EMIT received();
    });

    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : numbers) {
        if (number <= 0 || number >= static_cast<int>(socketOf.size()))
            continue;
        Watched entry{number, {}};
        if (::sigaction(number, nullptr, &entry.previous) != 0
            || entry.previous.sa_handler == SIG_IGN)
            continue;
        socketOf[number] = sockets[0];
        if (::sigaction(number, &action, nullptr) == 0)
            watched.push_back(entry);
        else
            socketOf[number] = -1;
    }
}

SignalWatcher::~SignalWatcher()
{
    restore();
    delete notifier;
    for (int& socket : sockets) {
        if (socket != -1)
            ::close(socket);
        socket = -1;
    }
}

void SignalWatcher::restore()
{
    for (Watched& entry : watched) {
        ::sigaction(entry.number, &entry.previous, nullptr);
        socketOf[entry.number] = -1;
    }
    watched.clear();
}
