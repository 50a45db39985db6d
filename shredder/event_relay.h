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
    // How many deliveries have begun so far.
    unsigned long Begun() const { return begun_; }

    void OnMessage(const std::string& text) override {
        Scope s(*this);
        target_.OnMessage(text);
    }
    void OnErrorMessage(const std::string& text, long number) override {
        Scope s(*this);
        target_.OnErrorMessage(text, number);
    }
    void OnCurrentItemShredded(const std::string& item) override {
        Scope s(*this);
        target_.OnCurrentItemShredded(item);
    }
    void OnCurrentProgress(long percent) override {
        Scope s(*this);
        target_.OnCurrentProgress(percent);
    }
    void OnCurrentTotalProgress(long percent) override {
        Scope s(*this);
        target_.OnCurrentTotalProgress(percent);
    }
    void OnSessionCompleted() override {
        Scope s(*this);
        target_.OnSessionCompleted();
    }

private:
    struct Scope {
        explicit Scope(EventRelay& r) : relay(r) {
            ++relay.begun_;
            ++relay.delivering_;
        }
        ~Scope() { --relay.delivering_; }
        EventRelay& relay;
    };

    ShredderEvents& target_;
    std::atomic<int> delivering_{0};
    std::atomic<unsigned long> begun_{0};
};

}  // namespace fraxil
