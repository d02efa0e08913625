#pragma once

// How far one interactive page drag has pulled the neighbour page, shared by
// the scroll drag and the pointer drag so that both feel the same: the
// direction it started in, the points travelled along it, the fraction of a
// page in view (with resistance past the last page) and a smoothed velocity
// for telling a flick from a slow pull.
class PageDragProgress
{
public:
    int direction() const { return m_direction; }
    bool isAtEdge() const { return m_atEdge; }
    double points() const { return m_points; }
    double progress() const { return m_progress; }
    double lastTimestamp() const { return m_lastTimestamp; }

    // Starts over toward `direction` (+1 next page, -1 previous page, 0 not
    // yet known); `isAtEdge` when no page lies that way.
    void begin(int direction, bool isAtEdge, double timestamp);
    // Forgets the drag but keeps the time of the last event.
    void clear();
    // Forgets the drag and the time of the last event.
    void reset();

    // Moves to `points` travelled along the drag's direction (never below 0)
    // over a page `travel` points long; returns the new progress.
    double advance(double points, double travel, double edgeResistance, double timestamp);

    // Whether letting go now turns the page: far enough or fast enough, and
    // never past the last page.
    bool shouldCommit(double commitProgress, double flickVelocity) const;
    // Seconds the settle animation takes from here to a turned page or back.
    double settleDuration(bool commit, double settleBase) const;

private:
    int m_direction = 0;
    bool m_atEdge = false;
    double m_points = 0;
    double m_progress = 0;
    double m_velocity = 0;
    double m_lastTimestamp = -1;
};
