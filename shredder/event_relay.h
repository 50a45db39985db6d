// Passes every event of the shredder's parts on to the object's sinks, and
// knows when one is on its way: a worker that waits for a handler to return
// must not be waited for by that handler.
//
// Each event waits until the caller's thread has handled it, so a percentage is
// passed on only when it differs from the one passed on last for its counter
// (the item's, the session's): a file is written in 64 KB chunks and most of
// them leave both percentages as they were. Items, messages, errors, the
// completion and a session's final 100 always go through.
#pragma once

#include "shredder_events.h"

#include <atomic>
#include <climits>

namespace fraxil {

class EventRelay final : public ShredderEvents {
public:
    explicit EventRelay(ShredderEvents& target) : target_(target) {}

    // True while an event is being delivered on any thread.
    bool Delivering() const { return delivering_ > 0; }
    // From now on no event reaches the target (nobody outside holds the object).
    void Mute() { muted_ = true; }
    // How many deliveries have begun so far.
    unsigned long Begun() const { return begun_; }

    void OnMessage(const std::string& text) override {
        Scope s(*this);
        if (s.live) target_.OnMessage(text);
    }
    void OnErrorMessage(const std::string& text, long number) override {
        Scope s(*this);
        if (s.live) target_.OnErrorMessage(text, number);
    }
    void OnCurrentItemShredded(const std::string& item) override {
        Scope s(*this);
        if (s.live) target_.OnCurrentItemShredded(item);
    }
    void OnCurrentProgress(long percent) override {
        if (firedProgress_.exchange(percent) == percent) return;
        Scope s(*this);
        if (s.live) target_.OnCurrentProgress(percent);
    }
    void OnCurrentTotalProgress(long percent) override {
        if (firedTotal_.exchange(percent) == percent) return;
        Scope s(*this);
        if (s.live) target_.OnCurrentTotalProgress(percent);
    }
    // The session's percentage as its last word: passed on even when unchanged.
    void OnFinalTotalProgress(long percent) {
        firedTotal_ = percent;
        Scope s(*this);
        if (s.live) target_.OnCurrentTotalProgress(percent);
    }
    // A new session: its first percentages are news whatever the last one showed.
    void ForgetProgress() {
        firedProgress_ = kNoneFired;
        firedTotal_ = kNoneFired;
    }
    void OnSessionCompleted() override {
        Scope s(*this);
        if (s.live) target_.OnSessionCompleted();
    }

private:
    struct Scope {
        explicit Scope(EventRelay& r) : relay(r) {
            if (relay.muted_) return;
            live = true;
            ++relay.begun_;
            ++relay.delivering_;
        }
        ~Scope() {
            if (live) --relay.delivering_;
        }
        EventRelay& relay;
        bool live = false;
    };

    static constexpr long kNoneFired = LONG_MIN;

    ShredderEvents& target_;
    std::atomic<long> firedProgress_{kNoneFired}, firedTotal_{kNoneFired};
    std::atomic<int> delivering_{0};
    std::atomic<unsigned long> begun_{0};
    std::atomic<bool> muted_{false};
};

}  // namespace fraxil
