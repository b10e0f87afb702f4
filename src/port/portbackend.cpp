// The choice of the port that drives the machine; the rules are in portbackend.h.
#include "port/portbackend.h"

#include <cerrno>
#include <cstdlib>

#include "port/portmessages.h"
#include "port/simulatedmachine.h"

namespace tarvel {

namespace {

PortBackend simulated(const std::string& description) {
    auto machine = std::make_unique<SimulatedMachine>(SimulatedMachineSettings::fromEnvironment());
    machine->setDescription(description);
    return {std::move(machine), description, true, {}};
}

// No parport driver or no such device: nothing to tell but that there is no port.
bool noPortThere(int errnoValue) {
    return errnoValue == ENOENT || errnoValue == ENODEV || errnoValue == ENXIO;
}

}  // namespace

PortBackend choosePortBackend(const std::string& forced, const PpdevPortFactory& makePort) {
    if (forced == "sim") return simulated(portmessages::kSimulatedForced);

    std::unique_ptr<PpdevPort> port = makePort(forced);
    if (port && port->open(kPort1Address)) {
        std::string description = port->description();
        return {std::move(port), std::move(description), false, {}};
    }
    if (!port) return simulated(portmessages::kSimulatedNoPort);
    // A device named in TARVEL_PORT was asked for: always say why it is not used.
    if (forced.empty() && noPortThere(port->errorNumber())) return simulated(portmessages::kSimulatedNoPort);
    PortBackend fallback = simulated(portmessages::simulatedBecause(port->error()));
    fallback.portFailure = port->error();
    return fallback;
}

PortBackend choosePortBackend(const std::string& forced) {
    return choosePortBackend(forced, [](const std::string& device) -> std::unique_ptr<PpdevPort> {
        auto system = makeLinuxPpdevSystem();
        if (!system) return nullptr;
        return std::make_unique<PpdevPort>(std::move(system), device);
    });
}

PortBackend choosePortBackendFromEnvironment() {
    const char* value = std::getenv("TARVEL_PORT");
    return choosePortBackend(value ? std::string(value) : std::string());
}

}  // namespace tarvel
