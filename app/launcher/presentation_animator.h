#pragma once

#include "launcher/fade_effect.h"
#include "launcher/presentation_curve.h"
#include "paging/frame_clock.h"

#include <functional>

class QWidget;

// Showing and hiding as one animated value p (0 hidden, 1 shown): where p
// stands, the animation driving it, and what runs when that animation ends.
// The host paints p; the animator only decides it, frame by frame.
class PresentationAnimator
{
public:
    class Host
    {
    public:
        virtual ~Host() = default;
        // Media time in seconds.
        virtual double presentationNow() const = 0;
        // Puts p on screen (and records it through setProgress()).
        virtual void showPresentation(double progress) = 0;
    };

    // The presentation at one moment.
    struct State
    {
        double progress = 1;
        PresentationCurve::Animation animation;
        std::function<void()> completion;
    };

    explicit PresentationAnimator(Host &host);
    ~PresentationAnimator();

    PresentationAnimator(const PresentationAnimator &) = delete;
    PresentationAnimator &operator=(const PresentationAnimator &) = delete;

    const State &state() const { return m_state; }
    double progress() const { return m_state.progress; }
    // Where the running (or last) animation ends.
    double target() const { return m_state.animation.to; }
    bool isRunning() const { return m_clock.isRunning(); }
    FrameClock &clock() { return m_clock; }

    // Records p, clamped, as the host shows it.
    void setProgress(double progress);
    // Animates p from where it stands to `target`; an animation still running
    // ends here and its completion is dropped unrun.
    void start(double target, double duration, bool easeIn, std::function<void()> completion);
    // One frame: shows p for now, and at the end runs the completion.
    void tick();
    // Stops the animation where it is; its completion is dropped unrun.
    void cancel();

    // Gives `view` the alpha p: a top-level window's opacity, else a fade
    // effect (an opacity effect that, given the colour its host paints under
    // the view, draws the view in place instead of through a picture of it),
    // dropped while fully shown.
    static void applyAlpha(QWidget &view, double alpha, FadeEffect::Underlay underlay = {});
    // The alpha `view` currently has (1 when none).
    static double alphaOf(const QWidget &view);

private:
    Host &m_host;
    FrameClock m_clock;
    State m_state;
};
