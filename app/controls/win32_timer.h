// The timer, ticking from the message loop.
#pragma once

#include "controls/controls.h"
#include "controls/win32_window.h"

#include <string>

namespace tidvex::controls::win32 {

// Ticks come from a hidden window of the thread that enabled the timer.
class Win32Timer final : public Timer {
public:
    explicit Win32Timer(int interval = 0);
    ~Win32Timer() override;
    int Interval() const override { return interval_; }
    void Interval(int ms) override;
    bool Enabled() const override { return enabled_; }
    void Enabled(bool on) override;

private:
    void Restart();
    int interval_;
    bool enabled_ = false;
    UINT_PTR id_;
};

}  // namespace tidvex::controls::win32
