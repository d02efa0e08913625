#include "edge_auto_page_policy.h"

#include <algorithm>
#include <cmath>

namespace {

double atLeast(double value, double lowest)
{
    return std::isnan(value) ? lowest : std::max(lowest, value);
}

} // namespace

EdgeAutoPagePolicy::Configuration::Configuration(double edgeRatio, double minimumEdge, double maximumEdge,
                                                 double firstDelay, double repeatDelay)
    : edgeRatio(std::min(0.4, atLeast(edgeRatio, 0))), minimumEdge(atLeast(minimumEdge, 1)),
      // Against the stored minimum, so that the largest band is never below one point.
      maximumEdge(atLeast(maximumEdge, this->minimumEdge)),
      firstDelay(atLeast(firstDelay, 0)), repeatDelay(atLeast(repeatDelay, 0))
{
}

EdgeAutoPagePolicy::EdgeAutoPagePolicy(const Configuration &configuration) : configuration(configuration) {}

EdgeAutoPagePolicy::Edge EdgeAutoPagePolicy::edge(double x, double width) const
{
    if (!std::isfinite(width) || width <= 0 || !std::isfinite(x))
        return Edge::none;
    const double band = std::min(std::max(width * configuration.edgeRatio, configuration.minimumEdge),
                                 std::min(configuration.maximumEdge, width / 3));
    if (x <= band)
        return Edge::previous;
    if (x >= width - band)
        return Edge::next;
    return Edge::none;
}

EdgeAutoPagePolicy::Action EdgeAutoPagePolicy::update(Edge edge, int page, int pageCount, bool hasPendingPage,
                                                      double timestamp)
{
    if (edge == Edge::none) {
        reset();
        return Action::makeIdle();
    }
    // A NaN or infinite time stored as the entry or action time would make
    // every later comparison false and turn a page on every call.
    if (!std::isfinite(timestamp))
        return Action::makeWait(configuration.firstDelay);
    if (edge != m_edge) {
        m_edge = edge;
        m_enteredAt = timestamp;
        m_lastActionAt = -1;
        return Action::makeWait(configuration.firstDelay);
    }

    const double elapsed = timestamp - m_enteredAt;
    if (elapsed < configuration.firstDelay)
        return Action::makeWait(configuration.firstDelay - elapsed);
    if (m_lastActionAt >= 0 && timestamp - m_lastActionAt < configuration.repeatDelay)
        return Action::makeWait(configuration.repeatDelay - (timestamp - m_lastActionAt));

    Action action = Action::makeIdle();
    if (m_edge == Edge::previous) {
        if (page >= 1)
            action = Action::makeTurn(-1);
    } else if (pageCount > qint64(page) + 1) {
        action = Action::makeTurn(1);
    } else if (!hasPendingPage) {
        action = Action::makeCreatePage();
    }
    if (action.kind != Action::idle)
        m_lastActionAt = timestamp;
    return action;
}

void EdgeAutoPagePolicy::reset()
{
    m_edge = Edge::none;
    m_enteredAt = -1;
    m_lastActionAt = -1;
}
