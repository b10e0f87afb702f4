#include "port/portbackend.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

#include "fakeppdev.h"
#include "port/simulatedmachine.h"

namespace tarvel {
namespace {

using testing::FakePpdevState;
using testing::FakePpdevSystem;

struct Choice {
    FakePpdevState state;
    std::vector<std::string> asked;  // the forced device of each port made

    PortBackend choose(const std::string& forced) {
        return choosePortBackend(forced, [this](const std::string& device) {
            asked.push_back(device);
            return std::make_unique<PpdevPort>(std::make_unique<FakePpdevSystem>(state), device);
        });
    }
};

TEST(ChoosePortBackend, PicksTheBackendAndNamesIt) {
    const struct {
        const char* forced;
        int openErrno;
        bool simulated;
        const char* description;
    } cases[] = {
        {"sim", 0, true, "Machine simulée (choisie par TARVEL_PORT=sim)"},
        {"", 0, false, "Port parallèle /dev/parport0 (ppdev)"},
        {"", ENOENT, true, "Machine simulée (aucun port parallèle disponible)"},
        {"", ENXIO, true, "Machine simulée (aucun port parallèle disponible)"},
        {"/dev/parport2", 0, false, "Port parallèle /dev/parport2 (ppdev)"},
    };
    for (const auto& k : cases) {
        Choice c;
        c.state.openErrno = k.openErrno;
        const PortBackend b = c.choose(k.forced);
        ASSERT_TRUE(b.port) << k.forced;
        EXPECT_EQ(b.simulated, k.simulated) << k.forced;
        EXPECT_EQ(b.description, k.description) << k.forced;
        EXPECT_EQ(b.port->description(), b.description) << k.forced;
        EXPECT_EQ(dynamic_cast<SimulatedMachine*>(b.port.get()) != nullptr, k.simulated) << k.forced;
        if (std::string(k.forced) == "sim") {
            EXPECT_TRUE(c.asked.empty() && c.state.calls.empty()) << "a device was touched";
        }
    }
}

TEST(ChoosePortBackend, FallsBackToTheSimulationSayingWhichDeviceFailedAndWhy) {
    const struct {
        const char* forced;
        int openErrno, claimErrno;
        const char* device;
    } cases[] = {
        {"/dev/parport3", ENOENT, 0, "/dev/parport3"},  // asked for by name: always explained
        {"", EACCES, 0, "/dev/parport0"},
        {"", 0, EBUSY, "/dev/parport0"},
    };
    for (const auto& k : cases) {
        Choice c;
        c.state.openErrno = k.openErrno;
        c.state.claimErrno = k.claimErrno;
        const PortBackend b = c.choose(k.forced);
        EXPECT_TRUE(b.simulated);
        EXPECT_EQ(b.description.rfind("Machine simulée (", 0), 0u) << b.description;
        EXPECT_NE(b.description.find(k.device), std::string::npos) << b.description;
        EXPECT_EQ(b.port->description(), b.description);
    }
}

TEST(ChoosePortBackend, ReadsTarvelPortFromTheEnvironment) {
    ::setenv("TARVEL_PORT", "sim", 1);
    const PortBackend b = choosePortBackendFromEnvironment();
    ::unsetenv("TARVEL_PORT");
    EXPECT_TRUE(b.simulated);
    EXPECT_EQ(b.description, "Machine simulée (choisie par TARVEL_PORT=sim)");
}

}  // namespace
}  // namespace tarvel
