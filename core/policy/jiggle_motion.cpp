#include "jiggle_motion.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double kRotationPeriod = 0.34;
constexpr double kTranslationXPeriod = 0.29;
constexpr double kTranslationYPeriod = 0.41;
// The golden angle in radians spreads any run of indices evenly around the circle.
constexpr double kPhaseStep = 2.399963;

} // namespace

double JiggleMotion::phase(int index)
{
    return double(index) * kPhaseStep;
}

JiggleMotion::JiggleMotion(int index, double time)
{
    if (!std::isfinite(time))
        return;
    constexpr double twoPi = 2 * std::numbers::pi;
    const double phi = phase(index);
    rotationRadians = std::sin(time * twoPi / kRotationPeriod + phi) * maxRotationDegrees * std::numbers::pi / 180;
    translationX = std::sin(time * twoPi / kTranslationXPeriod + 1.7 * phi) * maxTranslationX;
    translationY = std::cos(time * twoPi / kTranslationYPeriod + 0.8 * phi) * maxTranslationY;
}
