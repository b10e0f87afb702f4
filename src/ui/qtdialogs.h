// The window system's side of UserDialogs: Qt message boxes, input boxes, file dialogs
// and the busy pointer, with the exact French texts the logic hands over.
//
// Every message box carries an "Aide" button (and answers F1) that opens the help page
// at the box's help context while the box stays open.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/userdialogs.h"

class QWidget;

namespace tarvel {

class HelpWindow;

class QtDialogs final : public UserDialogs {
public:
    // `programDir` is where aide.html is looked for; empty: the running program's directory.
    explicit QtDialogs(std::string programDir = {});
    ~QtDialogs() override;
    QtDialogs(const QtDialogs&) = delete;
    QtDialogs& operator=(const QtDialogs&) = delete;

    void tell(const Message& m) override;
    bool confirm(const Message& m, bool defaultYes) override;
    std::optional<std::string> ask(const Message& m, std::string_view offered) override;
    void setBusy(bool busy) override;
    std::optional<std::string> chooseOpenFile(const FileChoice& c) override;
    std::optional<std::string> chooseSaveFile(const FileChoice& c) override;

    // Opens (or brings back) the help window at `context`.
    void showHelp(int context = kHelpContext);
    // Adds F1 for the help page to a dialog of ours.
    void offerHelpKey(QWidget& dialog);

private:
    std::optional<std::string> chooseFile(const FileChoice& c, bool forSaving);

    std::string programDir_;
    std::unique_ptr<HelpWindow> help_;
    bool busy_ = false;
};

}  // namespace tarvel
