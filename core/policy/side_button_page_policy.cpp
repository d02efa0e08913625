#include "side_button_page_policy.h"

#include <algorithm>
#include <cmath>

SideButtonPagePolicy::Configuration::Configuration(double cooldown)
    : cooldown(std::isnan(cooldown) ? 0.0 : std::max(0.0, cooldown))
{
}

SideButtonPagePolicy::SideButtonPagePolicy(const Configuration &configuration) : configuration(configuration) {}

std::optional<SideButtonPagePolicy::Direction> SideButtonPagePolicy::direction(int buttonNumber)
{
    switch (buttonNumber) {
    case 3: return Direction(Direction::previous);
    case 4: return Direction(Direction::next);
    default: return std::nullopt;
    }
}

std::optional<SideButtonPagePolicy::Direction> SideButtonPagePolicy::consume(int buttonNumber, double timestamp)
{
    const std::optional<Direction> result = direction(buttonNumber);
    if (!result)
        return std::nullopt;
    // Storing a NaN or infinite time would make every later difference
    // meaningless and silence the buttons for good.
    if (!std::isfinite(timestamp))
        return std::nullopt;
    if (m_lastAccepted < 0 || timestamp - m_lastAccepted >= configuration.cooldown) {
        m_lastAccepted = timestamp;
        return result;
    }
    return std::nullopt;
}
