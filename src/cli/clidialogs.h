// The command-line companion's answers to the questions the windows would ask: every
// confirmation is Yes, input boxes and file dialogs are cancelled, and every message is
// kept so the command can print it where it belongs.
#pragma once

#include <string>
#include <vector>

#include "common/userdialogs.h"

namespace tarvel::cli {

class CliDialogs final : public UserDialogs {
public:
    std::vector<Message> told;

    void tell(const Message& m) override { told.push_back(m); }
    bool confirm(const Message&, bool) override { return true; }
    std::optional<std::string> ask(const Message&, std::string_view) override { return std::nullopt; }
    void setBusy(bool) override {}
    std::optional<std::string> chooseOpenFile(const FileChoice&) override { return std::nullopt; }
    std::optional<std::string> chooseSaveFile(const FileChoice&) override { return std::nullopt; }
};

// A message on one line: line breaks inside it become spaces.
std::string oneLine(const std::string& text);

}  // namespace tarvel::cli
