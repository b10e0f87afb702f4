// The commands of tarvel-cli. Each returns the exit status: 0 done, 1 the operation
// failed (its French message on standard error), 2 the command line was not understood.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace tarvel::cli {

inline constexpr int kDone = 0;
inline constexpr int kFailed = 1;
inline constexpr int kUsageError = 2;

using Args = std::vector<std::string_view>;

// The usage text on standard output; kDone.
int printUsage();
int usageError(const std::string& what);
int fail(const std::string& message);
// Text on one line, NUL bytes included, on `to`; a closed output is passed over quietly.
void printLine(std::FILE* to, const std::string& text);

int runObject(const Args& args);
int runGenerate(const Args& args);
int runPack(const Args& args);
int runPlay(const Args& args);

// Options of the form "--name VALUE"; repeated names keep every value in order.
struct Options {
    std::vector<std::pair<std::string, std::string>> values;
    std::vector<std::string> flags;
    std::vector<std::string> positional;

    bool has(std::string_view flag) const;
    const std::string* last(std::string_view name) const;
    std::vector<std::string> all(std::string_view name) const;
};
// Splits args by the names given; false (after a usage message) on an unknown option or
// a missing value, and false with status kDone after printing the usage for --help.
bool parseOptions(const Args& args, const std::vector<std::string>& valued,
                  const std::vector<std::string>& flags, Options& out, int& status);

}  // namespace tarvel::cli
