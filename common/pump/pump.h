// Yielding to the message loop from inside long work on the GUI thread, so that
// the window stays live and a Stop button can set a stop flag in between.
#pragma once

#include "seam/seam.h"

#include <functional>

namespace tidvex::pump {

// Processes the window messages pending for the calling thread, then returns
// (the DoEvents of the cleaners, the shredder and the engine's long loops).
// A test may have replaced it with a scripted function (gDoEvents).
void DoEvents();

// The real pump: dispatches every pending message of the calling thread. A
// WM_QUIT taken from the queue is posted again, so the main loop still ends.
void PumpPendingMessages();

// What DoEvents does in place of the real pump while a test has put a
// scripted function there (tests script stops and re-entry this way); empty:
// the real pump.
extern Seam<std::function<void()>> gDoEvents;

// DoEvents for a loop that yields for every item, many thousand times a
// second. Each real pump is a round trip to the window system (under Wine a
// call to its server), dearer than the work on one file or registry entry, so
// the real pump runs at most once per interval; the window stays as live as
// anyone can tell. A DoEvents replaced by a test runs at every call.
class PacedDoEvents {
public:
    explicit PacedDoEvents(unsigned intervalMilliseconds = 10) : interval_(intervalMilliseconds) {}
    void operator()();

private:
    unsigned long long interval_;
    unsigned long long last_ = 0;
    bool pumped_ = false;
};

// Puts a scripted DoEvents in place for the life of the object.
class ScopedDoEvents : public ScopedSeam<std::function<void()>> {
public:
    explicit ScopedDoEvents(std::function<void()> replacement) : ScopedSeam(gDoEvents, std::move(replacement)) {}
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
