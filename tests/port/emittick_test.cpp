#include "port/emittick.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace tarvel {
namespace {

// Port, pump, waiter and speed in one, writing what happens into one trace:
// "W<value>" a write, "Y" a yield, "D<iterations>" a delay, "A" the after-first-write hook.
class Trace final : public ParallelPort, public EventPump, public DelayWaiter, public SpeedSource {
public:
    std::vector<std::string> events;
    std::vector<std::int16_t> addresses;
    std::deque<double> sliderValues;  // one per read; the last one stays
    double c = 0.02;
    int abortAtYield = 0;  // the n-th yield (from 1) asks the program to end; 0: never
    std::function<void()> duringDelay;

    void Write_Port_Bit(std::int16_t port, std::int16_t value) override {
        addresses.push_back(port);
        events.push_back("W" + std::to_string(value));
    }
    std::int16_t Read_Busy(std::int16_t) override { return 1; }
    std::int16_t Read_Pe(std::int16_t) override { return 1; }
    std::int16_t Read_Select(std::int16_t) override { return 1; }
    std::int16_t Read_Error(std::int16_t) override { return 1; }
    std::string description() const override { return "trace"; }

    void yield() override {
        events.push_back("Y");
        ++yields_;
    }
    bool abortRequested() const override { return abortAtYield != 0 && yields_ >= abortAtYield; }

    void wait(std::uint64_t iterations) override {
        events.push_back("D" + std::to_string(iterations));
        if (duringDelay) duringDelay();
    }

    double sliderValue() override {
        const double v = sliderValues.front();
        if (sliderValues.size() > 1) sliderValues.pop_front();
        return v;
    }
    double coefficient() override { return c; }

    bool tick(int dirOnly, int full, TickPattern pattern, std::int16_t address = kPort1Address) {
        StepOutput out{*this, address, *this, *this, *this};
        return emitTick(out, dirOnly, full, pattern, [this] { events.push_back("A"); });
    }

private:
    int yields_ = 0;
};

using Events = std::vector<std::string>;

TEST(EmitTick, WritesDirOnlyThenFullWithEachPatternsYields) {
    const struct {
        TickPattern pattern;
        Events expected;
    } cases[] = {
        {TickPattern::Manual, {"W1", "A", "Y", "D951", "W3", "Y", "D951"}},
        {TickPattern::CutManualZ, {"W1", "A", "Y", "D951", "W3", "Y", "D951"}},
        {TickPattern::CutProgram, {"W1", "A", "D951", "W3", "Y", "D951", "Y"}},
    };
    for (const auto& k : cases) {
        Trace t;
        t.sliderValues = {20};
        EXPECT_TRUE(t.tick(1, 3, k.pattern, kPort2Address));
        EXPECT_EQ(t.events, k.expected) << static_cast<int>(k.pattern);
        EXPECT_EQ(t.addresses, (std::vector<std::int16_t>{632, 632}));
    }
}

TEST(EmitTick, ReadsTheSliderAfreshBeforeEachDelay) {
    Trace t;
    t.sliderValues = {20, 50};
    t.tick(0, 2, TickPattern::CutProgram);
    EXPECT_EQ(t.events, (Events{"W0", "A", "D951", "W2", "Y", "D2450", "Y"}));

    // A slider moved while the first delay runs sets the second one.
    Trace moved;
    moved.sliderValues = {20};
    moved.duringDelay = [&] { moved.sliderValues = {50}; };
    moved.tick(0, 2, TickPattern::Manual);
    EXPECT_EQ(moved.events, (Events{"W0", "A", "Y", "D951", "W2", "Y", "D2450"}));
}

TEST(EmitTick, SliderAtZeroLeavesOnlyTheYieldsBetweenWrites) {
    Trace t;
    t.sliderValues = {0};
    t.tick(4, 12, TickPattern::CutProgram);
    EXPECT_EQ(t.events, (Events{"W4", "A", "D0", "W12", "Y", "D0", "Y"}));
}

TEST(EmitTick, StopsRightAfterTheYieldThatAsksToEnd) {
    const struct {
        TickPattern pattern;
        int abortAtYield;
        Events expected;
    } cases[] = {
        {TickPattern::Manual, 1, {"W1", "A", "Y"}},
        {TickPattern::Manual, 2, {"W1", "A", "Y", "D951", "W3", "Y"}},
        {TickPattern::CutManualZ, 1, {"W1", "A", "Y"}},
        {TickPattern::CutProgram, 1, {"W1", "A", "D951", "W3", "Y"}},
        {TickPattern::CutProgram, 2, {"W1", "A", "D951", "W3", "Y", "D951", "Y"}},
    };
    for (const auto& k : cases) {
        Trace t;
        t.sliderValues = {20};
        t.abortAtYield = k.abortAtYield;
        EXPECT_FALSE(t.tick(1, 3, k.pattern));
        EXPECT_EQ(t.events, k.expected) << static_cast<int>(k.pattern) << " yield " << k.abortAtYield;
    }
}

}  // namespace
}  // namespace tarvel
