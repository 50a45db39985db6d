// Yielding to the message loop from inside long work on the GUI thread, so that
// the window stays live and a Stop button can set a stop flag in between.
#pragma once

#include <functional>

namespace tidvex::pump {

// Processes the window messages pending for the calling thread, then returns
// (the DoEvents of the cleaners, the shredder and the engine's long loops).
// A test may have replaced it with a scripted function (SetDoEvents).
void DoEvents();

// The real pump: dispatches every pending message of the calling thread. A
// WM_QUIT taken from the queue is posted again, so the main loop still ends.
void PumpPendingMessages();

// Replaces what DoEvents does for the whole process (tests script stops and
// re-entry this way); an empty function puts the real pump back. Returns the
// function that was in place (empty for the real pump).
std::function<void()> SetDoEvents(std::function<void()> replacement);

// Puts a scripted DoEvents in place for the life of the object.
class ScopedDoEvents {
public:
    explicit ScopedDoEvents(std::function<void()> replacement);
    ~ScopedDoEvents();
    ScopedDoEvents(const ScopedDoEvents&) = delete;
    ScopedDoEvents& operator=(const ScopedDoEvents&) = delete;

private:
    std::function<void()> previous_;
};

// The busy (hourglass) pointer while long work runs on the GUI thread; the
// normal pointer comes back when the last one ends, on every way out. The main
// window answers WM_SETCURSOR with the wait cursor while IsBusy().
class BusyPointer {
public:
    BusyPointer();
    ~BusyPointer();
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

bool IsBusy();

}  // namespace tidvex::pump
