// What an import did to the object, so that the drawing window knows what to reset and
// what to tell.
#pragma once

#include <optional>

#include "common/userdialogs.h"

namespace tarvel {

enum class ImportStatus {
    Imported,  // the object holds the drawing or the profile
    Refused,   // stopped by a check before anything changed
    Failed,    // stopped after the object was emptied
};

struct ImportResult {
    ImportStatus status = ImportStatus::Imported;
    // Why the import stopped; after an import, a notice for the user, if any.
    std::optional<Message> message;
};

}  // namespace tarvel
