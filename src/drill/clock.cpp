#include "app/form1.h"

#include "scores/time_text.h"

#include <QLineEdit>
#include <QTimer>

#include <cstdint>
#include <limits>

namespace {

constexpr int TickMilliseconds = 1000;

} // namespace

void Form1::StartClock()
{
    state.elapsedSeconds = 0;
    Timer1->setInterval(TickMilliseconds);
    Timer1->start();
}

void Form1::StopClock()
{
    Timer1->stop();
    // No period marks the clock as stopped rather than paused: only a paused
    // clock is resumed when the stop question is answered No.
    Timer1->setInterval(0);
}

void Form1::Timer1_Timer()
{
    // The count is 16 bits wide: after about nine hours it stays at its
    // largest value instead of wrapping to a negative time.
    if (state.elapsedSeconds < std::numeric_limits<std::int16_t>::max())
        ++state.elapsedSeconds;
    Text1->setText(clockText(state.elapsedSeconds));
}
