#pragma once

#include "timer_scheduler.h"

#include <QList>

#include <functional>
#include <memory>

// Timers that fire only when the test says so.
class ManualTimerScheduler : public TimerScheduler
{
public:
    struct Entry
    {
        double seconds = 0;
        bool repeats = false;
        std::function<void()> block;
        bool valid = true;
    };

    std::unique_ptr<ScheduledTimer> schedule(double seconds, bool repeats, std::function<void()> block) override
    {
        auto entry = std::make_shared<Entry>(Entry{seconds, repeats, std::move(block), true});
        m_entries.append(entry);
        return std::make_unique<Handle>(entry);
    }

    // Fires every live timer once, oldest first; returns how many fired.
    int fireAll()
    {
        int fired = 0;
        const auto entries = m_entries;
        for (const auto &entry : entries) {
            if (!entry->valid)
                continue;
            if (!entry->repeats)
                entry->valid = false;
            ++fired;
            const auto block = entry->block;
            block();
        }
        return fired;
    }

    int liveCount() const
    {
        int count = 0;
        for (const auto &entry : m_entries)
            count += entry->valid ? 1 : 0;
        return count;
    }

    const QList<std::shared_ptr<Entry>> &entries() const { return m_entries; }

private:
    class Handle : public ScheduledTimer
    {
    public:
        explicit Handle(std::shared_ptr<Entry> entry) : m_entry(std::move(entry)) {}
        ~Handle() override { invalidate(); }
        void invalidate() override { m_entry->valid = false; }
        bool isValid() const override { return m_entry->valid; }

    private:
        std::shared_ptr<Entry> m_entry;
    };

    QList<std::shared_ptr<Entry>> m_entries;
};
