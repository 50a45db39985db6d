// The percentage a progress bar holds and the colours it is given: shared by the
// drawn bar and its in-memory double.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tidvex::controls {

// The system highlight colour, as a colour value with the high bit set.
inline constexpr COLORREF kHighlightColor = 0x8000000Du;

// A system colour (high bit set) becomes the RGB value it has now; other
// colours stay as they are.
inline COLORREF TranslateColor(COLORREF color) {
    return (color & 0x80000000u) ? GetSysColor(static_cast<int>(color & 0xFFu)) : color;
}

// Rounds to the nearest whole number, halves to the even neighbour.
inline std::int64_t RoundHalfEven(double x) {
    const double f = std::floor(x);
    const double d = x - f;
    std::int64_t n = static_cast<std::int64_t>(f);
    if (d > 0.5 || (d == 0.5 && (n % 2 != 0))) ++n;
    return n;
}

// Min..Max mapped onto a whole-number percentage 0..100 (beyond it when the
// value is). Max equal to Min would divide by zero: such a bound is refused.
class ProgressScale {
public:
    int Value() const {
        return static_cast<int>(RoundHalfEven(percent_ / 100.0 * (double(max_) - min_) + min_));
    }
    void Value(int value) {
        const double p = (double(value) - min_) * 100.0 / (double(max_) - min_);
        percent_ = static_cast<std::int32_t>(RoundHalfEven(std::clamp(p, -2147483648.0, 2147483647.0)));
    }
    int Max() const { return max_; }
    bool Max(int value) {
        if (value == min_) return false;
        max_ = value;
        return true;
    }
    int Min() const { return min_; }
    bool Min(int value) {
        if (value == max_) return false;
        min_ = value;
        return true;
    }
    std::int32_t Percent() const { return percent_; }
    // Drawing holds the percentage at 100 (the stored value itself changes).
    void ClampForDrawing() {
        if (percent_ > 100) percent_ = 100;
    }

private:
    int max_ = 100, min_ = 0;
    std::int32_t percent_ = 0;
};

}  // namespace tidvex::controls
