#pragma once

#include "app/form1.h"
#include "fake_desktop.h"

#include <QTemporaryDir>

#include <memory>

// A window on a fake desktop, with a temporary folder playing the program's
// folder. Files can be put there before the window is made.
struct FormFixture
{
    FormFixture();

    QString path(const QString& fileName) const;
    void writeFile(const QString& fileName, const QByteArray& contents) const;
    QByteArray readFile(const QString& fileName) const;

    // Makes the window (which runs its start-up).
    Form1& make();
    Form1& form() { return *window; }

    QTemporaryDir folder;
    FakeDesktop desktop;
    std::unique_ptr<Form1> window;
};
