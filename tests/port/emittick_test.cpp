#include "port/emittick.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "port/simulatedmachine.h"

namespace tarvel {
namespace {

// Pump, waiter and speed in one, writing what happens into one trace with the writes that
// reach the simulated machine: "W<value>" a write, "Y" a yield, "D<iterations>" a delay,
// "A" the after-first-write hook.
class Trace final : public EventPump, public DelayWaiter, public SpeedSource {
public:
    SimulatedMachine port;
    std::vector<std::string> events;
    std::deque<double> sliderValues;  // one per read; the last one stays
    int abortAtYield = 0;  // the n-th yield (from 1) asks the program to end; 0: never
    std::function<void()> duringDelay;

    Trace() {
        port.addListener([this](const MachineMotion& m) { events.push_back("W" + std::to_string(m.value)); });
    }
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
    double coefficient() override { return 0.02; }

    bool tick(TickPattern pattern) {
        StepOutput out{port, kPort2Address, *this, *this, *this};
        return emitTick(out, 1, 3, pattern, [this] { events.push_back("A"); });
    }

private:
    int yields_ = 0;
};

using Events = std::vector<std::string>;

// Each pattern with the slider read before each delay: fixed, moved between reads, moved
// while the first delay runs, at zero; then the yield that asks the program to end.
TEST(EmitTick, WritesDirOnlyThenFullWithEachPatternsYieldsAndDelays) {
    using P = TickPattern;
    const struct {
        P pattern;
        std::deque<double> slider;
        double sliderDuringDelay;  // 0: unchanged
        int abortAtYield;
        Events expected;
    } cases[] = {
        {P::Manual, {20}, 0, 0, {"W1", "A", "Y", "D951", "W3", "Y", "D951"}},
        {P::CutManualZ, {20}, 0, 0, {"W1", "A", "Y", "D951", "W3", "Y", "D951"}},
        {P::CutProgram, {20}, 0, 0, {"W1", "A", "D951", "W3", "Y", "D951", "Y"}},
        {P::CutProgram, {20, 50}, 0, 0, {"W1", "A", "D951", "W3", "Y", "D2450", "Y"}},
        {P::Manual, {20}, 50, 0, {"W1", "A", "Y", "D951", "W3", "Y", "D2450"}},
        {P::Manual, {20}, 0, 1, {"W1", "A", "Y"}},
        {P::Manual, {20}, 0, 2, {"W1", "A", "Y", "D951", "W3", "Y"}},
        {P::CutProgram, {20}, 0, 1, {"W1", "A", "D951", "W3", "Y"}},
        {P::CutProgram, {20}, 0, 2, {"W1", "A", "D951", "W3", "Y", "D951", "Y"}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(::testing::Message() << static_cast<int>(k.pattern) << " case " << (&k - cases));
        Trace t;
        t.sliderValues = k.slider;
        t.abortAtYield = k.abortAtYield;
        if (k.sliderDuringDelay) t.duringDelay = [&] { t.sliderValues = {k.sliderDuringDelay}; };
        EXPECT_EQ(t.tick(k.pattern), k.abortAtYield == 0);
        EXPECT_EQ(t.events, k.expected);
        EXPECT_EQ(t.port.addressesUsed(), std::vector<std::int16_t>{kPort2Address});
    }
}

}  // namespace
}  // namespace tarvel
