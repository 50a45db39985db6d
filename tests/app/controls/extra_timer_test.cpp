// The interval timer over a one-second timer that the test ticks by hand, so
// hours pass in milliseconds.
#include "controls/extra_timer.h"
#include "memory_controls.h"

#include <gtest/gtest.h>

namespace {

using namespace tidvex::controls;

struct Clock {
    MemoryTimer timer1;
    ExtraTimer timer{timer1};
    std::vector<int> firedAt;
    int second = 0;
    Clock() {
        timer.OnTimer = [this] { firedAt.push_back(second); };
    }
    void Run(int seconds) {
        for (int i = 0; i < seconds; ++i) {
            ++second;
            timer1.Elapse();
        }
    }
};

TEST(ExtraTimer, FiresAfterEachWholeInterval) {
    struct Case {
        int interval, unit, seconds;
        std::vector<int> fired;
    } cases[] = {
        {15, kMinutes, 2700, {900, 1800, 2700}},
        {2, kHours, 14400, {7200, 14400}},
        {1, kDays, 86400, {86400}},
        {3, kSeconds, 9, {3, 6, 9}},
        {0, kMinutes, 3, {1, 2, 3}},
        {-5, kSeconds, 2, {1, 2}},
        {1, 4, 1000, {}},
        {1, -1, 1000, {}},
    };
    for (const auto& c : cases) {
        Clock clock;
        clock.timer.Interval(c.interval);
        clock.timer.IntervalUnit(c.unit);
        clock.timer.Enabled(true);
        clock.Run(c.seconds);
        EXPECT_EQ(clock.firedAt, c.fired) << c.interval << " x unit " << c.unit;
    }
}

TEST(ExtraTimer, ANeverFiringUnitKeepsCounting) {
    Clock clock;
    clock.timer.IntervalUnit(4);
    clock.timer.Enabled(true);
    clock.Run(500);
    EXPECT_EQ(clock.timer.TickCount(), 500);
}

TEST(ExtraTimer, TheCountSurvivesDisablingAndChanges) {
    Clock clock;
    clock.timer.Interval(15);
    clock.timer.IntervalUnit(kMinutes);
    clock.timer.Enabled(true);
    clock.Run(600);
    clock.timer.Enabled(false);
    clock.Run(5000);  // no ticks while off
    EXPECT_EQ(clock.timer.TickCount(), 600);
    clock.timer.Enabled(true);
    clock.Run(300);
    EXPECT_EQ(clock.firedAt, (std::vector<int>{5900}));
    // A shorter interval than the count already reached fires at the next tick.
    clock.Run(200);
    clock.timer.Interval(1);
    clock.Run(1);
    EXPECT_EQ(clock.firedAt, (std::vector<int>{5900, 6101}));
}

TEST(ExtraTimer, LongIntervalsNeitherOverflowNorFireEarly) {
    Clock clock;
    clock.timer.Interval(30000);  // days: beyond 32 bits of seconds
    clock.timer.IntervalUnit(kDays);
    clock.timer.Enabled(true);
    clock.Run(100000);
    EXPECT_TRUE(clock.firedAt.empty());
    EXPECT_EQ(clock.timer.TickCount(), 100000);
}

TEST(ExtraTimer, PropertiesKeepTheirDefaultsAndStoreOnlyOtherValues) {
    MemoryTimer timer1;
    ExtraTimer timer(timer1);
    EXPECT_EQ(timer.Interval(), 1);
    EXPECT_EQ(timer.IntervalUnit(), kSeconds);
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(timer1.Interval(), 1000);
    PropertyBag bag;
    timer.WriteProperties(bag);
    EXPECT_EQ(bag.Count(), 0u);
    timer.Interval(15);
    timer.IntervalUnit(kMinutes);
    timer.Enabled(true);
    timer.WriteProperties(bag);
    MemoryTimer other1;
    ExtraTimer loaded(other1);
    loaded.ReadProperties(bag);
    EXPECT_EQ(loaded.Interval(), 15);
    EXPECT_EQ(loaded.IntervalUnit(), kMinutes);
    EXPECT_TRUE(loaded.Enabled());
    EXPECT_TRUE(other1.Enabled());
}

}  // namespace
