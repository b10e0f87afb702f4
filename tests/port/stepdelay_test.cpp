#include "port/stepdelay.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "port/portmessages.h"

namespace tarvel {
namespace {

struct CountCase {
    double v;
    double c;
    std::uint64_t iterations;
};

TEST(StepDelayCount, CountsAsTheDoubleLoopDoes) {
    const CountCase cases[] = {
        {20, 0.02, 951},
        {50, 0.02, 2450},  // the sum of 2450 additions of 0.02 overshoots 50
        {20, 0.5, 39},
        {2, 0.5, 3},
        {100, 1, 100},
        {1, 0.02, 1},
        {1, 0.5, 1},
        {1, 7, 1},
        {0.999, 0.02, 0},
        {0, 0.02, 0},  // feed 100 in a cut: no delay at all
        {-3, 0.02, 0},
        {20, 0, 0},  // a coefficient that would never end the loop counts nothing
        {20, -0.02, 0},
        {NAN, 0.02, 0},
    };
    for (const auto& k : cases)
        EXPECT_EQ(stepDelayCount(k.v, k.c), k.iterations) << "V=" << k.v << " c=" << k.c;
}

TEST(StepDelayCount, KeepsEachCountWhileManyPairsAlternate) {
    // More pairs than the counts remembered, so that every round replaces some.
    const CountCase cases[] = {{20, 0.02, 951}, {50, 0.02, 2450}, {20, 0.5, 39}, {2, 0.5, 3},
                               {100, 1, 100},   {1, 0.02, 1},     {50, 0.5, 99}};
    for (int round = 0; round < 3; ++round)
        for (const auto& k : cases)
            EXPECT_EQ(stepDelayCount(k.v, k.c), k.iterations) << "V=" << k.v << " c=" << k.c;
}

TEST(StepDelayCount, StaysWithinOneOfTheClosedForm) {
    for (double c : {0.01, 0.02, 0.05, 0.1, 0.3, 0.7}) {
        for (int v = 1; v <= 100; ++v) {
            const double closed = std::floor((v - 1) / c) + 1;
            const double n = static_cast<double>(stepDelayCount(v, c));
            EXPECT_LE(std::abs(n - closed), 1.0) << "V=" << v << " c=" << c;
        }
    }
}

TEST(StepDelayCount, AnswersHugeCountsWithoutCountingThem) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(stepDelayCount(1e12, 1), 1'000'000'000'000ULL);
    EXPECT_EQ(stepDelayCount(2, 0x1p-40), (1ULL << 40) + 1);
    // A c below the counter's precision leaves the counter at 1: the old loop would spin for ever.
    EXPECT_EQ(stepDelayCount(1, 1e-20), 1u);
    EXPECT_EQ(stepDelayCount(INFINITY, 1), UINT64_MAX);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST(StepDelay, HandsTheCountToTheWaiterOncePerDelay) {
    CountingWaiter waiter;
    stepDelay(20, 0.02, waiter);
    stepDelay(0, 0.02, waiter);
    stepDelay(50, 0.02, waiter);
    EXPECT_EQ(waiter.total, 951u + 2450u);
    EXPECT_EQ(waiter.delays, 3u);
}

TEST(BusyWaiter, WaitsOneMicrosecondPerIteration) {
    BusyWaiter waiter;
    using Clock = std::chrono::steady_clock;
    auto start = Clock::now();
    waiter.wait(0);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1));

    start = Clock::now();
    waiter.wait(3000);
    const auto took = Clock::now() - start;
    EXPECT_GE(took, std::chrono::microseconds(3000));
    EXPECT_LT(took, std::chrono::milliseconds(100));
}

TEST(CheckCoefficient, AcceptsCommaNumbersAboveZeroOnly) {
    const struct {
        const char* text;
        bool accepted;
        double value;
    } cases[] = {
        {"0,02", true, 0.02}, {"0,5", true, 0.5}, {"3", true, 3}, {" 0,01 ", true, 0.01},
        {"0.02", false, 0},   {"", false, 0},     {"abc", false, 0}, {"0", false, 0},
        {"0,0", false, 0},    {"-0,02", false, 0},
    };
    for (const auto& k : cases) {
        double value = -7;
        const std::optional<Message> m = checkCoefficient(k.text, value);
        EXPECT_EQ(!m.has_value(), k.accepted) << '"' << k.text << '"';
        if (k.accepted) {
            EXPECT_DOUBLE_EQ(value, k.value) << '"' << k.text << '"';
        } else {
            EXPECT_EQ(value, -7) << "value changed by \"" << k.text << '"';
            ASSERT_TRUE(m);
            EXPECT_EQ(m->text, "Le coefficient vitesse doit être un nombre supérieur à 0 (par exemple 0,02).");
            EXPECT_EQ(m->title, "Coefficient vitesse");
            EXPECT_EQ(m->icon, Icon::Exclamation);
        }
    }
}

}  // namespace
}  // namespace tarvel
