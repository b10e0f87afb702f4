#include "port/stepdelay.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <tuple>

#include "port/portmessages.h"

namespace tarvel {
namespace {

TEST(StepDelayCount, CountsAsTheDoubleLoopDoesKeepingEachCountWhilePairsAlternate) {
    const struct {
        double v, c;
        std::uint64_t iterations;
    } cases[] = {
        {20, 0.02, 951}, {50, 0.02, 2450},  // the sum of 2450 additions of 0.02 overshoots 50
        {20, 0.5, 39},   {1, 0.02, 1},      {0.999, 0.02, 0},  // feed 100 in a cut: no delay at all
        {NAN, 0.02, 0},  {20, 0, 0},  {20, -0.02, 0},  // a coefficient that would never end the loop
    };
    for (int round = 0; round < 3; ++round)  // more pairs than the counts remembered
        for (const auto& k : cases) EXPECT_EQ(stepDelayCount(k.v, k.c), k.iterations) << "V=" << k.v << " c=" << k.c;
    for (double c : {0.01, 0.3, 0.7})
        for (int v = 1; v <= 100; ++v)
            EXPECT_LE(std::abs(double(stepDelayCount(v, c)) - (std::floor((v - 1) / c) + 1)), 1.0) << v << ' ' << c;
    // Huge counts are answered without counting them.
    EXPECT_EQ(stepDelayCount(1e12, 1), 1'000'000'000'000ULL);
    EXPECT_EQ(stepDelayCount(2, 0x1p-40), (1ULL << 40) + 1);
    EXPECT_EQ(stepDelayCount(1, 1e-20), 1u);  // c below the counter's precision: it never moves
    EXPECT_EQ(stepDelayCount(INFINITY, 1), UINT64_MAX);
}

TEST(StepDelay, HandsTheCountToTheWaiterAndBusyWaitsOneMicrosecondPerIteration) {
    CountingWaiter counting;
    for (double v : {20, 0, 50}) stepDelay(v, 0.02, counting);
    EXPECT_EQ(std::tuple(counting.total, counting.delays), std::tuple(951u + 2450u, 3u));
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    BusyWaiter().wait(3000);
    EXPECT_GE(Clock::now() - start, std::chrono::microseconds(3000));
}

TEST(CheckCoefficient, AcceptsCommaNumbersAboveZeroOnly) {
    const std::pair<const char*, double> cases[] = {{"0,02", 0.02}, {"3", 3}, {"abc", 0}, {"0", 0}, {"-0,02", 0}};
    for (const auto& [text, accepted] : cases) {
        double value = -7;
        const std::optional<Message> m = checkCoefficient(text, value);
        EXPECT_DOUBLE_EQ(value, accepted ? accepted : -7) << text;
        EXPECT_EQ(m ? m->text : "", accepted ? "" : portmessages::kBadCoefficient.text) << text;
    }
}

TEST(CheckStepTime, RefusesAStepOfMoreThanASecond) {
    // A step is two delays of one microsecond per iteration.
    const std::tuple<double, double, const char*> cases[] = {
        {20, 0.02, ""}, {100, 0.0002, ""}, {100, 0.0001, "2 s"}, {20, 0.000002, "19 s"}};
    for (const auto& [v, c, shown] : cases) {
        const std::optional<Message> m = checkStepTime(v, c);
        EXPECT_EQ(m.has_value(), *shown != 0) << v << " " << c;
        if (m) {
            EXPECT_NE(m->text.find(std::string("durerait ") + shown), std::string::npos) << m->text;
        }
    }
}

TEST(PacedWaiter, LetsTheWindowsRunEveryTenMillisecondsAndEndsOnAStop) {
    struct Pump final : EventPump {
        int yields = 0;
        void yield() override { ++yields; }
    } pump;
    CountingWaiter inner;
    bool stop = false;
    PacedWaiter paced(inner, pump, [&] { return stop; });
    paced.wait(25'000);
    EXPECT_EQ(std::tuple(inner.total, inner.delays, pump.yields), std::tuple(25'000u, 3u, 2));
    paced.wait(9'000);
    EXPECT_EQ(std::tuple(inner.total, pump.yields), std::tuple(34'000u, 2));
    stop = true;  // pressed during the first slice
    paced.wait(25'000);
    EXPECT_EQ(std::tuple(inner.total, pump.yields), std::tuple(44'000u, 3));
}

}  // namespace
}  // namespace tarvel
