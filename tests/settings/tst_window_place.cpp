// SPDX-License-Identifier: GPL-3.0-or-later
// A saved window position opens the window where the user can drag it: kept
// on any screen (also far beyond 16 bits of twips) while a 64 x 16 band of its
// title bar lies on one screen, moved to the middle of the primary screen
// otherwise.
#include "settings/window_place.h"

#include <QtTest>

#include <limits>

class WindowPlaceTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void place_data();
    void place();
    void twips_data();
    void twips();
};

namespace {

const QSize window(716, 639);
const QRect primary(0, 0, 1920, 1040);
const QRect right(1920, 0, 2560, 1400);
const QRect left(-1280, 200, 1280, 984);
const QPoint middle((1920 - 716) / 2, (1040 - 639) / 2);

} // namespace

void WindowPlaceTest::place_data()
{
    QTest::addColumn<QPoint>("saved");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QList<QRect>>("screens");
    QTest::addColumn<QPoint>("placed");

    const QList<QRect> one{primary};
    const QList<QRect> three{primary, right, left};

    QTest::newRow("on the primary screen") << QPoint(100, 50) << window << one << QPoint(100, 50);
    QTest::newRow("on a second screen beyond 2184 pixels")
        << QPoint(3000, 300) << window << three << QPoint(3000, 300);
    QTest::newRow("on a screen left of the primary")
        << QPoint(-1000, 400) << window << three << QPoint(-1000, 400);
    QTest::newRow("second screen gone") << QPoint(3000, 300) << window << one << middle;
    QTest::newRow("mostly off the screen, title bar reachable")
        << QPoint(-600, 100) << window << one << QPoint(-600, 100);
    QTest::newRow("64 pixels of title bar at the right edge")
        << QPoint(1856, 100) << window << one << QPoint(1856, 100);
    QTest::newRow("63 pixels of title bar at the right edge")
        << QPoint(1857, 100) << window << one << middle;
    QTest::newRow("only the title bar above the bottom edge")
        << QPoint(100, 1024) << window << one << QPoint(100, 1024);
    QTest::newRow("title bar cut by the bottom edge")
        << QPoint(100, 1025) << window << one << middle;
    QTest::newRow("title bar a pixel above the screen, the rest on it")
        << QPoint(100, -1) << window << one << middle;
    QTest::newRow("above every screen") << QPoint(100, -700) << window << one << middle;
    QTest::newRow("straddling two screens")
        << QPoint(1900, 100) << window << three << QPoint(1900, 100);
    QTest::newRow("huge position") << QPoint(143165576, 143165576) << window << three << middle;
    QTest::newRow("huge negative position")
        << QPoint(-143165576, -143165576) << window << three << middle;
    QTest::newRow("window larger than the screen")
        << QPoint(5000, 5000) << QSize(2000, 1200) << one << QPoint(0, 0);
    QTest::newRow("no screens at all") << QPoint(100, 50) << window << QList<QRect>() << middle;
    QTest::newRow("tiny window needs only itself on screen")
        << QPoint(1910, 100) << QSize(10, 10) << one << QPoint(1910, 100);
}

void WindowPlaceTest::place()
{
    QFETCH(QPoint, saved);
    QFETCH(QSize, size);
    QFETCH(QList<QRect>, screens);
    QFETCH(QPoint, placed);
    QCOMPARE(WindowPlace::place(saved, size, screens, primary), placed);
}

void WindowPlaceTest::twips_data()
{
    QTest::addColumn<int>("pixels");
    QTest::addColumn<int>("twips");
    QTest::addColumn<int>("back"); // fromTwips(twips)

    QTest::newRow("origin") << 0 << 0 << 0;
    QTest::newRow("100 pixels") << 100 << 1500 << 100;
    QTest::newRow("beyond 16 bits of twips") << 2200 << 33000 << 2200;
    QTest::newRow("a second 4K screen") << 7000 << 105000 << 7000;
    QTest::newRow("negative") << -5 << -75 << -5;
    QTest::newRow("largest pixel clamps")
        << std::numeric_limits<int>::max() << std::numeric_limits<std::int32_t>::max() << 143165576;
    QTest::newRow("smallest pixel clamps")
        << std::numeric_limits<int>::min() << std::numeric_limits<std::int32_t>::min()
        << -143165577;
}

void WindowPlaceTest::twips()
{
    QFETCH(int, pixels);
    QFETCH(int, twips);
    QFETCH(int, back);
    QCOMPARE(WindowPlace::toTwips(pixels), twips);
    QCOMPARE(WindowPlace::fromTwips(twips), back);
}

QTEST_GUILESS_MAIN(WindowPlaceTest)
#include "tst_window_place.moc"
