// Points on a cleaner's share of the session's progress scale.
#pragma once

#include <algorithm>

namespace tidvex::engine {

// The value `part` of `parts` along the band [start, start + range], never
// outside it; the last part is exactly its end.
inline double BandPoint(double start, double range, double part, double parts) {
    const double end = start + range;
    if (parts <= 0 || part >= parts) return end;
    const double value = start + range * (part / parts);
    return std::clamp(value, std::min(start, end), std::max(start, end));
}

// The value held inside the band [start, start + range].
inline double ClampToBand(double value, double start, double range) {
    const double end = start + range;
    return std::clamp(value, std::min(start, end), std::max(start, end));
}

}  // namespace tidvex::engine
