// tarvel-cli generate, pack and play: the cutting window's commands on files.
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>

#include "cli/clidialogs.h"
#include "cli/commands.h"
#include "common/eventpump.h"
#include "common/files.h"
#include "common/paths.h"
#include "cutting/cutcontrol.h"
#include "cutting/cutrun.h"
#include "cutting/cuttingmessages.h"
#include "cutting/cuttingwindow.h"
#include "cutting/generator.h"
#include "port/portmessages.h"
#include "port/simulatedmachine.h"
#include "port/stepdelay.h"

namespace tarvel::cli {

namespace {

// A cutting window as it opens: from the configuration CFG when given, else the one
// beside the program. A missing configuration is said on standard error; the window's
// design values then stay, as in the program.
CuttingForm openWindow(const Options& o, const Paths& paths) {
    const std::string* cfg = o.last("--config");
    CuttingForm form;
    CliDialogs dialogs;
    openCuttingWindowWith(form, dialogs, cfg ? *cfg : paths.configFile(), "");
    for (const auto& m : dialogs.told) printLine(stderr, m.text);
    return form;
}

// Set by SIGINT or SIGTERM during a generation; the generation asks at each progress
// report and stops, removing what it wrote.
volatile std::sig_atomic_t stopRequested = 0;
extern "C" void requestStop(int) { stopRequested = 1; }

// The two signals' handlers for the time of a generation.
class StopSignals {
public:
    StopSignals() {
        struct sigaction sa {};
        sa.sa_handler = requestStop;
        sa.sa_flags = SA_RESTART;  // file reads and writes go on; the generation stops itself
        sigemptyset(&sa.sa_mask);
        ::sigaction(SIGINT, &sa, &oldInt_);
        ::sigaction(SIGTERM, &sa, &oldTerm_);
    }
    ~StopSignals() {
        ::sigaction(SIGINT, &oldInt_, nullptr);
        ::sigaction(SIGTERM, &oldTerm_, nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    struct sigaction oldInt_ {}, oldTerm_ {};
};

}  // namespace

int runGenerate(const Args& args) {
    Options o;
    int status = kDone;
    if (!parseOptions(args,
                      {"--object", "--job", "--config", "--scale", "--descent", "--description",
                       "--cutting-feed", "--rapid-feed", "--steps-x", "--steps-y", "--steps-z"},
                      {"--no-drift"}, o, status))
        return status;
    if (!o.positional.empty()) return usageError("argument inattendu : " + o.positional.front());
    const std::string* object = o.last("--object");
    const std::string* job = o.last("--job");
    if (!object || !job) return usageError("indiquer --object FICHIER et --job NOM");

    Paths paths = Paths::forThisProgram();
    CuttingForm form = openWindow(o, paths);
    form.objectFile = *object;
    form.jobName = *job;
    const std::pair<const char*, std::string CuttingForm::*> fields[] = {
        {"--scale", &CuttingForm::scaleFactor},    {"--descent", &CuttingForm::toolDescent},
        {"--description", &CuttingForm::description}, {"--cutting-feed", &CuttingForm::cuttingFeed},
        {"--rapid-feed", &CuttingForm::rapidFeed}, {"--steps-x", &CuttingForm::stepsPerMmX},
        {"--steps-y", &CuttingForm::stepsPerMmY},  {"--steps-z", &CuttingForm::stepsPerMmZ}};
    for (const auto& [name, field] : fields)
        if (const std::string* v = o.last(name)) form.*field = *v;
    form.noDrift = o.has("--no-drift");

    CliDialogs dialogs;
    const StopSignals signals;
    const auto goOn = [](const GenerationProgress&) { return stopRequested == 0; };
    if (!generateCutProgram(form, dialogs, paths, goOn))
        return fail(dialogs.told.empty() ? "Le fichier de découpe n'a pas été créé." : dialogs.told.back().text);
    printLine(stdout, dialogs.told.back().text);
    return kDone;
}

int runPack(const Args& args) {
    Options o;
    int status = kDone;
    if (!parseOptions(args, {}, {}, o, status)) return status;
    if (o.positional.size() != 1) return usageError("indiquer un seul fichier de découpe");
    CuttingForm form;
    form.jobName = o.positional.front();
    CliDialogs dialogs;
    if (!packJob(form, dialogs))
        return fail(dialogs.told.empty() ? "Le fichier n'a pas été compressé." : dialogs.told.back().text);
    return kDone;
}

int runPlay(const Args& args) {
    Options o;
    int status = kDone;
    if (!parseOptions(args, {"--config", "--trace"}, {"--realtime"}, o, status)) return status;
    if (o.positional.size() != 1) return usageError("indiquer un seul fichier de découpe");

    Paths paths = Paths::forThisProgram();
    CuttingForm form = openWindow(o, paths);
    form.jobName = o.positional.front();

    SimulatedMachine machine(SimulatedMachineSettings::fromEnvironment());
    machine.useWiring(wiringOf(form));
    // Written as every other file of the program: it appears whole or not at all.
    std::optional<TextFileWriter> trace;
    if (const std::string* out = o.last("--trace")) {
        trace.emplace(*out);
        if (!trace->isOpen()) return fail(trace->error());
        machine.addListener([&trace](const MachineMotion& m) {
            trace->writeInteger(m.value);
            trace->writeAscii("\n");
        });
    }

    CliDialogs dialogs;
    CutControl control;
    NoEventPump pump;
    // The estimate the cut-in-progress window shows as the run starts.
    struct FirstEstimate final : CutRunView {
        std::optional<std::uint64_t> microseconds;
        void progress(const CutProgress& p) override {
            if (!microseconds) microseconds = p.microsecondsLeft;
        }
    } view;
    BusyWaiter busy;
    CountingWaiter counting;
    DelayWaiter& waiter = o.has("--realtime") ? static_cast<DelayWaiter&>(busy) : counting;
    CutRunResult result = runCutProgram(form, control, zSenseOf(form), machine, dialogs, pump, waiter, view);
    if (trace && !trace->commit()) return fail(trace->error());

    if (result.end == CutRunEnd::Refused || result.end == CutRunEnd::Declined)
        return fail(result.problem ? result.problem->text
                    : dialogs.told.empty() ? "Découpe refusée." : dialogs.told.back().text);
    std::printf("ticks %llu\nX %lld\nY %lld\nZ %lld\ndelay_us %llu\ntime_left %s\n",
                static_cast<unsigned long long>(result.ticksSent), static_cast<long long>(machine.xSteps()),
                static_cast<long long>(machine.ySteps()), static_cast<long long>(machine.zSteps()),
                static_cast<unsigned long long>(result.delayIterations),
                timeLeftText(view.microseconds.value_or(0)).c_str());
    if (machine.blockedSteps() > 0)
        std::printf("blocked X %llu Y %llu Z %llu\n", static_cast<unsigned long long>(machine.blockedX()),
                    static_cast<unsigned long long>(machine.blockedY()),
                    static_cast<unsigned long long>(machine.blockedZ()));
    // A run stopped by a fault (the file changed under it) is no finished cut, nor one
    // whose steps the machine's stops refused.
    if (result.problem) return fail(result.problem->text);
    if (machine.blockedSteps() > 0) return fail(portmessages::kStepsLostAtStops.text);
    return kDone;
}

}  // namespace tarvel::cli
