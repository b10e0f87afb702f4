// The stages of a generation, drawn in generator.h, shared by the generator's own files
// only: each reads the whole output of the previous one from a scratch file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/paths.h"
#include "common/userdialogs.h"
#include "cutting/generator.h"
#include "cutting/stepchannel.h"

namespace tarvel {

// What a generation takes from the cutting window's fields, as numbers.
struct GeneratorSettings {
    std::string objectFile;
    double scale = 0, descent = 0;
    double stepsX = 0, stepsY = 0, stepsZ = 0;
    ChannelWeights weights;
    AxisInversion invert;
    bool noDrift = false;  // "Arrondi sans dérive": counts between rounded positions
};

// A stage that cannot go on: the message to tell, nullopt when the stage went well.
using StageFailure = std::optional<Message>;

// Progress is reported about once per this many ticks.
inline constexpr std::uint64_t kProgressEvery = 1u << 20;

struct GenerationRun {
    const GeneratorSettings& settings;
    const Paths& paths;
    const GenerationProgressFn& progress;
    std::uint64_t totalTicks = 0;  // known once the object is segmented

    // False when the generation is to stop.
    bool report(GenerationStage stage, std::uint64_t done, std::uint64_t total) const {
        return !progress || progress({stage, done, total});
    }
};

// objectsteps.cpp: the object file in motor steps (prem), then per segment (objet).
StageFailure scaleObject(GenerationRun& run);
StageFailure segmentObject(GenerationRun& run);
// segmentbits.cpp: every tick of every segment, one file per port line (bit1..bit8).
StageFailure writeSegmentBits(GenerationRun& run);
// combinebits.cpp: the eight bit files summed by their weights into the cutting file.
StageFailure combineBits(GenerationRun& run, const std::string& cuttingFile);

}  // namespace tarvel
