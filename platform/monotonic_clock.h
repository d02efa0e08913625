#pragma once

// Seconds since an arbitrary fixed point, never going backwards: the time base
// of every input policy and animation.
namespace MonotonicClock {
double now();
}
