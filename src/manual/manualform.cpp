#include "manual/manualform.h"

#include "common/files.h"
#include "config/machineconfig.h"
#include "manual/manualmessages.h"

namespace tarvel {

void openManualWindow(ManualForm& form, UserDialogs& dialogs, const Paths& paths) {
    const std::optional<MachineConfig> config =
        fileExists(paths.configFile()) ? loadMachineConfig(paths.configFile()) : std::nullopt;
    if (!config) {
        dialogs.tell(config_messages::kMissingForManual);
        return;
    }
    form.stepsPerMmX = config->stepsPerMmX;
    form.stepsPerMmY = config->stepsPerMmY;
    form.stepsPerMmZ = config->stepsPerMmZ;
    form.speedCoefficient = config->speedCoefficient;
    form.toolDescentZ = config->toolDescentZ;
    form.port = portAddressFor(config->portNumber);
    static_cast<PinWeights&>(form) = *config;
    form.invertX = config->invertX;
    form.invertY = config->invertY;
    form.invertZ = config->invertZ;

    const std::string settings = paths.jogSettingsFile();
    if (const auto failure = createJogSettingsIfMissing(settings)) {
        dialogs.tell(manual_messages::jogSettingsNotCreated(failure->text));
        return;
    }
    form.arrows = loadJogSettings(settings);
}

bool saveArrowSettings(const ManualForm& form, UserDialogs& dialogs, const Paths& paths) {
    if (const auto failure = saveJogSettings(form.arrows, paths.jogSettingsFile())) {
        dialogs.tell(manual_messages::jogSettingsNotSaved(failure->text));
        return false;
    }
    return true;
}

}  // namespace tarvel
