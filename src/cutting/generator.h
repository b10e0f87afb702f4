// "Créer fichier fraisage (DEF)": an object file (.fra) becomes a cutting job, a
// details file (.det) and a cutting file (.def) under the job name.
//
// All the cut's geometry happens here, in four stages, each reading the whole output
// of the previous one from a scratch file and writing the next:
//
//   object file --scaling--> prem --segmenting--> objet --interpolating--> bit1..bit8
//               --combining--> job.def
//
//   prem    one record per object point: X, Y, Z and spare in motor steps, up to 15
//           significant digits, "." as decimal separator ("20,0,40,0")
//   objet   one record per segment: DIR and step count of X, Y, Z and spare
//           ("1,20,0,0,1,40,0,0"); each segment is rounded on its own, halves to even,
//           or, with "Arrondi sans dérive", runs between the steps nearest its two
//           ends, so that every closed contour closes and the job ends at the origin
//   bit1..8 one record per tick: X DIR, X CLOCK, Y DIR, Y CLOCK, Z DIR, Z CLOCK, spare
//           DIR, spare CLOCK; DIR bits bare (0), CLOCK bits quoted ("1")
//
// A segment of N ticks (N = its largest count) spreads the n steps of an axis by the
// pulse rule: I = N / n to 15 significant digits, a running double sum s += I, and
// the axis steps at ticks floor(I), floor(2I), ... (10 ticks, 3 steps: 3, 6, 9).
//
// Each stage streams: whatever the length of the job, at most a couple of records are
// held at a time, besides fixed-size file buffers.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "common/paths.h"
#include "common/userdialogs.h"
#include "cutting/cuttingform.h"

namespace tarvel {

// The scratch files, in a folder of the run's own inside the scratch folder, removed
// with it when the generation ends.
inline constexpr std::array<std::string_view, 10> kGeneratorScratchFiles{
    "prem", "objet", "bit1", "bit2", "bit3", "bit4", "bit5", "bit6", "bit7", "bit8"};

enum class GenerationStage { Scaling, Segmenting, Interpolating, Combining };

struct GenerationProgress {
    GenerationStage stage;
    std::uint64_t done;   // records (scaling, segmenting) or ticks (interpolating, combining)
    std::uint64_t total;  // ticks of the job from interpolating on; 0 while unknown
};
// Called as each stage after the first begins and now and then during a long one (the window shows it
// and lets pending events through). Its answer is whether to go on: false cancels the
// generation, which then removes everything it wrote.
using GenerationProgressFn = std::function<bool(const GenerationProgress&)>;

// The window's command: the job name is the cutting-file field. The eight checks come
// first (the first that fails shows its message and nothing is written); the job name
// is claimed as the last of them is made, so that a generation of the same name already
// under way refuses it as a name in use; then a field the details file cannot hold is
// refused. job.det and job.def are written under pending names and put in place together
// once both are complete; the cutting-file field becomes job.def and "Fichier découpe
// créé avec succés" is told. A job longer than 2 000 000 000 ticks (kMostTicks), or whose
// files would not fit on the disk, is refused once its segments are counted. False when
// it stopped at a message other than that one; a failure or a cancel midway leaves no
// file and says why.
bool generateCutProgram(CuttingForm& form, UserDialogs& dialogs, const Paths& paths,
                        const GenerationProgressFn& progress = {});

// The same generation under a job name chosen in a save dialog ("Enregistrer un
// fichier"): the checks of a file extension and of equal names are not made, and only
// an existing details file refuses the name; an existing cutting file is replaced.
bool generateCutProgramAs(CuttingForm& form, const std::string& jobName, UserDialogs& dialogs,
                          const Paths& paths, const GenerationProgressFn& progress = {});

}  // namespace tarvel
