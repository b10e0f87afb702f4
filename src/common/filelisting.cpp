#include "common/filelisting.h"

#include <algorithm>
#include <filesystem>

#include "common/paths.h"

namespace tarvel {

namespace fs = std::filesystem;

namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

bool lessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return lowerAscii(x) < lowerAscii(y); });
}

bool hidden(const std::string& name) { return !name.empty() && name.front() == '.'; }

bool readDirectory(const std::string& directory, std::string_view pattern, std::vector<std::string>* directories,
                   std::vector<std::string>& files, std::error_code& ec) {
    fs::directory_iterator it(directory, ec);
    if (ec) return false;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) return false;
        const std::string name = it->path().filename().string();
        if (hidden(name)) continue;
        std::error_code typeError;
        if (it->is_directory(typeError)) {
            if (directories != nullptr) directories->push_back(name);
        } else if (matchesFilePattern(name, pattern)) {
            files.push_back(name);
        }
    }
    if (directories != nullptr) std::sort(directories->begin(), directories->end(), lessIgnoringCase);
    std::sort(files.begin(), files.end(), lessIgnoringCase);
    return true;
}

}  // namespace

bool matchesFilePattern(std::string_view name, std::string_view pattern) {
    if (pattern == "*.*") return true;
    if (pattern.substr(0, 1) != "*") return equalsIgnoringCase(name, pattern);
    const std::string_view tail = pattern.substr(1);
    return name.size() > tail.size() && equalsIgnoringCase(name.substr(name.size() - tail.size()), tail);
}

bool listDirectory(const std::string& directory, std::string_view pattern, FileLists& lists,
                   std::error_code& error) {
    FileLists read;
    if (!readDirectory(directory, pattern, &read.directories, read.files, error)) return false;
    read.directoryText = withTrailingSeparator(directory);
    if (read.directoryText != "/") read.directories.insert(read.directories.begin(), "..");
    lists = std::move(read);
    return true;
}

std::vector<std::string> listFiles(const std::string& directory, std::string_view pattern) {
    std::vector<std::string> files;
    std::error_code ec;
    if (!readDirectory(directory, pattern, nullptr, files, ec)) files.clear();
    return files;
}

std::string directoryEntryPath(const FileLists& lists, std::string_view entry) {
    if (entry != "..") return lists.directoryText + std::string(entry);
    fs::path here(lists.directoryText);
    fs::path parent = here.parent_path().parent_path();  // "/a/b/" -> "/a/b" -> "/a"
    return parent.empty() ? std::string("/") : parent.string();
}

}  // namespace tarvel
