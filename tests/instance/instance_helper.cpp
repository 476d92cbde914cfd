// SPDX-License-Identifier: GPL-3.0-or-later
// Stands in for the program in the one-copy and termination tests: it claims the one copy as the
// program does and says on standard output what happens to it, a line each:
//   "running"      it is the one copy and listens for later ones
//   "shown"        a later copy asked it to show itself
//   "handed over"  another copy runs; this one ended with status 0
// A request to end appends "saved" to the file named by the first argument, if any, and ends
// with status 0.
#include "app/single_instance.h"
#include "app/termination.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

void say(const char* line)
{
    std::puts(line);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    SingleInstance instance(u"varolin"_s);
    if (!instance.claim()) {
        say("handed over");
        return 0;
    }
    Termination termination;
    const QString marker = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    QObject::connect(&termination, &Termination::requested, &application, [&marker] {
        QFile file(marker);
        if (!marker.isEmpty() && file.open(QIODevice::Append))
            file.write("saved\n");
        QCoreApplication::exit(0);
    });
    QObject::connect(&instance, &SingleInstance::activationRequested, [] { say("shown"); });
    // A copy that a failed test lost track of does not linger.
    QTimer::singleShot(30000, &application, [] { QCoreApplication::exit(3); });
    say("running");
    return QCoreApplication::exec();
}
