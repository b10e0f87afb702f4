// The program's view of the parallel port: one write of the eight data lines and four
// reads of status lines, named as the port library names them. Every operation takes
// the port's base address first: 888 (0x378) for port 1, 632 (0x278) for port 2.
//
//   data pins 2..9  : value bit 0..7 (pin n has the weight 2^(n-2))
//   pin 11 (Busy)   : X home switch         pin 12 (Paper End): Y home switch
//   pin 13 (Select) : Z clearance switch    pin 15 (Error)    : Z home switch
// Each read answers non-zero until its switch is reached, then 0.
#pragma once

#include <cstdint>
#include <string>

namespace tarvel {

inline constexpr std::int16_t kPort1Address = 888;
inline constexpr std::int16_t kPort2Address = 632;

// What a simulated machine needs to decode the data lines; a real port ignores it.
struct Wiring {
    int xDir = 1, xClock = 2, yDir = 4, yClock = 8, zDir = 16, zClock = 32;
    bool invertX = false, invertY = false, invertZ = false;
    double stepsPerMmX = 20, stepsPerMmY = 20, stepsPerMmZ = 20;
};

class ParallelPort {
public:
    virtual ~ParallelPort() = default;
    virtual void Write_Port_Bit(std::int16_t port, std::int16_t value) = 0;
    virtual std::int16_t Read_Busy(std::int16_t port) = 0;
    virtual std::int16_t Read_Pe(std::int16_t port) = 0;
    virtual std::int16_t Read_Select(std::int16_t port) = 0;
    virtual std::int16_t Read_Error(std::int16_t port) = 0;

    // French text naming the backend, for the main window's status bar.
    virtual std::string description() const = 0;
    // Told by each window that starts a motion, with the configuration it copied.
    virtual void useWiring(const Wiring&) {}

    // Writes that did not reach the data lines since the last clearFailedWrites(): a
    // motion loop asks after its writes, since a step that never left the program
    // leaves the machine elsewhere than the loop believes.
    std::uint64_t failedWrites() const { return failedWrites_; }
    void clearFailedWrites() { failedWrites_ = 0; }
    // Why the last write failed, in French, naming the device.
    virtual std::string failureText() const { return description(); }

protected:
    void noteFailedWrite() { ++failedWrites_; }

private:
    std::uint64_t failedWrites_ = 0;
};

}  // namespace tarvel
