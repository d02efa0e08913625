#pragma once

// One tile's wobble in edit mode at a given time: a small rotation and a small
// drift, each on its own period, phase-shifted per tile so that neighbours do
// not move in step.
struct JiggleMotion
{
    static constexpr double maxRotationDegrees = 0.8;
    static constexpr double maxTranslationX = 0.6;
    static constexpr double maxTranslationY = 0.4;

    double rotationRadians = 0;
    double translationX = 0;
    double translationY = 0;

    // `time` is seconds on any continuous clock. A NaN or infinite time gives
    // the rest position rather than a NaN transform.
    JiggleMotion(int index, double time);

    static double phase(int index);
};
