// The simulated machine; the model is described in simulatedmachine.h.
#include "port/simulatedmachine.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "common/textrules.h"
#include "port/portmessages.h"
#include "port/stepdecoder.h"

namespace tarvel {

namespace {

std::int64_t toSteps(double mm, double stepsPerMm) {
    return static_cast<std::int64_t>(std::llround(mm * stepsPerMm));
}

}  // namespace

SimulatedMachineSettings SimulatedMachineSettings::withTravel(double halfTravelMm) {
    SimulatedMachineSettings s;
    s.xHomeMm = s.yHomeMm = -halfTravelMm;
    s.xEndMm = s.yEndMm = halfTravelMm;
    return s;
}

SimulatedMachineSettings SimulatedMachineSettings::fromEnvironment() {
    const char* text = std::getenv("TARVEL_SIM_TRAVEL");
    if (!text) return {};
    std::optional<double> mm = commaNumber(text);
    if (!mm) mm = pointNumber(text);
    return mm && *mm > 0 && std::isfinite(*mm) ? withTravel(*mm) : SimulatedMachineSettings{};
}

SimulatedMachine::SimulatedMachine(SimulatedMachineSettings settings)
    : settings_(settings), description_(portmessages::kSimulated) {
    useWiring(wiring_);
}

void SimulatedMachine::useWiring(const Wiring& wiring) {
    const Wiring w = usableWiring(wiring, wiring_);
    wiring_ = w;

    const auto& s = settings_;
    xHome_ = toSteps(s.xHomeMm, w.stepsPerMmX);
    yHome_ = toSteps(s.yHomeMm, w.stepsPerMmY);
    zClearance_ = toSteps(s.zClearanceMm, w.stepsPerMmZ);
    zHome_ = toSteps(s.zHomeMm, w.stepsPerMmZ);
    xAxis_ = {toSteps(s.xHomeMm - s.overtravelMm, w.stepsPerMmX), toSteps(s.xEndMm, w.stepsPerMmX)};
    yAxis_ = {toSteps(s.yHomeMm - s.overtravelMm, w.stepsPerMmY), toSteps(s.yEndMm, w.stepsPerMmY)};
    zAxis_ = {toSteps(s.zClearanceMm - s.overtravelMm, w.stepsPerMmZ),
              toSteps(s.zHomeMm + s.overtravelMm, w.stepsPerMmZ)};
}

void SimulatedMachine::placeAt(std::int64_t x, std::int64_t y, std::int64_t z) {
    x_ = x;
    y_ = y;
    z_ = z;
}

void SimulatedMachine::step(std::int64_t& position, const Axis& axis, int direction, std::uint64_t& blocked) {
    if (direction == 0) return;
    const std::int64_t target = position + direction;
    if (target < axis.low || target > axis.high) {
        ++blocked;
        return;
    }
    position = target;
    ++steps_;
}

void SimulatedMachine::noteAddress(std::int16_t port) {
    if (std::find(addresses_.begin(), addresses_.end(), port) == addresses_.end())
        addresses_.push_back(port);
}

void SimulatedMachine::Write_Port_Bit(std::int16_t port, std::int16_t value) {
    if (addresses_.empty() || port != addresses_.back()) noteAddress(port);
    if (writesToFail_ > 0) {
        --writesToFail_;
        noteFailedWrite();
        return;
    }
    const int v = value & 0xFF;  // eight data lines
    const int previous = last_;
    const std::uint64_t stepsBefore = steps_, blockedBefore = blockedSteps();
    const AxisSteps s = decodeSteps(wiring_, previous, v);
    step(x_, xAxis_, s.x, blockedX_);
    step(y_, yAxis_, s.y, blockedY_);
    step(z_, zAxis_, s.z, blockedZ_);

    last_ = v;
    ++writes_;
    if (recording_) record_.push_back(static_cast<std::uint8_t>(v));
    if (!listeners_.empty()) {
        const MachineMotion m{x_, y_, z_, z_ > 0, steps_ != stepsBefore, blockedSteps() != blockedBefore,
                              static_cast<std::uint8_t>(v)};
        // A listener may add or remove listeners while it runs: each is held alive by
        // its own reference for the call, removal only empties its slot, and the slots
        // are compacted once every listener has been told.
        ++dispatching_;
        const std::size_t count = listeners_.size();
        for (std::size_t i = 0; i < count; ++i) {
            const std::shared_ptr<Listener> listener = listeners_[i].second;
            if (listener) (*listener)(m);
        }
        --dispatching_;
        if (dispatching_ == 0) std::erase_if(listeners_, [](const auto& entry) { return !entry.second; });
    }
}

std::int16_t SimulatedMachine::Read_Busy(std::int16_t port) {
    noteAddress(port);
    ++reads_;
    return x_ <= xHome_ ? 0 : 1;
}

std::int16_t SimulatedMachine::Read_Pe(std::int16_t port) {
    noteAddress(port);
    ++reads_;
    return y_ <= yHome_ ? 0 : 1;
}

std::int16_t SimulatedMachine::Read_Select(std::int16_t port) {
    noteAddress(port);
    ++reads_;
    return z_ <= zClearance_ ? 0 : 1;
}

std::int16_t SimulatedMachine::Read_Error(std::int16_t port) {
    noteAddress(port);
    ++reads_;
    return z_ >= zHome_ ? 0 : 1;
}

int SimulatedMachine::addListener(Listener listener) {
    const int id = nextListenerId_++;
    listeners_.emplace_back(id, std::make_shared<Listener>(std::move(listener)));
    return id;
}

void SimulatedMachine::removeListener(int id) {
    for (auto& entry : listeners_)
        if (entry.first == id) entry.second.reset();
    if (dispatching_ == 0) std::erase_if(listeners_, [](const auto& entry) { return !entry.second; });
}

}  // namespace tarvel
