#include "launcher/presentation_animator.h"

#include <QWidget>

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
    // Shown from nothing, the first frame would draw p = 0, which shows
    // nothing and only holds the picture back by a frame: such a show starts
    // a frame early, so the first frame drawn is already its second step.
    const double lead = m_state.progress <= 0 && target > 0 ? m_clock.frameInterval() : 0;
    m_state.animation = PresentationCurve::Animation{m_state.progress, target,
                                                     std::max(FrameClock::minimumDuration, duration),
                                                     m_host.presentationNow() - lead, easeIn};
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

void PresentationAnimator::applyAlpha(QWidget &view, double alpha, FadeEffect::Underlay underlay)
{
    if (view.isWindow()) {
        view.setWindowOpacity(alpha);
        return;
    }
    auto *effect = dynamic_cast<FadeEffect *>(view.graphicsEffect());
    if (alpha >= 1) {
        if (effect)
            view.setGraphicsEffect(nullptr);
        return;
    }
    if (!effect) {
        // Parented to the view, which it finds when it draws.
        effect = new FadeEffect(&view);
        view.setGraphicsEffect(effect);
    }
    effect->setUnderlay(std::move(underlay));
    effect->setOpacity(alpha);
}

double PresentationAnimator::alphaOf(const QWidget &view)
{
    if (view.isWindow())
        return view.windowOpacity();
    const auto *effect = dynamic_cast<const QGraphicsOpacityEffect *>(view.graphicsEffect());
    return effect ? effect->opacity() : 1.0;
}
