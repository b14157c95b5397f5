#pragma once

// How long the window's thread went without taking its events, for the benchmarks that watch a
// window while work goes on behind it.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <chrono>

namespace bench {

// The longest time between two ticks of a timer that wants to tick every few milliseconds: the
// longest the user's clicks and the window's repaints would have waited.
class StallMeter
{
public:
    static constexpr auto kTick = std::chrono::milliseconds(5);

    StallMeter()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(kTick);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_longest = std::max(m_longest, m_clock.nsecsElapsed());
            m_clock.restart();
        });
    }
    void start()
    {
        m_longest = 0;
        m_clock.start();
        m_timer.start();
    }
    double stopMs()
    {
        m_timer.stop();
        // The stretch since the last tick counts too: a stall can last until the very end.
        m_longest = std::max(m_longest, m_clock.nsecsElapsed());
        return static_cast<double>(m_longest) / 1e6;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_longest = 0;
};

} // namespace bench
