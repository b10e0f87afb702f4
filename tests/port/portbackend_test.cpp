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

TEST(ChoosePortBackend, PicksTheBackendAndNamesIt) {
    const struct {
        const char* forced;
        int openErrno, claimErrno;
        bool simulated;
        const char* description;
    } cases[] = {
        {"sim", 0, 0, true, "Machine simulée (choisie par TARVEL_PORT=sim)"},
        {"", 0, 0, false, "Port parallèle /dev/parport0 (ppdev)"},
        {"", ENOENT, 0, true, "Machine simulée (aucun port parallèle disponible)"},
        {"", ENXIO, 0, true, "Machine simulée (aucun port parallèle disponible)"},
        {"/dev/parport2", 0, 0, false, "Port parallèle /dev/parport2 (ppdev)"},
        {"/dev/parport3", ENOENT, 0, true, nullptr},  // asked for by name: always explained
        {"", EACCES, 0, true, nullptr},  // nullptr: the simulation names the device that failed
        {"", 0, EBUSY, true, nullptr},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(::testing::Message() << '"' << k.forced << "\" " << k.openErrno << ' ' << k.claimErrno);
        FakePpdevState state;
        state.openErrno = k.openErrno;
        state.claimErrno = k.claimErrno;
        int made = 0;
        const PortBackend b = choosePortBackend(k.forced, [&](const std::string& device) {
            ++made;
            return std::make_unique<PpdevPort>(std::make_unique<FakePpdevSystem>(state), device);
        });
        ASSERT_TRUE(b.port);
        EXPECT_EQ(b.simulated, k.simulated);
        EXPECT_EQ(dynamic_cast<SimulatedMachine*>(b.port.get()) != nullptr, k.simulated);
        EXPECT_EQ(b.port->description(), b.description);
        if (k.description) {
            EXPECT_EQ(b.description, k.description);
        } else {
            const std::string device = *k.forced ? k.forced : "/dev/parport0";
            EXPECT_EQ(b.description.rfind("Machine simulée (", 0), 0u) << b.description;
            EXPECT_NE(b.description.find(device), std::string::npos) << b.description;
        }
        if (std::string(k.forced) == "sim") {
            EXPECT_TRUE(made == 0 && state.calls.empty()) << "a device was touched";
        }
    }
    ::setenv("TARVEL_PORT", "sim", 1);
    const PortBackend b = choosePortBackendFromEnvironment();
    ::unsetenv("TARVEL_PORT");
    EXPECT_EQ(b.description, "Machine simulée (choisie par TARVEL_PORT=sim)");
}

}  // namespace
}  // namespace tarvel
