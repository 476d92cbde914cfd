// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window_fit.h"

#include <QEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace {

// A title bar and thin borders, as most desktops draw them.
const QMargins UsualFrame(6, 34, 6, 6);

// How long after showing the window the desktop may take to tell its frame.
constexpr int FrameWaitMilliseconds = 3000;

QMargins frameOf(const QWidget* window)
{
    const QRect inner = window->geometry();
    const QRect outer = window->frameGeometry();
    if (!window->isVisible() || outer == inner)
        return UsualFrame;
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
        outer.bottom() - inner.bottom()};
}

void place(QWidget* window, QScreen* screen, const QSize& wanted)
{
    const QRect available = screen->availableGeometry();
    const QMargins frame = frameOf(window);
    const QSize room = available.size().shrunkBy(frame);
    const QSize size = wanted.boundedTo(room).expandedTo(window->minimumSizeHint().boundedTo(room));
    window->resize(size);
    // A window's position is that of its frame.
    const QSize outer = size.grownBy(frame);
    window->move(available.topLeft()
        + QPoint(std::max(0, available.width() - outer.width()) / 2,
            std::max(0, available.height() - outer.height()) / 2));
}

// Fits the window again while its frame may still change after showing.
class FrameWatch : public QObject
{
public:
    FrameWatch(QWidget* window, QScreen* screen, const QSize& wanted)
        : QObject(window)
        , window(window)
        , screen(screen)
        , wanted(wanted)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Show:
            if (!shown) {
                shown = true;
                QTimer::singleShot(FrameWaitMilliseconds, this, &QObject::deleteLater);
            }
            [[fallthrough]];
        case QEvent::Move:
        case QEvent::Resize:
            // Not at once: the frame and the position may come in several
            // events, and the window is placed once they have.
            QTimer::singleShot(0, this, &FrameWatch::check);
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void check()
    {
        if (!screen || !window->isVisible())
            return;
        if (!screen->availableGeometry().contains(window->frameGeometry()))
            place(window, screen, wanted);
    }

    QWidget* window;
    QPointer<QScreen> screen;
    QSize wanted;
    bool shown = false;
};

} // namespace

void fitOnScreen(QWidget* window, QScreen* screen, const QSize& wanted)
{
    if (!screen)
        return;
    place(window, screen, wanted);
    new FrameWatch(window, screen, wanted);
}
