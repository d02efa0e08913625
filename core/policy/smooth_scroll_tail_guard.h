#pragma once

#include "foundation/string_enumeration.h"

#include <QList>
#include <QString>

#include <optional>

// Tells the decaying tail of one scroll burst (the ever smaller deltas a spun
// wheel or a smoothed device keeps sending after the event that turned the
// page) apart from fresh input. The owner starts it after a page turn with the
// magnitude of the last event and asks it about every later event.
struct SmoothScrollTailGuard
{
    class Verdict : public StringEnumeration<Verdict>
    {
    public:
        enum Value { tail, newIntent };
        static constexpr EnumerationCase<Value> cases[] = {{tail, "tail"}, {newIntent, "newIntent"}};

        constexpr Verdict(Value value) : m_value(value) {}
        constexpr operator Value() const { return m_value; }

    private:
        Value m_value;
    };

    struct Configuration
    {
        double idleGap = 0.25;
        double decayRatio = 0.45;
        double newIntentRatio = 0.7;
        double newIntentDelay = 0.35;
        double minimumMagnitude = 0.25;
        double continuousWindow = 1.6;
        double maxTail = 2.6;

        // Clamps every argument into range; a NaN or infinite argument takes
        // the default. `maxTail` is never shorter than the continuous window.
        Configuration(double idleGap = 0.25, double decayRatio = 0.45, double newIntentRatio = 0.7,
                      double newIntentDelay = 0.35, double minimumMagnitude = 0.25, double continuousWindow = 1.6,
                      double maxTail = 2.6);

        friend bool operator==(const Configuration &, const Configuration &) = default;
    };

    Configuration configuration;

    explicit SmoothScrollTailGuard(const Configuration &configuration = Configuration());

    bool isActive() const { return m_active; }

    // Begins watching a burst whose last event had this magnitude. A NaN or
    // infinite timestamp cannot anchor a burst and leaves the guard inactive.
    void start(double magnitude, double timestamp);
    void reset();
    // Every `newIntent` from an active guard leaves it inactive.
    Verdict consume(double magnitude, double timestamp);

private:
    bool m_active = false;
    double m_peak = 0;
    double m_low = 0;
    double m_previous = 0;
    double m_startedAt = 0;
    double m_lastAt = 0;
};
