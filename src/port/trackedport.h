// The position the program commanded: every window that drives the machine writes
// through one TrackedPort wrapped around the real port (ppdev or the simulated
// machine), which follows each value that reached the data lines with the rule of
// stepdecoder.h. A write the inner port counts in its failedWrites() never reached the
// motors, so it moves nothing here either.
//
// The position counts from where the machine stood when the program started, or from
// the end of the last homing. It is what the program asked for, not a measurement: a
// motor that lost steps is elsewhere.
#pragma once

#include <cstdint>
#include <string>

#include "port/parallelport.h"

namespace tarvel {

struct StepPosition {
    std::int64_t x = 0, y = 0, z = 0;

    friend StepPosition operator-(const StepPosition& a, const StepPosition& b) {
        return {a.x - b.x, a.y - b.y, a.z - b.z};
    }
    friend bool operator==(const StepPosition&, const StepPosition&) = default;
};

struct MmPosition {
    double x = 0, y = 0, z = 0;
};

// Steps to mm with the steps per mm of a wiring (taken as usable, see stepdecoder.h).
MmPosition mmOf(const StepPosition& steps, const Wiring& wiring);

class TrackedPort final : public ParallelPort {
public:
    // The port that drives the machine. Another port than the one driven so far starts
    // again from 0, 0, 0.
    void drive(ParallelPort& inner);
    ParallelPort* inner() const { return inner_; }

    void Write_Port_Bit(std::int16_t port, std::int16_t value) override;
    std::int16_t Read_Busy(std::int16_t port) override;
    std::int16_t Read_Pe(std::int16_t port) override;
    std::int16_t Read_Select(std::int16_t port) override;
    std::int16_t Read_Error(std::int16_t port) override;

    std::string description() const override;
    std::string failureText() const override;
    // Told to the inner port too; its steps per mm turn the position into mm.
    void useWiring(const Wiring& wiring) override;
    const Wiring& wiring() const { return wiring_; }

    StepPosition steps() const { return steps_; }
    MmPosition mm() const { return mmOf(steps_, wiring_); }
    // The machine stands at its reference: homing ended.
    void resetPosition() { steps_ = {}; }

private:
    ParallelPort* inner_ = nullptr;
    Wiring wiring_;
    StepPosition steps_;
    int last_ = 0;
};

// "Position : X 12,35 mm   Y -3,00 mm   Z 2,00 mm", as the windows show it.
std::string positionLine(const MmPosition& mm);

}  // namespace tarvel
