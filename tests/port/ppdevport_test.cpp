#include "port/ppdevport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <tuple>

#include "fakeppdev.h"
#include "support/tempdir.h"

namespace tarvel {
namespace {

using testing::FakePpdevState;
using testing::FakePpdevSystem;
using testing::PpdevCall;
using Calls = std::vector<PpdevCall>;

std::unique_ptr<PpdevPort> portOn(FakePpdevState& state, std::string forced = {}) {
    return std::make_unique<PpdevPort>(std::make_unique<FakePpdevSystem>(state), std::move(forced));
}

TEST(PpdevPort, ClaimsExclusivelyOnceThenWritesTheDataRegisterAndReleasesOnClose) {
    FakePpdevState state;
    auto port = portOn(state);
    port->Write_Port_Bit(kPort1Address, 1);
    port->Write_Port_Bit(kPort1Address, 3);
    EXPECT_EQ(state.calls, (Calls{{"open /dev/parport0"}, {"PPEXCL"}, {"PPCLAIM"}, {"PPDATADIR", 0},
                                  {"PPWDATA", 1}, {"PPWDATA", 3}}));
    EXPECT_EQ(port->description(), "Port parallèle /dev/parport0 (ppdev)");
    EXPECT_TRUE(port->error().empty());
    port.reset();
    EXPECT_EQ(state.calls.size(), 8u);
    EXPECT_EQ(state.calls[6], (PpdevCall{"PPRELEASE"}));
    EXPECT_EQ(state.calls[7], (PpdevCall{"close"}));
}

TEST(PpdevPort, ReadsEachStatusPinAsItsElectricalLevel) {
    // BUSY (0x80) is inverted by the hardware; PAPER END 0x20, SELECT 0x10, ERROR 0x08 are not.
    const struct {
        unsigned char status;
        int busy, pe, select, error;
    } cases[] = {
        {0x00, 1, 0, 0, 0}, {0x80, 0, 0, 0, 0}, {0x78, 1, 1, 1, 1}, {0xF8, 0, 1, 1, 1},
        {0x20, 1, 1, 0, 0}, {0x10, 1, 0, 1, 0}, {0x08, 1, 0, 0, 1}, {0x47, 1, 0, 0, 0},
    };
    for (const auto& k : cases) {
        FakePpdevState state;
        state.status = k.status;
        auto port = portOn(state);
        EXPECT_EQ(std::tuple(port->Read_Busy(kPort1Address), port->Read_Pe(kPort1Address),
                             port->Read_Select(kPort1Address), port->Read_Error(kPort1Address)),
                  std::tuple(k.busy, k.pe, k.select, k.error))
            << int(k.status);
    }
}

// Open refused, port held by another driver (closed again), no port for 632: the writes are
// dropped, BUSY reads 0 where the device would give 1, nothing is retried or left to release.
TEST(PpdevPort, PortThatCannotBeUsedFailsOnceAndSaysWhy) {
    for (int failure : {EACCES, EBUSY, ENODEV}) {
        FakePpdevState state;
        if (failure == EACCES) state.openErrno = failure;
        if (failure == EBUSY) state.claimErrno = failure;
        if (failure == ENODEV) state.ports = {{0, 53248}};
        const std::int16_t address = failure == ENODEV ? kPort2Address : kPort1Address;
        auto port = portOn(state);
        EXPECT_FALSE(port->open(address));
        port->Write_Port_Bit(address, 3);
        EXPECT_EQ(port->failedWrites(), 1u) << failure;
        EXPECT_EQ(port->Read_Busy(address), 0);
        EXPECT_EQ(port->errorNumber(), failure);
        if (failure == EACCES) {
            EXPECT_NE(port->error().find("/dev/parport0"), std::string::npos) << port->error();
        }
        port.reset();
        const Calls opened{{"open /dev/parport0"}}, held{{"open /dev/parport0"}, {"PPEXCL"}, {"PPCLAIM"}, {"close"}};
        EXPECT_EQ(state.calls, failure == EACCES ? opened : failure == EBUSY ? held : Calls{}) << failure;
    }
}

TEST(PpdevPort, RefusedDataWriteIsRecordedAndSaid) {
    FakePpdevState state;
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

TEST(PpdevPort, EachAddressOpensItsOwnDeviceUnlessOneIsForced) {
    FakePpdevState state;
    state.ports = {{0, 888}, {1, 632}};
    auto port = portOn(state);
    port->Write_Port_Bit(kPort2Address, 5);
    port->Write_Port_Bit(kPort1Address, 6);
    EXPECT_EQ(state.calls[0], (PpdevCall{"open /dev/parport1"}));
    EXPECT_EQ(state.calls[5], (PpdevCall{"open /dev/parport0"}));
    EXPECT_EQ(port->description(), "Port parallèle /dev/parport1, /dev/parport0 (ppdev)");

    FakePpdevState forcedState;
    auto forced = portOn(forcedState, "/dev/parport3");
    forced->Write_Port_Bit(kPort2Address, 5);
    forced->Write_Port_Bit(kPort1Address, 6);
    EXPECT_EQ(forcedState.calls, (Calls{{"open /dev/parport3"}, {"PPEXCL"}, {"PPCLAIM"}, {"PPDATADIR", 0},
                                        {"PPWDATA", 5}, {"PPWDATA", 6}}));
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
    EXPECT_EQ(ports[0].number, 0);
    EXPECT_EQ(ports[0].baseAddress, 53248);
    EXPECT_EQ(ports[1].device(), "/dev/parport2");
    EXPECT_EQ(ports[1].baseAddress, 888);
    EXPECT_EQ(ports[2].number, 10);
    EXPECT_FALSE(ports[2].baseAddress);

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

}  // namespace
}  // namespace tarvel
