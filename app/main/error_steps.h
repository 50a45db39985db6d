// Handlers whose steps go on past a failing one: each step runs on its own, and
// a run-time error (or any other) ends only that step.
#pragma once

namespace tidvex::main {

template <class Step>
void IgnoringErrors(Step&& step) noexcept {
    try {
        step();
    } catch (...) {
    }
}

}  // namespace tidvex::main
