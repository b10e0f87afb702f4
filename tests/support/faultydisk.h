// The real disk, with every call written down and one kind of call made to fail when
// asked: a full or refusing disk without filling one.
#pragma once

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/files.h"

namespace tarvel::testing {

enum class FileStep { Open, Mode, Write, Sync, Rename };

struct FileFault {
    FileStep step = FileStep::Open;
    int error = EIO;
    std::string target;            // only replacements of a path ending so
    std::uint64_t afterBytes = 0;  // Write: what still reaches the file before it fails
};

class FaultyDisk final : public FileCalls {
public:
    std::optional<FileFault> fault;
    std::vector<FileStep> calls;

    int createTemporary(const std::string& target, std::string& temporaryPath) override {
        if (hits(FileStep::Open, target)) return -fault->error;
        const int fd = real().createTemporary(target, temporaryPath);
        if (fd >= 0) open_[fd] = {target, 0};
        return fd;
    }
    int setMode(int fd, unsigned mode) override {
        return hits(FileStep::Mode, open_[fd].first) ? -fault->error : real().setMode(fd, mode);
    }
    // A disk filling up: what still fits reaches the file, then the write fails.
    long write(int fd, const char* data, std::size_t size) override {
        auto& [target, written] = open_[fd];
        if (hits(FileStep::Write, target)) {
            if (written >= fault->afterBytes) return -fault->error;
            size = std::min<std::size_t>(size, fault->afterBytes - written);
        }
        const long n = real().write(fd, data, size);
        if (n > 0) written += static_cast<std::uint64_t>(n);
        return n;
    }
    int sync(int fd) override { return hits(FileStep::Sync, open_[fd].first) ? -fault->error : real().sync(fd); }
    int rename(const std::string& from, const std::string& to) override {
        return hits(FileStep::Rename, to) ? -fault->error : real().rename(from, to);
    }

private:
    static FileCalls& real() { return systemFileCalls(); }
    bool hits(FileStep step, const std::string& target) {
        calls.push_back(step);
        return fault && fault->step == step && target.ends_with(fault->target);
    }
    std::map<int, std::pair<std::string, std::uint64_t>> open_;  // descriptor: target, bytes written
};

}  // namespace tarvel::testing
