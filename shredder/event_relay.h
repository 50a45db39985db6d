// Passes every event of the shredder's parts on to the object's sinks.
//
// A file is written in 64 KB chunks and most of them leave both percentages as
// they were, so a percentage is passed on only when it differs from the one
// passed on last for its counter (the item's, the session's). Items, messages,
// errors, the completion and a session's final 100 always go through.
#pragma once

#include "shredder_events.h"

#include <atomic>
#include <climits>

namespace fraxil {

class EventRelay final : public ShredderEvents {
public:
    explicit EventRelay(ShredderEvents& target) : target_(target) {}

    void OnMessage(const std::string& text) override { target_.OnMessage(text); }
    void OnErrorMessage(const std::string& text, long number) override { target_.OnErrorMessage(text, number); }
    void OnCurrentItemShredded(const std::string& item) override { target_.OnCurrentItemShredded(item); }
    void OnCurrentProgress(long percent) override {
        if (firedProgress_.exchange(percent) != percent) target_.OnCurrentProgress(percent);
    }
    void OnCurrentTotalProgress(long percent) override {
        if (firedTotal_.exchange(percent) != percent) target_.OnCurrentTotalProgress(percent);
    }
    // The session's percentage as its last word: passed on even when unchanged.
    void OnFinalTotalProgress(long percent) override {
        firedTotal_ = percent;
        target_.OnFinalTotalProgress(percent);
    }
    // A new session: its first percentages are news whatever the last one showed.
    void ForgetProgress() {
        firedProgress_ = kNoneFired;
        firedTotal_ = kNoneFired;
    }
    void OnSessionCompleted() override { target_.OnSessionCompleted(); }

private:
    static constexpr long kNoneFired = LONG_MIN;

    ShredderEvents& target_;
    std::atomic<long> firedProgress_{kNoneFired}, firedTotal_{kNoneFired};
};

}  // namespace fraxil
