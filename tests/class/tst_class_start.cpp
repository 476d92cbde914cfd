// SPDX-License-Identifier: GPL-3.0-or-later
// What a failed start of the class view means: a server away opens the view,
// which says so and may reach it later; every other failure, and no answer
// at all, ends the start and is told; an unknown failure is never "away".
#include "class/class_records.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(std::optional<Done>)

class ClassStartTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void failedStart_data()
    {
        QTest::addColumn<std::optional<Done>>("opened");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<std::optional<Failed>>("told");
        const auto failed = [](Failed what) {
            return std::optional<Done>(Failure{what, u"school"_s, u"its words"_s});
        };
        QTest::newRow("opened") << std::optional<Done>(Done()) << true << std::optional<Failed>();
        QTest::newRow("server away")
            << failed(Failed::ServerAway) << true << std::optional(Failed::ServerAway);
        QTest::newRow("login refused")
            << failed(Failed::LoginRefused) << false << std::optional(Failed::LoginRefused);
        QTest::newRow("failed with no known cause")
            << failed(Failed::ServerFailed) << false << std::optional(Failed::ServerFailed);
        QTest::newRow("no answer came")
            << std::optional<Done>() << false << std::optional(Failed::ServerFailed);
    }

    void failedStart()
    {
        QFETCH(std::optional<Done>, opened);
        QFETCH(bool, opens);
        QFETCH(std::optional<Failed>, told);
        const ClassStart start = classStart(opened);
        QCOMPARE(start.opens, opens);
        QCOMPARE(start.told ? std::optional(start.told->what) : std::nullopt, told);
        // The server's words go with the failure to the box's details.
        if (opened && *opened)
            QCOMPARE(start.told->detail, (*opened)->detail);
    }
};

QTEST_GUILESS_MAIN(ClassStartTest)
#include "tst_class_start.moc"
