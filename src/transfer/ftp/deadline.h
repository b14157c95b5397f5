#pragma once

#include <chrono>

// A point in time by which a wait must end; turns into the millisecond timeout poll() takes.
class Deadline
{
public:
    using Clock = std::chrono::steady_clock;

    explicit Deadline(std::chrono::milliseconds limit) : m_limit(limit), m_end(Clock::now() + limit) {}

    std::chrono::milliseconds limit() const { return m_limit; }
    bool expired() const { return Clock::now() >= m_end; }

    // Milliseconds left, rounded up so that a wait never ends just before the deadline.
    int remainingMilliseconds() const
    {
        const auto left = m_end - Clock::now();
        if (left <= Clock::duration::zero())
            return 0;
        return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
    }

private:
    std::chrono::milliseconds m_limit;
    Clock::time_point m_end;
};
