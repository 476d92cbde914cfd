// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// A copy of the helper program, started with its own runtime folder so that the test never meets
// the user's lock, nor another test's.
class HelperCopy
{
public:
    HelperCopy() { process.setProcessChannelMode(QProcess::ForwardedErrorChannel); }
    ~HelperCopy()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(2000);
        }
    }

    void start(const QString& runtimeFolder, const QString& marker = QString())
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeFolder);
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(INSTANCE_HELPER),
            marker.isEmpty() ? QStringList() : QStringList{marker});
    }

    // Waits at most `ms` until the copy has said `line` `times` times in all.
    bool said(const QByteArray& line, int times = 1, int ms = 5000)
    {
        const QDeadlineTimer deadline(ms);
        for (;;) {
            // Once the copy has ended, everything it wrote has been read.
            const bool ended = process.state() == QProcess::NotRunning;
            output += process.readAllStandardOutput();
            if (output.count(QByteArray(line + '\n')) >= times)
                return true;
            if (ended || deadline.hasExpired())
                return false;
            process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
        }
    }

    // Waits at most `ms` for the copy to end with status 0.
    bool endedWell(int ms = 5000)
    {
        return (process.state() == QProcess::NotRunning || process.waitForFinished(ms))
            && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }

    QProcess process;
    QByteArray output;
};
