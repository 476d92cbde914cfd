// SPDX-License-Identifier: GPL-3.0-or-later
#include "practice/class_link.h"

#include "class/class_sender.h"

#include <cstdio>
#include <utility>

namespace {

Failed failedOf(ClassProblem problem)
{
    switch (problem) {
    case ClassProblem::PasswordFileMissing:
        return Failed::PasswordFileMissing;
    case ClassProblem::PasswordFileUnreadable:
        return Failed::PasswordFileUnreadable;
    case ClassProblem::PasswordFileExposed:
        return Failed::PasswordFileExposed;
    case ClassProblem::Unreachable:
        return Failed::ServerAway;
    case ClassProblem::ConnectionUnusable:
        return Failed::ConnectionUnusable;
    case ClassProblem::LoginRefused:
        return Failed::LoginRefused;
    case ClassProblem::PrivilegeRefused:
        return Failed::PrivilegeRefused;
    case ClassProblem::LoginTooPowerful:
        return Failed::LoginTooPowerful;
    case ClassProblem::NewerServer:
        return Failed::NewerServer;
    case ClassProblem::None:
    case ClassProblem::Failed:
        break;
    }
    // A problem with no known cause is told as the server's failure, never
    // taken for the server being away.
    return Failed::ServerFailed;
}

} // namespace

SenderLink::SenderLink(ClassConfig config, QString records, QObject* parent)
    : ClassLink(parent)
    , config(std::move(config))
    , records(std::move(records))
{ }

SenderLink::~SenderLink() = default;

void SenderLink::start()
{
    if (sender)
        return;
    sender = std::make_unique<ClassSender>(config, records);
    connect(sender.get(), &ClassSender::rosterRead, this, &ClassLink::rosterRead);
    connect(sender.get(), &ClassSender::sheetsWaiting, this, &ClassLink::tried);
    connect(
        sender.get(), &ClassSender::problem, this, [this](ClassProblem why, const QString& detail) {
            const Failed what = failedOf(why);
            const bool passwordFile
                = what == Failed::PasswordFileMissing || what == Failed::PasswordFileUnreadable;
            Q_EMIT failed({what, passwordFile ? config.passwordFile : config.server, detail});
        });
    connect(sender.get(), &ClassSender::sheetsRefused, this, [this](int sheets) {
        std::fprintf(stderr,
            "Varolin: %d sheets of children not on the roster of class %s stay on this "
            "computer until the roster lists them again\n",
            sheets, qPrintable(config.className));
        Q_EMIT failed({Failed::SheetsRefused, config.server});
    });
    sender->start();
}

void SenderLink::sendWaiting()
{
    if (sender)
        sender->sendWaiting();
}
