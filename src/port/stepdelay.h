// The counted delay that sets every feed of the machine.
//
// A delay is measured as the iterations of a loop: a double counter from 1, one
// iteration while it does not exceed V, c added after each. We count those iterations
// exactly (the rounding of the repeated additions included: V = 50, c = 0,02 gives 2450,
// not 2451) and then wait that many ticks of one microsecond, so that delays stay
// proportional to the counts whatever the processor.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <utility>

#include "common/eventpump.h"
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

// One microsecond per iteration, to a deadline on the steady clock taken once. It sleeps
// to shortly before the deadline and spins the last stretch, so a cut does not burn a
// whole core and ends each delay on time.
class BusyWaiter final : public DelayWaiter {
public:
    void wait(std::uint64_t iterations) override;
};

// The same deadline, spun the whole way (for comparison in the timing benchmark).
class SpinWaiter final : public DelayWaiter {
public:
    void wait(std::uint64_t iterations) override;
};

// A wait cut in slices of at most kPaceMicroseconds, with the window system let run
// between them: a long delay never keeps "Arret d'urgence" or Escape from being seen,
// and a stop (or the program ending) ends it early.
class PacedWaiter final : public DelayWaiter {
public:
    static constexpr std::uint64_t kPaceMicroseconds = 10'000;
    PacedWaiter(DelayWaiter& inner, EventPump& pump, std::function<bool()> stopped)
        : inner_(inner), pump_(pump), stopped_(std::move(stopped)) {}
    void wait(std::uint64_t iterations) override;

private:
    DelayWaiter& inner_;
    EventPump& pump_;
    std::function<bool()> stopped_;
};

// Adds up the iterations instead of waiting.
class CountingWaiter final : public DelayWaiter {
public:
    void wait(std::uint64_t iterations) override { total += iterations; ++delays; }
    std::uint64_t total = 0;
    std::uint64_t delays = 0;
};

void stepDelay(double v, double c, DelayWaiter& waiter);

// A step is two delays. One longer than this could not be stopped in time by hand, and
// says a coefficient typed with zeros too many.
inline constexpr std::uint64_t kLongestStepMicroseconds = 1'000'000;
std::uint64_t stepMicroseconds(double v, double c);
// nullopt when a step at slider value V and coefficient c lasts at most a second; else
// the French message giving the step's time.
std::optional<Message> checkStepTime(double v, double c);

// The coefficient of a window's field, read with the comma rule. A number greater than 0
// is stored in `value` and nullopt returned; anything else returns the French message
// and leaves `value` as it was (the loop would never end).
std::optional<Message> checkCoefficient(std::string_view text, double& value);

}  // namespace tarvel
