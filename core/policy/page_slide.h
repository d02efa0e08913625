#pragma once

// The arithmetic shared by the interactive page drags: progress from
// displacement with a rubber band at the first and last page, the commit
// decision, the settle duration and where the two pages stand.
class PageSlide
{
public:
    PageSlide() = delete;

    struct Origins
    {
        double outgoing = 0; // horizontal origin of the current page
        double incoming = 0; // horizontal origin of the neighbour

        friend bool operator==(const Origins &, const Origins &) = default;
    };

    static constexpr double defaultResistance = 0.22;
    static constexpr double defaultCommitProgress = 0.28;
    static constexpr double defaultFlickVelocity = 1.1;
    static constexpr double defaultSettleBase = 0.34;

    // Fraction of a page dragged. At an edge the page follows ever more slowly
    // and never passes the resistance (at most 0.5).
    static double dragProgress(double displacement, double travel, bool atEdge = false,
                               double resistance = defaultResistance);
    // Never at an edge. The velocity is signed: moving back never commits.
    static bool shouldCommit(double progress, double velocity, bool atEdge,
                             double commitProgress = defaultCommitProgress,
                             double flickVelocity = defaultFlickVelocity);
    // Seconds, scaled by the remaining distance; never below 0.12.
    static double settleDuration(double from, double to, double base = defaultSettleBase);
    // direction < 0 pulls in the previous page from the left; anything else
    // the next page from the right.
    static Origins origins(double width, double progress, int direction);
};
