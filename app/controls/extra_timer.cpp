#include "controls/extra_timer.h"

namespace tidvex::controls {

namespace {

// Seconds per unit; 0 for a unit that never raises the event.
std::int64_t Factor(std::int32_t unit) {
    switch (unit) {
        case kSeconds: return 1;
        case kMinutes: return 60;
        case kHours: return 3600;
        case kDays: return 86400;
        default: return 0;
    }
}

}  // namespace

ExtraTimer::ExtraTimer(Timer& timer1) : timer1_(timer1) {
    timer1_.Interval(1000);
    timer1_.OnTimer = [this] { Tick(); };
}

ExtraTimer::~ExtraTimer() {
    timer1_.Enabled(false);
    timer1_.OnTimer = nullptr;
}

void ExtraTimer::Tick() {
    ++ticks_;
    const std::int64_t factor = Factor(unit_);
    if (factor == 0) return;
    // In 64 bits: a long interval neither overflows nor comes early.
    if (ticks_ >= static_cast<std::int64_t>(interval_) * factor) {
        ticks_ = 0;
        if (OnTimer) OnTimer();
    }
}

void ExtraTimer::ReadProperties(const PropertyBag& bag) {
    Interval(bag.ReadProperty<std::int32_t>("Interval", 1));
    Enabled(bag.ReadProperty("Enabled", false));
    IntervalUnit(bag.ReadProperty<std::int32_t>("IntervalUnit", kSeconds));
}

void ExtraTimer::WriteProperties(PropertyBag& bag) const {
    bag.WriteProperty<std::int32_t>("Interval", interval_, 1);
    bag.WriteProperty("Enabled", Enabled(), false);
    bag.WriteProperty<std::int32_t>("IntervalUnit", unit_, kSeconds);
}

}  // namespace tidvex::controls
