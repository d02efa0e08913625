#include "launcher/presentation_animator.h"

#include <algorithm>
#include <utility>

PresentationAnimator::PresentationAnimator(Host &host) : m_host(host)
{
    m_clock.prepare();
}

PresentationAnimator::~PresentationAnimator()
{
    m_clock.stop();
}

void PresentationAnimator::setProgress(double progress)
{
    m_state.progress = PresentationCurve::clampProgress(progress);
}

void PresentationAnimator::start(double target, double duration, bool easeIn, std::function<void()> completion)
{
    cancel();
    m_state.animation = PresentationCurve::Animation{m_state.progress, target,
                                                     std::max(FrameClock::minimumDuration, duration),
                                                     m_host.presentationNow(), easeIn};
    m_state.completion = std::move(completion);
    m_host.showPresentation(m_state.progress);
    m_clock.start([this](double) { tick(); });
    tick();
}

void PresentationAnimator::tick()
{
    const PresentationCurve::Animation animation = m_state.animation;
    const double now = m_host.presentationNow();
    m_host.showPresentation(animation.valueAt(now));
    if (!animation.isFinishedAt(now))
        return;
    m_clock.stop();
    m_host.showPresentation(animation.to);
    const std::function<void()> completion = std::exchange(m_state.completion, nullptr);
    if (completion)
        completion();
}

void PresentationAnimator::cancel()
{
    m_clock.stop();
    m_state.completion = nullptr;
}
