#pragma once

#include "page_direction.h"

#include <QHashFunctions>
#include <QList>
#include <QString>

#include <optional>

// Turns the extra mouse buttons (3 back, 4 forward) into page steps, with a
// short cooldown so that a bouncing switch or a quick double press turns one
// page, not two.
struct SideButtonPagePolicy
{
    using Direction = PageDirection;

    struct Configuration
    {
        double cooldown = 0.14;

        // Stored as at least 0; NaN counts as 0.
        explicit Configuration(double cooldown = 0.14);

        friend bool operator==(const Configuration &, const Configuration &) = default;
    };

    Configuration configuration;

    explicit SideButtonPagePolicy(const Configuration &configuration = Configuration());

    // The direction of a platform button number: 3 previous, 4 next.
    static std::optional<Direction> direction(int buttonNumber);
    // The page step of this press, if it is a side button outside the
    // cooldown. A press with a NaN or infinite timestamp is dropped and leaves
    // the cooldown as it was.
    std::optional<Direction> consume(int buttonNumber, double timestamp);
    void reset() { m_lastAccepted = -1; }

private:
    // -1 when no press was accepted yet.
    double m_lastAccepted = -1;
};
