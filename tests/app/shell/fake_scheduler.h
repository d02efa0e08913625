#pragma once

#include <functional>
#include <map>
#include <utility>

// A scheduler on a virtual clock: steps run only when the test advances it,
// in due-time order (and in scheduling order among equal times).
class FakeScheduler
{
public:
    std::function<void(int, std::function<void()>)> function()
    {
        return [this](int milliseconds, std::function<void()> step) {
            m_queue.emplace(m_now + milliseconds, std::move(step));
        };
    }

    int now() const { return m_now; }
    bool idle() const { return m_queue.empty(); }
    std::size_t pending() const { return m_queue.size(); }

    // Runs the next due step, moving the clock to its time; false when none.
    bool runNext()
    {
        if (m_queue.empty())
            return false;
        auto it = m_queue.begin();
        m_now = it->first;
        std::function<void()> step = std::move(it->second);
        m_queue.erase(it);
        step();
        return true;
    }

    // Runs steps due up to `milliseconds` from now, then stops the clock there.
    void advance(int milliseconds)
    {
        const int until = m_now + milliseconds;
        while (!m_queue.empty() && m_queue.begin()->first <= until)
            runNext();
        m_now = until;
    }

    // Runs everything, including what running schedules; bounded so a loop
    // that never ends fails instead of hanging.
    int runAll(int limit = 100000)
    {
        int count = 0;
        while (count < limit && runNext())
            ++count;
        return count;
    }

private:
    int m_now = 0;
    std::multimap<int, std::function<void()>> m_queue;
};
