#include "drawing/filemanagement.h"

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

std::string errorText(const std::error_code& ec) {
    return ec.category() == std::system_category() || ec.category() == std::generic_category()
               ? systemErrorText(ec.value())
               : ec.message();
}

// rename() replaces an existing target without a word, and "Renommer" refuses a name in
// use: ask the kernel not to replace, and check first where the file system cannot.
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

void chooseFileTypeOption(DrawingForm& form, FileType type) { form.fileType = type; }

void showFileChoice(DrawingForm& form) {
    form.fileControlsVisible = true;
    form.typeOptionsVisible = true;
}

bool changeDirectory(DrawingForm& form, FileLists& lists, UserDialogs& dialogs,
                     const std::string& directory) {
    std::error_code ec;
    if (!listDirectory(directory, filePattern(form.fileType), lists, ec)) {
        dialogs.tell(drawingmessages::directoryUnreadable(directory, errorText(ec)));
        return false;
    }
    form.fileName = lists.directoryText;
    return true;
}

void refreshFileList(const DrawingForm& form, FileLists& lists) {
    lists.files = listFiles(lists.directoryText, filePattern(form.fileType));
}

void fileClicked(DrawingForm& form, const FileLists& lists, std::string_view name) {
    form.fileName = lists.directoryText + std::string(name);
}

bool deleteFile(const DrawingForm& form, UserDialogs& dialogs) {
    const std::string& path = form.fileName;
    if (path.empty() || path.back() == '/') {
        dialogs.tell(drawingmessages::kNothingToDelete);
        return false;
    }
    // No is the default button: Enter alone must not delete a file.
    if (!dialogs.confirm(drawingmessages::kConfirmDelete, false)) return false;
    // unlink, not remove(): a directory named without its final "/" must not go.
    if (::unlink(path.c_str()) != 0) {
        dialogs.tell(drawingmessages::deleteFailed(path, systemErrorText(errno)));
        return false;
    }
    return true;
}

bool renameFile(const DrawingForm& form, UserDialogs& dialogs) {
    const std::string& path = form.fileName;
    if (!path.empty() && path.back() == '/') {
        dialogs.tell(drawingmessages::kNothingToRename);
        return false;
    }
    std::optional<std::string> typed = dialogs.ask(drawingmessages::kAskNewName, path);
    if (!typed) return false;
    if (!dialogs.confirm(drawingmessages::kConfirmRename, false)) return false;

    if (typed->empty()) {
        dialogs.tell(drawingmessages::renameToNothing(path));
        return false;
    }
    fs::path target(*typed);
    if (target.is_relative()) target = fs::path(path).parent_path() / target;
    const std::string to = target.string();
    if (to == path) return true;
    if (int error = renameWithoutReplacing(path, to); error != 0) {
        dialogs.tell(drawingmessages::renameFailed(path, to, systemErrorText(error)));
        return false;
    }
    return true;
}

bool mayReturnToMainWindow(const DrawingForm& form, UserDialogs& dialogs) {
    if (form.object.x.size() != form.object.y.size()) {
        dialogs.tell(drawingmessages::kHomeListLengths);
        return false;
    }
    return true;
}

}  // namespace tarvel
