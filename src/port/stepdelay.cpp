// The counted delay. See stepdelay.h for why it counts instead of looping.
#include "port/stepdelay.h"

#include <array>
#include <chrono>
#include <cmath>
#include <limits>
#include <thread>

#include "common/textrules.h"
#include "port/portmessages.h"

namespace tarvel {

namespace {

// Beyond this many iterations counting one by one costs more than the wait itself is
// worth; the closed form is exact to within the rounding the loop would add.
constexpr double kMaxCountedIterations = 1e8;

// A wait longer than this (about eleven days) is cut: the deadline arithmetic on the
// steady clock's nanoseconds would overflow long before the old loop's counter.
constexpr std::uint64_t kMaxWaitMicroseconds = 1'000'000'000'000ULL;

std::uint64_t closedForm(double v, double c) {
    const double n = std::floor((v - 1.0) / c) + 1.0;
    if (!(n < 1.8e19)) return std::numeric_limits<std::uint64_t>::max();
    return static_cast<std::uint64_t>(n);
}

// The old loop, with its rounding: each addition of c to the double counter rounds,
// so the count can differ by one from the closed form (V = 50, c = 0,02: 2450).
std::uint64_t countIterations(double v, double c) {
    if (!(std::floor((v - 1.0) / c) + 1.0 <= kMaxCountedIterations)) return closedForm(v, c);
    std::uint64_t n = 0;
    for (double counter = 1.0; counter <= v;) {
        ++n;
        const double next = counter + c;
        // A c below the counter's precision would never move it on.
        if (next == counter) return closedForm(v, c);
        counter = next;
    }
    return n;
}

}  // namespace

std::uint64_t stepDelayCount(double v, double c) {
    if (!(c > 0.0) || !(v >= 1.0)) return 0;

    // Counting 951 additions twice per step would cost more than all the rest of a
    // tick, and a cut makes millions of ticks with a handful of (V, c) pairs: cutting
    // and rapid feed, and whatever the slider passes through. The last few counts are
    // remembered.
    struct Known {
        double v = 0, c = 0;  // v = 0 never matches: it is answered above
        std::uint64_t iterations = 0;
    };
    constexpr std::size_t kKnown = 4;
    thread_local std::array<Known, kKnown> known{};
    thread_local std::size_t oldest = 0;
    for (const Known& k : known)
        if (k.v == v && k.c == c) return k.iterations;

    const std::uint64_t n = countIterations(v, c);
    known[oldest] = {v, c, n};
    oldest = (oldest + 1) % kKnown;
    return n;
}

namespace {

// The deadline is taken once: time lost to the clock reads or to the scheduler inside
// the wait is not added on top of it.
std::chrono::steady_clock::time_point deadlineAfter(std::uint64_t iterations) {
    if (iterations > kMaxWaitMicroseconds) iterations = kMaxWaitMicroseconds;
    return std::chrono::steady_clock::now() + std::chrono::microseconds(static_cast<std::int64_t>(iterations));
}

void spinUntil(std::chrono::steady_clock::time_point deadline) {
    while (std::chrono::steady_clock::now() < deadline) {
    }
}

// Waking from a sleep takes the system tens of microseconds when idle and hundreds when
// busy; the last stretch is spun so that the delay still ends on time (measured by
// bench_step_timing: p99 within a few microseconds under load, for 30 % of a core).
constexpr auto kSpunStretch = std::chrono::microseconds(500);

}  // namespace

void BusyWaiter::wait(std::uint64_t iterations) {
    if (iterations == 0) return;
    const auto deadline = deadlineAfter(iterations);
    const auto wake = deadline - kSpunStretch;
    if (std::chrono::steady_clock::now() < wake) std::this_thread::sleep_until(wake);
    spinUntil(deadline);
}

void SpinWaiter::wait(std::uint64_t iterations) {
    if (iterations > 0) spinUntil(deadlineAfter(iterations));
}

void PacedWaiter::wait(std::uint64_t iterations) {
    while (iterations > kPaceMicroseconds) {
        inner_.wait(kPaceMicroseconds);
        iterations -= kPaceMicroseconds;
        if (!yieldAndContinue(pump_) || stopped_()) return;
    }
    inner_.wait(iterations);
}

void stepDelay(double v, double c, DelayWaiter& waiter) {
    waiter.wait(stepDelayCount(v, c));
}

std::uint64_t stepMicroseconds(double v, double c) {
    const std::uint64_t n = stepDelayCount(v, c);
    return n > std::numeric_limits<std::uint64_t>::max() / 2 ? std::numeric_limits<std::uint64_t>::max() : 2 * n;
}

std::optional<Message> checkStepTime(double v, double c) {
    const std::uint64_t us = stepMicroseconds(v, c);
    if (us <= kLongestStepMicroseconds) return std::nullopt;
    return portmessages::stepTooLong(static_cast<double>(us) / 1e6);
}

std::optional<Message> checkCoefficient(std::string_view text, double& value) {
    const std::optional<double> c = commaNumber(text);
    if (!c || !(*c > 0.0) || !std::isfinite(*c)) return portmessages::kBadCoefficient;
    value = *c;
    return std::nullopt;
}

}  // namespace tarvel
