// What the fuzz targets share. The readers take a path, so every input is written to a
// file in a folder of this process, made once under $TMPDIR and removed at exit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "drawing/angletables.h"

namespace tarvel::fuzz {

// The process's folder (no trailing "/").
const std::string& scratchFolder();

// Replaces `name` in the folder with the bytes and returns its path.
std::string writeInput(std::string_view name, const std::uint8_t* data, std::size_t size);

// The path of `name` in the folder, with no file left under it.
std::string freshPath(std::string_view name);

// Sine and cosine tables computed, as the data files would give them: the DXF targets
// fuzz the drawing, not the tables.
const AngleTables& computedAngleTables();

}  // namespace tarvel::fuzz
