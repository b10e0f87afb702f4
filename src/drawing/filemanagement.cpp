#include "drawing/filemanagement.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

#include "common/files.h"
#include "common/paths.h"
#include "drawing/drawingmessages.h"

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

// Lists a directory; false, with the reason in `ec`, when it cannot be read.
bool listDirectory(const std::string& directory, std::string_view pattern,
                   std::vector<std::string>* directories, std::vector<std::string>* files,
                   std::error_code& ec) {
    fs::directory_iterator it(directory, ec);
    if (ec) return false;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) return false;
        const std::string name = it->path().filename().string();
        if (hidden(name)) continue;
        std::error_code typeError;
        if (it->is_directory(typeError)) {
            if (directories != nullptr) directories->push_back(name);
        } else if (files != nullptr && matchesFilePattern(name, pattern)) {
            files->push_back(name);
        }
    }
    if (directories != nullptr) std::sort(directories->begin(), directories->end(), lessIgnoringCase);
    if (files != nullptr) std::sort(files->begin(), files->end(), lessIgnoringCase);
    return true;
}

std::string errorText(const std::error_code& ec) {
    return ec.category() == std::system_category() || ec.category() == std::generic_category()
               ? systemErrorText(ec.value())
               : ec.message();
}

Message refusal(std::string text, const std::string& title) {
    return Message{std::move(text), title, Icon::Error};
}

// rename() replaces an existing target without a word; the old program refused a name in
// use, so ask the kernel not to replace, and check first where the file system cannot.
int renameWithoutReplacing(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    std::error_code ec;
    if (fs::exists(fs::symlink_status(to, ec))) return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

}  // namespace

std::string_view filePattern(FileType type) {
    switch (type) {
        case FileType::Fra: return "*.FRA";
        case FileType::Dxf: return "*.DXF";
        case FileType::Dat: return "*.DAT";
        case FileType::None: break;
    }
    return "*.*";
}

bool matchesFilePattern(std::string_view name, std::string_view pattern) {
    if (pattern == "*.*") return true;
    if (pattern.substr(0, 1) != "*") return equalsIgnoringCase(name, pattern);
    const std::string_view tail = pattern.substr(1);
    return name.size() > tail.size() && equalsIgnoringCase(name.substr(name.size() - tail.size()), tail);
}

void chooseFileTypeOption(DrawingForm& form, FileType type) { form.fileType = type; }

void showFileChoice(DrawingForm& form) {
    form.fileControlsVisible = true;
    form.typeOptionsVisible = true;
}

bool changeDirectory(DrawingForm& form, FileLists& lists, UserDialogs& dialogs,
                     const std::string& directory) {
    std::vector<std::string> directories;
    std::vector<std::string> files;
    std::error_code ec;
    if (!listDirectory(directory, filePattern(form.fileType), &directories, &files, ec)) {
        dialogs.tell(refusal("Impossible de lire le dossier " + directory + " : " + errorText(ec) + ".",
                             "Mauvaise saisie !"));
        return false;
    }
    lists.directoryText = withTrailingSeparator(directory);
    if (lists.directoryText != "/") directories.insert(directories.begin(), "..");
    lists.directories = std::move(directories);
    lists.files = std::move(files);
    form.fileName = lists.directoryText;
    return true;
}

void refreshFileList(const DrawingForm& form, FileLists& lists) {
    lists.files.clear();
    std::error_code ec;
    if (!listDirectory(lists.directoryText, filePattern(form.fileType), nullptr, &lists.files, ec))
        lists.files.clear();
}

std::string directoryEntryPath(const FileLists& lists, std::string_view entry) {
    if (entry != "..") return lists.directoryText + std::string(entry);
    fs::path here(lists.directoryText);
    fs::path parent = here.parent_path().parent_path();  // "/a/b/" -> "/a/b" -> "/a"
    return parent.empty() ? std::string("/") : parent.string();
}

void fileClicked(DrawingForm& form, const FileLists& lists, std::string_view name) {
    form.fileName = lists.directoryText + std::string(name);
}

bool effacer(const DrawingForm& form, UserDialogs& dialogs) {
    const std::string& path = form.fileName;
    if (path.empty() || path.back() == '/') {
        dialogs.tell(drawingmessages::kNothingToDelete);
        return false;
    }
    // No is the default button: Enter alone must not delete a file.
    if (!dialogs.confirm(drawingmessages::kConfirmDelete, false)) return false;
    // unlink, not remove(): a directory named without its final "/" must not go.
    if (::unlink(path.c_str()) != 0) {
        dialogs.tell(refusal("Impossible de supprimer le fichier " + path + " : " +
                                 systemErrorText(errno) + ".",
                             drawingmessages::kConfirmDelete.title));
        return false;
    }
    return true;
}

bool renommer(const DrawingForm& form, UserDialogs& dialogs) {
    const std::string& path = form.fileName;
    if (!path.empty() && path.back() == '/') {
        dialogs.tell(drawingmessages::kNothingToRename);
        return false;
    }
    std::optional<std::string> typed = dialogs.ask(drawingmessages::kAskNewName, path);
    if (!typed) return false;
    if (!dialogs.confirm(drawingmessages::kConfirmRename, false)) return false;

    const std::string& title = drawingmessages::kConfirmRename.title;
    if (typed->empty()) {
        dialogs.tell(refusal("Impossible de renommer le fichier " + path + " : le nouveau nom est vide.",
                             title));
        return false;
    }
    fs::path target(*typed);
    if (target.is_relative()) target = fs::path(path).parent_path() / target;
    const std::string to = target.string();
    if (to == path) return true;
    if (int error = renameWithoutReplacing(path, to); error != 0) {
        dialogs.tell(refusal("Impossible de renommer le fichier " + path + " en " + to + " : " +
                                 systemErrorText(error) + ".",
                             title));
        return false;
    }
    return true;
}

bool revenirAccueil(const DrawingForm& form, UserDialogs& dialogs) {
    if (form.object.x.size() != form.object.y.size()) {
        dialogs.tell(drawingmessages::kHomeListLengths);
        return false;
    }
    return true;
}

}  // namespace tarvel
