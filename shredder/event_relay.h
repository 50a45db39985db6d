// Passes every event of the shredder's parts on to the object's sinks, and
// knows when one is on its way: a worker that waits for a handler to return
// must not be waited for by that handler.
#pragma once

#include "shredder_events.h"

#include <atomic>

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
        Scope s(*this);
        if (s.live) target_.OnCurrentProgress(percent);
    }
    void OnCurrentTotalProgress(long percent) override {
        Scope s(*this);
        if (s.live) target_.OnCurrentTotalProgress(percent);
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

    ShredderEvents& target_;
    std::atomic<int> delivering_{0};
    std::atomic<unsigned long> begun_{0};
    std::atomic<bool> muted_{false};
};

}  // namespace fraxil
