// Guarded numeric conversions for values that come from files and libraries.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

// Truncates a double toward zero into an int. Non-finite values and values
// outside the int range become 0: capture properties can be anything (a still
// picture reports a frame count near -9.2e18), and a plain cast of such a value
// is undefined behaviour.
inline int ToIntOrZero(double v) {
    if (!std::isfinite(v)) return 0;
    const double t = std::trunc(v);
    if (t < static_cast<double>(std::numeric_limits<int>::min()) ||
        t > static_cast<double>(std::numeric_limits<int>::max()))
        return 0;
    return static_cast<int>(t);
}
