// A UserDialogs that answers from a script and remembers what it was asked, so that
// every command can be tested without a window system.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/userdialogs.h"

namespace tarvel::testing {

class ScriptedDialogs : public UserDialogs {
public:
    std::vector<Message> told;       // every message box, in order
    std::vector<Message> asked;      // every question and input box, in order
    std::deque<bool> confirmAnswers;  // answers to confirm(); default: the default button
    std::deque<std::optional<std::string>> askAnswers;   // default: cancelled
    std::deque<std::optional<std::string>> openAnswers;  // default: cancelled
    std::deque<std::optional<std::string>> saveAnswers;  // default: cancelled
    std::vector<bool> busyChanges;
    std::function<void(const Message&)> onTell;  // runs inside tell(), e.g. to press buttons

    void tell(const Message& m) override {
        told.push_back(m);
        if (onTell) onTell(m);
    }
    bool confirm(const Message& m, bool defaultYes) override {
        asked.push_back(m);
        if (confirmAnswers.empty()) return defaultYes;
        bool a = confirmAnswers.front();
        confirmAnswers.pop_front();
        return a;
    }
    std::optional<std::string> ask(const Message& m, std::string_view) override {
        asked.push_back(m);
        return pop(askAnswers);
    }
    void setBusy(bool busy) override { busyChanges.push_back(busy); }
    std::optional<std::string> chooseOpenFile(const FileChoice&) override { return pop(openAnswers); }
    std::optional<std::string> chooseSaveFile(const FileChoice&) override { return pop(saveAnswers); }

    std::vector<std::string> toldTexts() const {
        std::vector<std::string> texts;
        for (const auto& m : told) texts.push_back(m.text);
        return texts;
    }

private:
    static std::optional<std::string> pop(std::deque<std::optional<std::string>>& q) {
        if (q.empty()) return std::nullopt;
        auto a = q.front();
        q.pop_front();
        return a;
    }
};

}  // namespace tarvel::testing
