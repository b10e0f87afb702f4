// The directory and file lists of the file-choosing windows (the drawing window and the
// cutting window): what a directory shows, in the order it shows it.
//
// Hidden entries (a name starting with ".") are not listed. Both lists are sorted by
// name, case ignored. Patterns ("*.FRA", "*.*") match whatever the case of the name:
// the program writes ".fra" in lower case, and drawings made on Windows come as ".DXF"
// or ".dxf" alike.
//
// The directory text always ends with the separator, so that a click in the file list
// makes the full path by appending the name: /pieces/ + boite.fra.
#pragma once

#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace tarvel {

// "*.EXT" (or "*.*") against a file name, case ignored.
bool matchesFilePattern(std::string_view name, std::string_view pattern);

struct FileLists {
    std::string directoryText;             // the listed directory, ending with "/"
    std::vector<std::string> directories;  // ".." (except at the root), then sub-directories
    std::vector<std::string> files;        // the files that match the pattern
};

// Lists `directory` into `lists`; false, with the reason in `error` and `lists` as it
// was, when the directory cannot be read.
bool listDirectory(const std::string& directory, std::string_view pattern, FileLists& lists,
                   std::error_code& error);
// The file list of `directory` only; empty when the directory cannot be read.
std::vector<std::string> listFiles(const std::string& directory, std::string_view pattern);
// Where an entry of the directory list leads: ".." is the parent directory.
std::string directoryEntryPath(const FileLists& lists, std::string_view entry);

}  // namespace tarvel
