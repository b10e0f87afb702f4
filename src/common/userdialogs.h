// The one seam between the program's logic and the person at the screen.
// The logic never includes a window-system header: it asks through this interface,
// which the windows implement with real message boxes and the tests with a script.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarvel {

enum class Icon { Error, Exclamation, Question, Information };

struct Message {
    std::string text;
    std::string title;
    Icon icon = Icon::Error;
};

// Every message box offers the program's help page at this context.
inline constexpr int kHelpContext = 1000;

struct FileChoice {
    std::string title;
    std::string directory;  // where the dialog opens; empty: the current directory
    std::string filter;     // for example "Fichiers FRA (*.fra)"
};

class UserDialogs {
public:
    virtual ~UserDialogs() = default;
    virtual void tell(const Message& m) = 0;                          // one OK button
    virtual bool confirm(const Message& m, bool defaultYes) = 0;      // Yes / No
    virtual std::optional<std::string> ask(const Message& m,          // input box; nullopt: cancelled
                                           std::string_view offered) = 0;
    virtual void setBusy(bool busy) = 0;                              // the busy mouse pointer
    virtual std::optional<std::string> chooseOpenFile(const FileChoice& c) = 0;
    virtual std::optional<std::string> chooseSaveFile(const FileChoice& c) = 0;
};

// A command stopped by a failure none of its checks foresaw (memory exhausted, most
// often by a file far larger than any the program makes): the program carries on.
inline Message commandInterrupted(bool outOfMemory) {
    return {outOfMemory ? "La commande a été interrompue : la mémoire ne suffit pas (fichier trop grand ?)."
                        : "La commande a été interrompue par une erreur inattendue.",
            "Erreur", Icon::Error};
}

}  // namespace tarvel
