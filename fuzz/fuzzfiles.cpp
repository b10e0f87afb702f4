#include "fuzzfiles.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>

namespace tarvel::fuzz {

namespace {
void removeFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(scratchFolder(), ignored);
}
}  // namespace

const std::string& scratchFolder() {
    static const std::string folder = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tarvel-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        return pattern;
    }();
    static const bool cleanup = std::atexit(removeFolder) == 0;
    (void)cleanup;
    return folder;
}

std::string writeInput(std::string_view name, const std::uint8_t* data, std::size_t size) {
    std::string path = scratchFolder() + "/" + std::string(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    // A target that cannot write its input would test nothing.
    if (!out) {
        std::perror(path.c_str());
        std::abort();
    }
    return path;
}

std::string freshPath(std::string_view name) {
    std::string path = scratchFolder() + "/" + std::string(name);
    std::remove(path.c_str());
    return path;
}

const AngleTables& computedAngleTables() {
    static const AngleTables tables = [] {
        AngleTables t;
        t.loaded = true;
        for (int i = 1; i <= AngleTables::kLastEntry; ++i) {
            t.sine[static_cast<std::size_t>(i)] = std::sin(i * std::numbers::pi / 180);
            t.cosine[static_cast<std::size_t>(i)] = std::cos(i * std::numbers::pi / 180);
        }
        return t;
    }();
    return tables;
}

}  // namespace tarvel::fuzz
