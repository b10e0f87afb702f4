// A machine that lives in memory: the program drives it exactly as it drives the real
// one, so that everything can be tried and tested without hardware.
//
// It decodes every write of the data register with the wiring the window copied from
// its configuration, by the rule of stepdecoder.h (a CLOCK rising edge steps its axis,
// DIR XOR "Inverser le sens" at 0 drives towards larger coordinates). Z larger is
// deeper into the material; the tool is in the material while Z > 0.
//
//   Z  clearance switch (pin 13) .... top, smallest Z
//   |  start: 0, the material's surface
//   v  Z home switch (pin 15) ....... bottom, largest Z
//   X, Y home switches (pins 11, 12) at the low end of their axis.
//
// Each switch read answers 1 until the axis stands at or beyond its switch, then 0.
// Every axis can run a little past its switches (`overtravelMm`), then meets its
// mechanical stop: a step there does not move and is counted as blocked.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "port/parallelport.h"

namespace tarvel {

// Where the switches and stops sit, in millimetres from the start position (0, 0, 0).
// X and Y run kTravelMm either way from the start: a 1 m table, whichever corner the
// tool starts from. TARVEL_SIM_TRAVEL=MM sets that half-travel (fromEnvironment).
struct SimulatedMachineSettings {
    static constexpr double kTravelMm = 1000;
    double xHomeMm = -kTravelMm;  // X home switch, low end of X
    double yHomeMm = -kTravelMm;  // Y home switch, low end of Y
    double xEndMm = kTravelMm;    // mechanical stop at the high end of X (no switch)
    double yEndMm = kTravelMm;    // mechanical stop at the high end of Y (no switch)
    double zClearanceMm = -40;  // Z clearance switch, top of Z
    double zHomeMm = 60;        // Z home switch, bottom of Z
    double overtravelMm = 2;    // travel past a switch before the mechanical stop

    // X and Y travel of `halfTravelMm` either way from the start, the rest as above.
    static SimulatedMachineSettings withTravel(double halfTravelMm);
    // The defaults, or the travel TARVEL_SIM_TRAVEL gives (a number of mm above 0, "," or
    // "." as decimal separator); anything else keeps the defaults.
    static SimulatedMachineSettings fromEnvironment();
};

// What a view needs to draw the tool path, given after every write.
struct MachineMotion {
    std::int64_t x = 0, y = 0, z = 0;  // position in steps after the write
    bool inMaterial = false;           // z > 0
    bool moved = false;                // at least one axis stepped on this write
    bool blocked = false;              // a step was refused by a mechanical stop
    std::uint8_t value = 0;            // the value written
};

class SimulatedMachine final : public ParallelPort {
public:
    using Listener = std::function<void(const MachineMotion&)>;

    explicit SimulatedMachine(SimulatedMachineSettings settings = {});

    void Write_Port_Bit(std::int16_t port, std::int16_t value) override;
    std::int16_t Read_Busy(std::int16_t port) override;    // X home switch
    std::int16_t Read_Pe(std::int16_t port) override;      // Y home switch
    std::int16_t Read_Select(std::int16_t port) override;  // Z clearance switch
    std::int16_t Read_Error(std::int16_t port) override;   // Z home switch

    std::string description() const override { return description_; }
    std::string failureText() const override { return description_ + " : écriture refusée"; }
    void setDescription(std::string text) { description_ = std::move(text); }

    // Pin weights, inversion flags and steps per mm; the switch and stop positions in
    // steps follow the steps per mm. The position in steps is kept.
    void useWiring(const Wiring& wiring) override;
    const Wiring& wiring() const { return wiring_; }
    const SimulatedMachineSettings& settings() const { return settings_; }

    // Puts the tool somewhere without stepping (for tests and demonstrations).
    void placeAt(std::int64_t x, std::int64_t y, std::int64_t z);

    std::int64_t xSteps() const { return x_; }
    std::int64_t ySteps() const { return y_; }
    std::int64_t zSteps() const { return z_; }
    double xMm() const { return x_ / wiring_.stepsPerMmX; }
    double yMm() const { return y_ / wiring_.stepsPerMmY; }
    double zMm() const { return z_ / wiring_.stepsPerMmZ; }
    bool inMaterial() const { return z_ > 0; }

    int lastValue() const { return last_; }
    std::uint64_t writes() const { return writes_; }
    std::uint64_t steps() const { return steps_; }            // steps made, all axes
    std::uint64_t blockedSteps() const { return blockedX_ + blockedY_ + blockedZ_; }  // refused by a stop
    std::uint64_t blockedX() const { return blockedX_; }
    std::uint64_t blockedY() const { return blockedY_; }
    std::uint64_t blockedZ() const { return blockedZ_; }
    std::uint64_t reads() const { return reads_; }
    // Every distinct port address the program used, in order of first use.
    const std::vector<std::int16_t>& addressesUsed() const { return addresses_; }

    // Record of every value written; off by default, a cut writes millions.
    void setRecording(bool on) { recording_ = on; }
    const std::vector<std::uint8_t>& recorded() const { return record_; }
    void clearRecord() { record_.clear(); }

    // The next `count` writes fail as a port that lost its device would: nothing reaches
    // the lines, each is counted in failedWrites(). For tests of the loops' reaction.
    void failNextWrites(std::uint64_t count) { writesToFail_ = count; }

    // Called after every write, in the order added. Returns an id for removeListener.
    int addListener(Listener listener);
    void removeListener(int id);

private:
    struct Axis {
        std::int64_t low = 0, high = 0;  // mechanical stops, in steps
    };
    // One step of -1 or +1 (0: none), refused past the axis's stops.
    void step(std::int64_t& position, const Axis& axis, int direction, std::uint64_t& blocked);
    void noteAddress(std::int16_t port);

    SimulatedMachineSettings settings_;
    Wiring wiring_;
    Axis xAxis_, yAxis_, zAxis_;
    std::int64_t xHome_ = 0, yHome_ = 0, zClearance_ = 0, zHome_ = 0;
    std::int64_t x_ = 0, y_ = 0, z_ = 0;
    int last_ = 0;
    std::uint64_t writes_ = 0, steps_ = 0, blockedX_ = 0, blockedY_ = 0, blockedZ_ = 0, reads_ = 0;
    std::uint64_t writesToFail_ = 0;
    bool recording_ = false;
    std::vector<std::uint8_t> record_;
    std::vector<std::int16_t> addresses_;
    std::vector<std::pair<int, std::shared_ptr<Listener>>> listeners_;
    int nextListenerId_ = 1;
    int dispatching_ = 0;  // depth of listener calls in progress
    std::string description_;
};

}  // namespace tarvel
