// The real parallel port, through the Linux ppdev driver (/dev/parportN).
//
// Port 1 and port 2 of the configuration are the ports whose base address is 888
// (0x378) and 632 (0x278) in /proc/sys/dev/parport/parport*/base-addr. A PCIe card
// sits at another address: then port 1 is the first port found and port 2 the second.
// TARVEL_PORT=/dev/parportN sends every address to that one device.
//
// A device is opened the first time its address is used, taken for this program alone
// (PPEXCL, then PPCLAIM once) and kept until the end.
//
//   data register (PPWDATA)  : pins 2..9 = bits 0..7
//   status register (PPRSTATUS):
//     bit 7 0x80  BUSY       pin 11  X home switch      inverted by the port hardware
//     bit 5 0x20  PAPER END  pin 12  Y home switch
//     bit 4 0x10  SELECT     pin 13  Z clearance switch
//     bit 3 0x08  ERROR      pin 15  Z home switch
// Every read returns the electrical level of its pin, 1 or 0.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "port/parallelport.h"

namespace tarvel {

inline constexpr const char* kParportProcRoot = "/proc/sys/dev/parport";

// One parport the kernel knows, from <root>/parportN/base-addr.
struct ParportEntry {
    int number = 0;                     // N of parportN
    std::optional<long> baseAddress;    // first number of base-addr, when readable
    std::string device() const { return "/dev/parport" + std::to_string(number); }
};

// Every parportN directory under `root`, in the order of N.
std::vector<ParportEntry> listParports(const std::string& root);

// The device of a port address: the port whose base address it is; otherwise the first
// port found for port 1 (888) and the second for port 2 (632); with no port listed at
// all, /dev/parport0 and /dev/parport1. Nullopt when no port can stand for it.
std::optional<std::string> ppdevDeviceFor(std::int16_t address, const std::vector<ParportEntry>& ports);

// Every system call the port makes, so that tests can put a fake in its place.
class PpdevSystem {
public:
    virtual ~PpdevSystem() = default;
    virtual int openDevice(const std::string& path) = 0;               // descriptor, or -errno
    virtual int control(int fd, unsigned long request, void* arg) = 0;  // ioctl: 0, or -errno
    virtual void closeDevice(int fd) = 0;
    virtual std::vector<ParportEntry> parports() = 0;
};

// The real calls; `procRoot` is where the parportN directories are listed.
std::unique_ptr<PpdevSystem> makeLinuxPpdevSystem(std::string procRoot = kParportProcRoot);

class PpdevPort final : public ParallelPort {
public:
    // `forcedDevice` (TARVEL_PORT) replaces the device of every address when not empty.
    explicit PpdevPort(std::unique_ptr<PpdevSystem> system, std::string forcedDevice = {});
    ~PpdevPort() override;
    PpdevPort(const PpdevPort&) = delete;
    PpdevPort& operator=(const PpdevPort&) = delete;

    // A write or read whose device cannot be used does nothing: the write is dropped
    // and the read answers 0, as a reached switch, so that no homing loop runs on
    // blind. error() tells why; failedWrites() counts the dropped writes.
    void Write_Port_Bit(std::int16_t port, std::int16_t value) override;
    std::int16_t Read_Busy(std::int16_t port) override;
    std::int16_t Read_Pe(std::int16_t port) override;
    std::int16_t Read_Select(std::int16_t port) override;
    std::int16_t Read_Error(std::int16_t port) override;

    // "Port parallèle /dev/parport0 (ppdev)": the devices opened, or the device of
    // port 1 before any is.
    std::string description() const override;
    std::string failureText() const override { return error_.empty() ? description() : error_; }

    // Opens and claims the device of `address` now (it is otherwise done at first use).
    // False when it cannot be; error() and errorNumber() then tell why.
    bool open(std::int16_t address);
    // The device that `address` goes to; empty when none.
    std::string devicePath(std::int16_t address) const;

    const std::string& error() const { return error_; }  // French; empty while all went well
    int errorNumber() const { return errno_; }           // errno of the last failure

private:
    struct Device {
        std::string path;
        int fd = -1;
        bool failed = false;
    };
    Device* deviceFor(std::int16_t address);
    std::int16_t readStatusLine(std::int16_t address, unsigned char mask, bool invertedByHardware);
    void fail(const std::string& text, int errnoValue);

    std::unique_ptr<PpdevSystem> system_;
    std::string forced_;
    std::vector<ParportEntry> ports_;
    std::vector<Device> devices_;
    std::string error_;
    int errno_ = 0;
};

}  // namespace tarvel
