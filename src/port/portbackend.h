// Which port drives the machine: TARVEL_PORT=sim forces the simulated machine,
// TARVEL_PORT=/dev/parportN forces that ppdev device; otherwise the ppdev device of
// port 1 is used when it opens, and the simulated machine when none does. A device
// that was asked for but cannot be used also gives the simulated machine, and the
// description says which device failed and why, and so does portFailure.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "port/parallelport.h"
#include "port/ppdevport.h"

namespace tarvel {

struct PortBackend {
    std::unique_ptr<ParallelPort> port;
    std::string description;  // French, e.g. "Machine simulée (aucun port parallèle disponible)"
    bool simulated = false;
    // Why a parallel port that is there, or was named, could not be used; empty when none
    // failed (a machine with no port at all says nothing). Told once at start.
    std::string portFailure;
};

// Makes the ppdev port for `forcedDevice`, or for the ports the system lists when it is
// empty. The choice tries it on port 1; tests put their own system calls behind it.
using PpdevPortFactory = std::function<std::unique_ptr<PpdevPort>(const std::string& forcedDevice)>;

// `forced` is the value of TARVEL_PORT (empty when unset).
PortBackend choosePortBackend(const std::string& forced);
PortBackend choosePortBackend(const std::string& forced, const PpdevPortFactory& makePort);
// Reads TARVEL_PORT from the environment.
PortBackend choosePortBackendFromEnvironment();

}  // namespace tarvel
