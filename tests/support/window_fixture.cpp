// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_fixture.h"

#include <QFile>
#include <QLabel>

#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

using namespace Qt::StringLiterals;

QString WindowFixture::path(const QString& fileName) const
{
    return folder.filePath(fileName);
}

void WindowFixture::writeFile(const QString& fileName, const QByteArray& contents) const
{
    QFile file(path(fileName));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(contents);
}

QByteArray WindowFixture::readFile(const QString& fileName) const
{
    QFile file(path(fileName));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

MainWindow& WindowFixture::make()
{
    window.reset();
    machine.reset();
    machine = std::make_unique<MachinePractice>(PracticeSetup{
        .settings = {path(u"Varolin.ini"_s), true},
        .records = recordsPath(),
        .seed = desktop.seed,
        .monotonic = [this] { return desktop.monotonicMilliseconds(); },
        .now = [this] { return desktop.now(); },
        .unsavedNote = path(u"settings-not-saved"_s),
        .classroom = classroom,
        .startTwips = MainWindow::openingTwips(),
        .makeLink = makeLink,
    });
    practice = &machine->practice();
    window = std::make_unique<MainWindow>(
        desktop, *practice, programFolder.isEmpty() ? folder.path() : programFolder);
    window->show();
    return *window;
}

QLabel* WindowFixture::rowHeader(int row) const
{
    return find<QLabel>(u"rowHeader%1"_s.arg(row));
}

QLabel* WindowFixture::columnHeader(int column) const
{
    return find<QLabel>(u"columnHeader%1"_s.arg(column));
}

AnswerCell* WindowFixture::cell(int cell) const
{
    return find<AnswerCell>(u"answerCell%1"_s.arg(cell));
}

QPushButton* WindowFixture::button(const QString& name) const
{
    return find<QPushButton>(name);
}

QString WindowFixture::bestTimeText() const
{
    return find<QLabel>(u"bestTimeLabel"_s)->text();
}

void WindowFixture::click(const QString& buttonName) const
{
    if (QPushButton* target = button(buttonName))
        QTest::mouseClick(target, Qt::LeftButton);
}
