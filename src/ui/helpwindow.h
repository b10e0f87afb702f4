// The program's help page, aide.html from the program's directory, in one window for
// the whole program. Every message box offers it ("Aide" or F1) at its help context.
#pragma once

#include <QString>
#include <QTextBrowser>

namespace tarvel {

inline constexpr const char* kHelpPageName = "aide.html";

class HelpWindow final : public QTextBrowser {
public:
    // `pageFile` is the full path of aide.html.
    explicit HelpWindow(QString pageFile, QWidget* parent = nullptr);

    // Shows the page at the anchor "c<context>" (the page starts with "c1000") and
    // brings the window to the front. When a modal box is open the help window is made
    // modal above it, otherwise the box would keep it from being scrolled or closed.
    void showContext(int context);

private:
    void keepOnScreen();

    QString pageFile_;
};

}  // namespace tarvel
