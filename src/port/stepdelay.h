// The counted delay that sets every feed of the machine.
//
// A delay is measured as the iterations of a loop: a double counter from 1, one
// iteration while it does not exceed V, c added after each. We count those iterations
// exactly (the rounding of the repeated additions included: V = 50, c = 0,02 gives 2450,
// not 2451) and then wait that many ticks of one microsecond, so that delays stay
// proportional to the counts whatever the processor.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "common/userdialogs.h"

namespace tarvel {

// Iterations of the loop for slider value V and coefficient c (> 0); none when V < 1,
// and none when c is not greater than 0 (such a loop would never end: callers refuse
// that coefficient with checkCoefficient before moving).
std::uint64_t stepDelayCount(double v, double c);

// How a delay of n iterations is spent. The program busy-waits; the command-line
// companion and the tests only count.
class DelayWaiter {
public:
    virtual ~DelayWaiter() = default;
    virtual void wait(std::uint64_t iterations) = 0;
};

// One microsecond per iteration, as a deadline busy-wait on the steady clock: it never
// yields, so the user interface runs only where the motion code yields.
class BusyWaiter final : public DelayWaiter {
public:
    void wait(std::uint64_t iterations) override;
};

// Adds up the iterations instead of waiting.
class CountingWaiter final : public DelayWaiter {
public:
    void wait(std::uint64_t iterations) override { total += iterations; ++delays; }
    std::uint64_t total = 0;
    std::uint64_t delays = 0;
};

void stepDelay(double v, double c, DelayWaiter& waiter);

// The coefficient of a window's field, read with the comma rule. A number greater than 0
// is stored in `value` and nullopt returned; anything else returns the French message
// and leaves `value` as it was (the loop would never end).
std::optional<Message> checkCoefficient(std::string_view text, double& value);

}  // namespace tarvel
