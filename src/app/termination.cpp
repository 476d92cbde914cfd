// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/termination.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::array caughtSignals{SIGTERM, SIGHUP, SIGINT};

// Shared with the signal handler, which may touch nothing else.
int signalSockets[2] = {-1, -1};
std::array<struct sigaction, caughtSignals.size()> previousActions;
std::array<bool, caughtSignals.size()> installed{};

extern "C" void onSignal(int number)
{
    const int savedErrno = errno;
    const char byte = static_cast<char>(number);
    // When the socket is full, requests are pending already and the byte is not missed.
    [[maybe_unused]] const ssize_t written = ::write(signalSockets[0], &byte, 1);
    errno = savedErrno;
}

} // namespace

Termination::Termination(QObject* parent)
    : QObject(parent)
{
    Q_ASSERT_X(signalSockets[0] == -1, "Termination", "one object per process");
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalSockets) != 0) {
        qWarning("Cannot watch for termination signals: %s", strerror(errno));
        signalSockets[0] = signalSockets[1] = -1;
    } else {
        notifier_ = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &Termination::readSignals);

        struct sigaction action = {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (std::size_t i = 0; i < caughtSignals.size(); ++i) {
            if (::sigaction(caughtSignals[i], nullptr, &previousActions[i]) != 0
                || previousActions[i].sa_handler == SIG_IGN)
                continue;
            installed[i] = ::sigaction(caughtSignals[i], &action, nullptr) == 0;
        }
    }

    // The session manager asks every program to keep its data before the session ends; the
    // program then ends without asking the user anything.
    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(application, &QGuiApplication::commitDataRequest, this, &Termination::request);
}

Termination::~Termination()
{
    restoreHandlers();
    delete notifier_;
    for (int& socket : signalSockets) {
        if (socket != -1)
            ::close(socket);
        socket = -1;
    }
}

void Termination::readSignals()
{
    char bytes[16];
    while (::read(signalSockets[1], bytes, sizeof bytes) > 0) { }
    request();
}

void Termination::request()
{
    if (requested_)
        return;
    requested_ = true;
    restoreHandlers();
    Q_EMIT requested();
}

void Termination::restoreHandlers()
{
    for (std::size_t i = 0; i < caughtSignals.size(); ++i) {
        if (installed[i])
            ::sigaction(caughtSignals[i], &previousActions[i], nullptr);
        installed[i] = false;
    }
}
