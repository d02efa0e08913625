#pragma once

#include "foundation/string_enumeration.h"

#include <QHashFunctions>
#include <QList>
#include <QString>

#include <optional>

// Turns pages while a dragged tile is held in the band along the left or right
// edge of the launcher: a first delay, then one turn per repeat delay, and at
// the right edge of the last page a request for a new page. Starts no timer:
// a `wait` result tells the caller when to ask again.
struct EdgeAutoPagePolicy
{
    class Edge : public StringEnumeration<Edge>
    {
    public:
        enum Value { none, previous, next };
        static constexpr EnumerationCase<Value> cases[] = {{none, "none"}, {previous, "previous"}, {next, "next"}};

        constexpr Edge(Value value) : m_value(value) {}
        constexpr operator Value() const { return m_value; }

    private:
        Value m_value;
    };

    struct Action
    {
        enum Kind {
            // Ask again after `seconds`.
            wait,
            // Turn one page by `direction` (-1 or +1) now.
            turn,
            // Nothing to do and nothing to wait for.
            idle,
            // Append a new empty page after the last one.
            createPage
        };

        Kind kind = idle;
        double seconds = 0;
        int direction = 0;

        static Action makeWait(double seconds) { return Action{wait, seconds, 0}; }
        static Action makeTurn(int direction) { return Action{turn, 0, direction}; }
        static Action makeIdle() { return Action{idle, 0, 0}; }
        static Action makeCreatePage() { return Action{createPage, 0, 0}; }

        friend bool operator==(const Action &, const Action &) = default;
    };

    struct Configuration
    {
        // Band width as a fraction of the view width.
        double edgeRatio = 0.07;
        double minimumEdge = 52;
        double maximumEdge = 130;
        double firstDelay = 0.55;
        double repeatDelay = 0.75;

        // Clamps: edgeRatio into 0...0.4, minimumEdge at least 1, maximumEdge
        // at least minimumEdge, both delays at least 0. A NaN argument takes
        // the lower bound.
        explicit Configuration(double edgeRatio = 0.07, double minimumEdge = 52, double maximumEdge = 130,
                      double firstDelay = 0.55, double repeatDelay = 0.75);

        friend bool operator==(const Configuration &, const Configuration &) = default;
    };

    Configuration configuration;

    explicit EdgeAutoPagePolicy(const Configuration &configuration = Configuration());

    // The band under the pointer. A view without a positive finite width, or a
    // NaN or infinite x, has no band.
    Edge edge(double x, double width) const;
    // One step of a hold. A NaN or infinite timestamp changes nothing and asks
    // for the first delay, so the caller simply tries again.
    Action update(Edge edge, int page, int pageCount, bool hasPendingPage, double timestamp);
    void reset();

    Edge edge() const { return m_edge; }
    double enteredAt() const { return m_enteredAt; }
    double lastActionAt() const { return m_lastActionAt; }

private:
    Edge m_edge = Edge::none;
    double m_enteredAt = -1;
    double m_lastActionAt = -1;
};
