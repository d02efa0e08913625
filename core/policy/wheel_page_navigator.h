#pragma once

#include "page_direction.h"
#include "smooth_scroll_tail_guard.h"

#include <QList>
#include <QString>

#include <optional>

// Turns a stream of scroll events (wheel notches, fine-grained trackpad deltas
// and the momentum after a flick) into discrete page steps: at most one step
// per event, with thresholds, cooldowns, one page per phased gesture, and a
// clustering of wheel notches that swallows the spin-down of a fast wheel.
// Reads no clock: every event carries its own timestamp in seconds.
struct WheelPageNavigator
{
    // Mirrors the platform's scroll-gesture phases.
    enum class Phase { none, began, changed, ended, cancelled, mayBegin };

    using Direction = PageDirection;

    // One platform scroll event, also consumed by the interactive page drag.
    struct Event
    {
        double deltaX = 0;
        double deltaY = 0;
        // Fine-grained point deltas rather than wheel notches.
        bool precise = false;
        // The device reports inverted deltas; both are negated before use.
        bool inverted = false;
        Phase phase = Phase::none;
        Phase momentumPhase = Phase::none;
        // Seconds on a monotonic clock; only differences are used.
        double timestamp = 0;

        friend bool operator==(const Event &, const Event &) = default;
    };

    struct Configuration
    {
        double preciseThreshold = 55;
        int mouseNotchesPerPage = 1;
        double mouseCooldown = 0.28;
        double gestureCooldown = 0.3;
        double gestureIdleReset = 0.22;
        double minimumDelta = 0.25;
        double clusterGap = 0.35;
        double clusterMax = 1.6;
        double smoothTailMax = 2.6;

        // Clamps every argument into range; a NaN or infinite argument takes
        // the default. The cluster and tail windows are compared with the raw
        // arguments, so that each window is at least as long as the one before.
        Configuration(double preciseThreshold = 55, int mouseNotchesPerPage = 1, double mouseCooldown = 0.28,
                      double gestureCooldown = 0.3, double gestureIdleReset = 0.22, double minimumDelta = 0.25,
                      double clusterGap = 0.35, double clusterMax = 1.6, double smoothTailMax = 2.6);

        friend bool operator==(const Configuration &, const Configuration &) = default;
    };

    Configuration configuration;

    // The tail guard takes `clusterMax` and `smoothTailMax` once, here; a later
    // change of `configuration` does not reach it.
    explicit WheelPageNavigator(const Configuration &configuration = Configuration());

    // Back to the state before any event; the configuration stays.
    void reset();
    // The page step this event completes, if any. An event whose timestamp is
    // NaN or infinite is ignored; NaN or infinite deltas count as no movement.
    std::optional<Direction> consume(const Event &event);

private:
    double m_accumulation = 0;
    int m_directionSign = 0;
    bool m_gestureLocked = false;
    double m_cooldownUntil = 0;
    double m_lastTimestamp = -1;
    double m_clusterStart = -1;
    double m_clusterUntil = 0;
    SmoothScrollTailGuard m_tailGuard;
};
