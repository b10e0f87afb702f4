// The parallel port through ppdev; the register layout is drawn in ppdevport.h.
#include "port/ppdevport.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/files.h"
#include "port/portmessages.h"

#ifdef __linux__
#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace tarvel {

namespace {

constexpr unsigned char kBusy = 0x80;      // pin 11
constexpr unsigned char kPaperEnd = 0x20;  // pin 12
constexpr unsigned char kSelect = 0x10;    // pin 13
constexpr unsigned char kError = 0x08;     // pin 15

std::optional<int> parportNumber(const std::string& name) {
    const std::string prefix = "parport";
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
    int n = 0;
    const char* first = name.data() + prefix.size();
    const char* last = name.data() + name.size();
    const auto [end, ec] = std::from_chars(first, last, n);
    if (ec != std::errc() || end != last) return std::nullopt;
    return n;
}

// base-addr holds "888\t1912\n": the base address, then the address of the extended
// registers. Only the first number matters here.
std::optional<long> firstNumber(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    int base = 10;
    if (text.compare(i, 2, "0x") == 0 || text.compare(i, 2, "0X") == 0) {
        base = 16;
        i += 2;
    }
    long value = 0;
    const auto [end, ec] = std::from_chars(text.data() + i, text.data() + text.size(), value, base);
    if (ec != std::errc() || end == text.data() + i) return std::nullopt;
    return value;
}

// A device that answers no ppdev request (ENOTTY) is not a parallel port at all. EBUSY
// comes from the claim while another program holds the port; the devices belong to the
// group lp, so a refusal means the user is not in it.
std::string reasonText(int errnoValue) {
    switch (errnoValue) {
        case ENOTTY: return portmessages::kNotAParport;
        case EBUSY: return portmessages::kPortBusy;
        case EACCES:
        case EPERM: return portmessages::kPortAccessDenied;
        default: break;
    }
    return systemErrorText(errnoValue);
}

#ifdef __linux__
class LinuxPpdevSystem final : public PpdevSystem {
public:
    explicit LinuxPpdevSystem(std::string procRoot) : procRoot_(std::move(procRoot)) {}

    int openDevice(const std::string& path) override {
        const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        return fd >= 0 ? fd : -errno;
    }
    int control(int fd, unsigned long request, void* arg) override {
        return ::ioctl(fd, request, arg) == 0 ? 0 : -errno;
    }
    void closeDevice(int fd) override { ::close(fd); }
    std::vector<ParportEntry> parports() override { return listParports(procRoot_); }

private:
    std::string procRoot_;
};
#endif

}  // namespace

std::vector<ParportEntry> listParports(const std::string& root) {
    namespace fs = std::filesystem;
    std::vector<ParportEntry> ports;
    std::error_code ec;
    for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        const std::optional<int> n = parportNumber(it->path().filename().string());
        if (!n) continue;
        ParportEntry entry;
        entry.number = *n;
        std::ifstream in(it->path() / "base-addr", std::ios::binary);
        if (in) {
            const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            entry.baseAddress = firstNumber(text);
        }
        ports.push_back(entry);
    }
    std::sort(ports.begin(), ports.end(),
              [](const ParportEntry& a, const ParportEntry& b) { return a.number < b.number; });
    return ports;
}

std::optional<std::string> ppdevDeviceFor(std::int16_t address, const std::vector<ParportEntry>& ports) {
    for (const auto& p : ports)
        if (p.baseAddress && *p.baseAddress == address) return p.device();
    // Any address other than port 2's is port 1, as the configuration reads it.
    const std::size_t index = address == kPort2Address ? 1 : 0;
    if (ports.empty()) return "/dev/parport" + std::to_string(index);
    if (index < ports.size()) return ports[index].device();
    return std::nullopt;
}

std::unique_ptr<PpdevSystem> makeLinuxPpdevSystem(std::string procRoot) {
#ifdef __linux__
    return std::make_unique<LinuxPpdevSystem>(std::move(procRoot));
#else
    (void)procRoot;
    return nullptr;
#endif
}

PpdevPort::PpdevPort(std::unique_ptr<PpdevSystem> system, std::string forcedDevice)
    : system_(std::move(system)), forced_(std::move(forcedDevice)) {
    if (system_ && forced_.empty()) ports_ = system_->parports();
}

PpdevPort::~PpdevPort() {
    for (auto& d : devices_) {
        if (d.fd < 0) continue;
#ifdef __linux__
        system_->control(d.fd, PPRELEASE, nullptr);
#endif
        system_->closeDevice(d.fd);
    }
}

std::string PpdevPort::devicePath(std::int16_t address) const {
    if (!forced_.empty()) return forced_;
    return ppdevDeviceFor(address, ports_).value_or(std::string());
}

void PpdevPort::fail(const std::string& text, int errnoValue) {
    error_ = text;
    errno_ = errnoValue;
}

PpdevPort::Device* PpdevPort::deviceFor(std::int16_t address) {
    const std::string path = devicePath(address);
    if (path.empty()) {
        fail(portmessages::noDevice(address), ENODEV);
        return nullptr;
    }
    auto it = std::find_if(devices_.begin(), devices_.end(), [&](const Device& d) { return d.path == path; });
    if (it != devices_.end()) return it->failed ? nullptr : &*it;

    // First use of this device: open it and take it for this program alone. A failure
    // is remembered, so that a cut does not retry it millions of times.
    Device& d = devices_.emplace_back();
    d.path = path;
#ifdef __linux__
    if (!system_) {
        d.failed = true;
        fail(portmessages::cannotOpen(path, systemErrorText(ENOSYS)), ENOSYS);
        return nullptr;
    }
    const int fd = system_->openDevice(path);
    if (fd < 0) {
        d.failed = true;
        fail(portmessages::cannotOpen(path, reasonText(-fd)), -fd);
        return nullptr;
    }
    // PPEXCL must come before the claim: it asks that no other driver (lp) share the
    // port while we hold it. It is a wish, not a condition, so its answer is not kept.
    system_->control(fd, PPEXCL, nullptr);
    if (const int r = system_->control(fd, PPCLAIM, nullptr); r != 0) {
        system_->closeDevice(fd);
        d.failed = true;
        fail(portmessages::cannotClaim(path, reasonText(-r)), -r);
        return nullptr;
    }
    // A bidirectional port may have been left reading its data lines: drive them.
    int forward = 0;
    system_->control(fd, PPDATADIR, &forward);
    d.fd = fd;
    return &d;
#else
    d.failed = true;
    fail(portmessages::cannotOpen(path, systemErrorText(ENOSYS)), ENOSYS);
    return nullptr;
#endif
}

bool PpdevPort::open(std::int16_t address) {
    return deviceFor(address) != nullptr;
}

void PpdevPort::Write_Port_Bit(std::int16_t port, std::int16_t value) {
    Device* d = deviceFor(port);
    if (!d) {
        noteFailedWrite();
        return;
    }
#ifdef __linux__
    unsigned char data = static_cast<unsigned char>(value & 0xFF);
    if (const int r = system_->control(d->fd, PPWDATA, &data); r != 0) {
        noteFailedWrite();
        fail(portmessages::writeFailed(d->path, reasonText(-r)), -r);
    }
#else
    (void)value;
#endif
}

std::int16_t PpdevPort::readStatusLine(std::int16_t address, unsigned char mask, bool invertedByHardware) {
    Device* d = deviceFor(address);
    if (!d) return 0;
#ifdef __linux__
    unsigned char status = 0;
    if (const int r = system_->control(d->fd, PPRSTATUS, &status); r != 0) {
        fail(portmessages::readFailed(d->path, reasonText(-r)), -r);
        return 0;
    }
    const bool bitSet = (status & mask) != 0;
    return (bitSet != invertedByHardware) ? 1 : 0;
#else
    (void)mask;
    (void)invertedByHardware;
    return 0;
#endif
}

// BUSY (pin 11) is inverted by the port hardware: a high pin reads as a clear bit.
std::int16_t PpdevPort::Read_Busy(std::int16_t port) { return readStatusLine(port, kBusy, true); }
std::int16_t PpdevPort::Read_Pe(std::int16_t port) { return readStatusLine(port, kPaperEnd, false); }
std::int16_t PpdevPort::Read_Select(std::int16_t port) { return readStatusLine(port, kSelect, false); }
std::int16_t PpdevPort::Read_Error(std::int16_t port) { return readStatusLine(port, kError, false); }

std::string PpdevPort::description() const {
    std::string names;
    for (const auto& d : devices_) {
        if (d.fd < 0) continue;
        if (!names.empty()) names += ", ";
        names += d.path;
    }
    if (names.empty()) names = devicePath(kPort1Address);
    return portmessages::ppdevPort(names);
}

}  // namespace tarvel
