// The commanded position; what it counts is said in trackedport.h.
#include "port/trackedport.h"

#include "common/textrules.h"
#include "port/stepdecoder.h"

namespace tarvel {

MmPosition mmOf(const StepPosition& s, const Wiring& wiring) {
    const Wiring w = usableWiring(wiring, Wiring{});
    return {static_cast<double>(s.x) / w.stepsPerMmX, static_cast<double>(s.y) / w.stepsPerMmY,
            static_cast<double>(s.z) / w.stepsPerMmZ};
}

void TrackedPort::drive(ParallelPort& inner) {
    if (inner_ == &inner) return;
    inner_ = &inner;
    steps_ = {};
    last_ = 0;
}

void TrackedPort::Write_Port_Bit(std::int16_t port, std::int16_t value) {
    if (inner_ == nullptr) {
        noteFailedWrite();
        return;
    }
    const std::uint64_t failedBefore = inner_->failedWrites();
    inner_->Write_Port_Bit(port, value);
    if (inner_->failedWrites() != failedBefore) {
        noteFailedWrite();
        return;
    }
    const int v = value & 0xFF;
    const AxisSteps s = decodeSteps(wiring_, last_, v);
    steps_.x += s.x;
    steps_.y += s.y;
    steps_.z += s.z;
    last_ = v;
}

// Without a port every switch reads as not reached; no motion starts without one.
std::int16_t TrackedPort::Read_Busy(std::int16_t port) { return inner_ ? inner_->Read_Busy(port) : 1; }
std::int16_t TrackedPort::Read_Pe(std::int16_t port) { return inner_ ? inner_->Read_Pe(port) : 1; }
std::int16_t TrackedPort::Read_Select(std::int16_t port) { return inner_ ? inner_->Read_Select(port) : 1; }
std::int16_t TrackedPort::Read_Error(std::int16_t port) { return inner_ ? inner_->Read_Error(port) : 1; }

std::string TrackedPort::description() const { return inner_ ? inner_->description() : std::string(); }
std::string TrackedPort::failureText() const { return inner_ ? inner_->failureText() : std::string(); }

void TrackedPort::useWiring(const Wiring& wiring) {
    wiring_ = usableWiring(wiring, wiring_);
    if (inner_) inner_->useWiring(wiring);
}

std::string positionLine(const MmPosition& mm) {
    return "Position : X " + millimetreText(mm.x) + " mm   Y " + millimetreText(mm.y) + " mm   Z " + millimetreText(mm.z) + " mm";
}

}  // namespace tarvel
