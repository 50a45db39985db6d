// Steps run one after the other from whatever message loop runs, 20 ms
// apart: a test presses a modal window's buttons while the call that showed it
// waits.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <utility>

namespace tidvex::test {

inline std::deque<std::function<void()>> gTimedSteps;

inline void CALLBACK NextTimedStep(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (gTimedSteps.empty()) return;
    auto step = gTimedSteps.front();
    gTimedSteps.pop_front();
    // The next step is due before this one runs: a step may open a modal box.
    if (!gTimedSteps.empty()) SetTimer(nullptr, 0, 20, NextTimedStep);
    step();
}

inline void Script(std::deque<std::function<void()>> steps) {
    gTimedSteps = std::move(steps);
    SetTimer(nullptr, 0, 20, NextTimedStep);
}

}  // namespace tidvex::test
