// Which port drives the machine: TARVEL_PORT=sim forces the simulated machine,
// TARVEL_PORT=/dev/parportN forces that ppdev device; otherwise the ppdev device of
// port 1 is used when it opens, and the simulated machine when none does.
#pragma once

#include <memory>
#include <string>

#include "port/parallelport.h"

namespace tarvel {

struct PortBackend {
    std::unique_ptr<ParallelPort> port;
    std::string description;  // French, e.g. "Machine simulée (aucun port parallèle disponible)"
    bool simulated = false;
};

// `forced` is the value of TARVEL_PORT (empty when unset).
PortBackend choosePortBackend(const std::string& forced);
// Reads TARVEL_PORT from the environment.
PortBackend choosePortBackendFromEnvironment();

}  // namespace tarvel
