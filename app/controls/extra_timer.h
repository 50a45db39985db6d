// ExtraTimer: raises its event after long intervals (seconds, minutes, hours or
// days) by counting the ticks of an ordinary one-second timer. The count keeps
// running across changes of the interval, the unit and the enabled state.
#pragma once

#include "controls/controls.h"
#include "controls/property_bag.h"

#include <cstdint>
#include <functional>

namespace tidvex::controls {

enum IntervalUnitType : std::int32_t { kSeconds = 0, kMinutes = 1, kHours = 2, kDays = 3 };

class ExtraTimer {
public:
    // Timer1 ticks every second; the window gives it a real timer, tests one they
    // tick by hand.
    explicit ExtraTimer(Timer& timer1);
    ~ExtraTimer();
    ExtraTimer(const ExtraTimer&) = delete;
    ExtraTimer& operator=(const ExtraTimer&) = delete;

    std::int32_t Interval() const { return interval_; }
    void Interval(std::int32_t New_Interval) { interval_ = New_Interval; }
    std::int32_t IntervalUnit() const { return unit_; }
    void IntervalUnit(std::int32_t New_IntervalUnit) { unit_ = New_IntervalUnit; }
    bool Enabled() const { return timer1_.Enabled(); }
    void Enabled(bool New_Enabled) { timer1_.Enabled(New_Enabled); }

    // Seconds counted since the last event.
    std::int64_t TickCount() const { return ticks_; }

    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

    // The event "Timer".
    std::function<void()> OnTimer;

private:
    void Tick();

    Timer& timer1_;
    std::int32_t interval_ = 1;
    std::int32_t unit_ = kSeconds;
    std::int64_t ticks_ = 0;
};

}  // namespace tidvex::controls
