// The parallel port through ppdev, on a fake system that writes every call down, and the
// choice between it and the simulated machine.
#include "port/ppdevport.h"

#include <gtest/gtest.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstdlib>
#include <tuple>

#include "port/portbackend.h"
#include "support/tempdir.h"

namespace tarvel {
namespace {

using Calls = std::vector<std::string>;

struct FakeState {
    Calls calls = {};  // "open /dev/parport0", "PPCLAIM", "PPWDATA 3", "close", ...
    std::vector<ParportEntry> ports = {};
    int openErrno = 0, claimErrno = 0, writeErrno = 0;  // the call fails with it when not 0
    unsigned char status = 0;
};

struct FakePpdev final : PpdevSystem {
    FakeState& s;
    explicit FakePpdev(FakeState& state) : s(state) {}
    int openDevice(const std::string& path) override { return note("open " + path, s.openErrno, 7); }
    int control(int, unsigned long request, void* arg) override {
        auto* byte = static_cast<unsigned char*>(arg);
        switch (request) {
            case PPEXCL: return note("PPEXCL");
            case PPCLAIM: return note("PPCLAIM", s.claimErrno);
            case PPRELEASE: return note("PPRELEASE");
            case PPDATADIR: return note("PPDATADIR " + std::to_string(*static_cast<int*>(arg)));
            case PPWDATA: return note("PPWDATA " + std::to_string(*byte), s.writeErrno);
            case PPRSTATUS: *byte = s.status; return note("PPRSTATUS");
            default: return note("unexpected ioctl", ENOTTY);
        }
    }
    void closeDevice(int) override { note("close"); }
    std::vector<ParportEntry> parports() override { return s.ports; }
    int note(std::string call, int error = 0, int answer = 0) {
        s.calls.push_back(std::move(call));
        return error ? -error : answer;
    }
};

std::unique_ptr<PpdevPort> portOn(FakeState& state, std::string forced = {}) {
    return std::make_unique<PpdevPort>(std::make_unique<FakePpdev>(state), std::move(forced));
}

TEST(PpdevPort, ReadsEachStatusPinAsItsElectricalLevel) {
    // BUSY (0x80) is inverted by the hardware; PAPER END 0x20, SELECT 0x10, ERROR 0x08 are not.
    const std::pair<unsigned char, std::tuple<int, int, int, int>> cases[] = {
        {0x00, {1, 0, 0, 0}}, {0x80, {0, 0, 0, 0}}, {0xF8, {0, 1, 1, 1}}, {0x20, {1, 1, 0, 0}},
        {0x10, {1, 0, 1, 0}}, {0x08, {1, 0, 0, 1}}, {0x47, {1, 0, 0, 0}},
    };
    for (const auto& [status, levels] : cases) {
        FakeState state{.status = status};
        auto port = portOn(state);
        EXPECT_EQ(std::tuple(port->Read_Busy(kPort1Address), port->Read_Pe(kPort1Address),
                             port->Read_Select(kPort1Address), port->Read_Error(kPort1Address)),
                  levels)
            << int(status);
    }
}

// Open refused, port held by another driver (closed again), no port for 632: the writes are
// dropped, BUSY reads 0 where the device would give 1, nothing is retried or left to release.
TEST(PpdevPort, PortThatCannotBeUsedFailsOnceAndSaysWhy) {
    const struct {
        int failure;
        FakeState state;
        std::int16_t address;
        const char* named;  // in the error
        Calls calls;
    } cases[] = {
        {EACCES, {.openErrno = EACCES}, kPort1Address, "/dev/parport0", {"open /dev/parport0"}},
        {EBUSY, {.claimErrno = EBUSY}, kPort1Address, "/dev/parport0",
         {"open /dev/parport0", "PPEXCL", "PPCLAIM", "close"}},
        {ENODEV, {.ports = {{0, 53248}}}, kPort2Address, "632", {}},
    };
    for (const auto& k : cases) {
        FakeState state = k.state;
        auto port = portOn(state);
        EXPECT_FALSE(port->open(k.address));
        port->Write_Port_Bit(k.address, 3);
        EXPECT_EQ(std::tuple(port->failedWrites(), port->Read_Busy(k.address), port->errorNumber()),
                  std::tuple(1u, 0, k.failure));
        EXPECT_NE(port->error().find(k.named), std::string::npos) << port->error();
        port.reset();
        EXPECT_EQ(state.calls, k.calls) << k.failure;
    }
}

TEST(PpdevPort, RefusedDataWriteIsRecordedAndSaid) {
    FakeState state;
    auto port = portOn(state);
    port->Write_Port_Bit(kPort1Address, 1);
    state.writeErrno = EIO;
    port->Write_Port_Bit(kPort1Address, 3);
    port->Write_Port_Bit(kPort1Address, 2);
    EXPECT_EQ(port->failedWrites(), 2u);
    EXPECT_EQ(port->errorNumber(), EIO);
    EXPECT_NE(port->error().find("/dev/parport0"), std::string::npos) << port->error();
    port->clearFailedWrites();
    state.writeErrno = 0;
    port->Write_Port_Bit(kPort1Address, 1);
    EXPECT_EQ(port->failedWrites(), 0u);
}

// The device is claimed for this program alone once, driven forward, and released on close.
TEST(PpdevPort, EachAddressOpensItsOwnDeviceUnlessOneIsForced) {
    FakeState state;
    state.ports = {{0, 888}, {1, 632}};
    auto port = portOn(state);
    port->Write_Port_Bit(kPort2Address, 5);
    port->Write_Port_Bit(kPort1Address, 6);
    EXPECT_EQ(port->description(), "Port parallèle /dev/parport1, /dev/parport0 (ppdev)");
    EXPECT_EQ(std::tuple(state.calls.at(0), state.calls.at(5)), std::tuple("open /dev/parport1", "open /dev/parport0"));

    FakeState forcedState;
    auto forced = portOn(forcedState, "/dev/parport3");
    forced->Write_Port_Bit(kPort2Address, 5);
    forced->Write_Port_Bit(kPort1Address, 6);
    EXPECT_EQ(forced->description(), "Port parallèle /dev/parport3 (ppdev)");
    forced.reset();
    EXPECT_EQ(forcedState.calls, (Calls{"open /dev/parport3", "PPEXCL", "PPCLAIM", "PPDATADIR 0", "PPWDATA 5",
                                        "PPWDATA 6", "PPRELEASE", "close"}));
}

TEST(ListParports, ReadsTheBaseAddressOfEachPortInOrder) {
    testing::TempDir proc;
    for (const char* d : {"parport10", "parport2", "parport0", "default", "parportx"})
        std::filesystem::create_directory(proc.path() / d);
    proc.write("parport0/base-addr", "53248\t53264\n");
    proc.write("parport2/base-addr", "888\t1912\n");
    proc.write("parport10/base-addr", "garbage\n");
    const auto ports = listParports(proc.str());
    ASSERT_EQ(ports.size(), 3u);
    EXPECT_EQ(std::tuple(ports[0].number, ports[0].baseAddress), std::tuple(0, std::optional(53248L)));
    EXPECT_EQ(std::tuple(ports[1].device(), ports[1].baseAddress), std::tuple("/dev/parport2", std::optional(888L)));
    EXPECT_EQ(std::tuple(ports[2].number, ports[2].baseAddress), std::tuple(10, std::optional<long>()));
    EXPECT_TRUE(listParports(proc.file("missing")).empty());
}

TEST(PpdevDeviceFor, MatchesBaseAddressesElseTakesPortsInOrder) {
    using Ports = std::vector<ParportEntry>;
    const struct {
        const char* what;
        Ports ports;
        std::optional<std::string> port1, port2;
    } cases[] = {
        {"both on board", {{0, 632}, {1, 888}}, "/dev/parport1", "/dev/parport0"},
        {"PCIe card", {{0, 53248}, {1, 53264}}, "/dev/parport0", "/dev/parport1"},
        {"one card only", {{0, 53248}}, "/dev/parport0", std::nullopt},
        {"port 2 on board only", {{0, 53248}, {3, 632}}, "/dev/parport0", "/dev/parport3"},
        {"nothing listed", {}, "/dev/parport0", "/dev/parport1"},
    };
    for (const auto& k : cases) {
        EXPECT_EQ(ppdevDeviceFor(kPort1Address, k.ports), k.port1) << k.what;
        EXPECT_EQ(ppdevDeviceFor(kPort2Address, k.ports), k.port2) << k.what;
    }
}

// A description starting with "Machine simulée (" and naming, for a port there or named, the device and why.
TEST(ChoosePortBackend, PicksTheBackendAndNamesIt) {
    const struct {
        const char* forced;
        int openErrno, claimErrno;
        const char* description;
    } cases[] = {
        {"sim", 0, 0, "Machine simulée (choisie par TARVEL_PORT=sim)"},
        {"", 0, 0, "Port parallèle /dev/parport0 (ppdev)"},
        {"", ENOENT, 0, "Machine simulée (aucun port parallèle disponible)"},
        {"", ENXIO, 0, "Machine simulée (aucun port parallèle disponible)"},
        {"/dev/parport2", 0, 0, "Port parallèle /dev/parport2 (ppdev)"},
        {"/dev/parport3", ENOENT, 0, "introuvable"},  // asked for by name: always explained
        {"", EACCES, 0, "accès refusé : ajoutez-vous au groupe lp"}, {"", 0, EBUSY, "occupé par un autre programme"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(::testing::Message() << '"' << k.forced << "\" " << k.openErrno << ' ' << k.claimErrno);
        FakeState state{.openErrno = k.openErrno, .claimErrno = k.claimErrno};
        const PortBackend b = choosePortBackend(k.forced, [&](const std::string& dev) { return portOn(state, dev); });
        ASSERT_TRUE(b.port);
        EXPECT_EQ(b.simulated, b.description.starts_with("Machine simulée (")) << b.description;
        EXPECT_EQ(b.port->description(), b.description);
        const std::string failed = *k.forced ? k.forced : "/dev/parport0";
        EXPECT_TRUE(b.portFailure.empty() ? b.description == k.description
                                          : b.description == "Machine simulée (" + b.portFailure + ")" &&
                                                b.portFailure.find(failed) != std::string::npos &&
                                                b.portFailure.ends_with(k.description))
            << b.description;
        EXPECT_TRUE(std::string(k.forced) != "sim" || state.calls.empty()) << "a device was touched";
    }
    ::setenv("TARVEL_PORT", "sim", 1);
    const PortBackend b = choosePortBackendFromEnvironment();
    ::unsetenv("TARVEL_PORT");
    EXPECT_EQ(b.description, "Machine simulée (choisie par TARVEL_PORT=sim)");
}

}  // namespace
}  // namespace tarvel
