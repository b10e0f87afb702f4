// Form2, "Info": the program's name and purpose, and a link to the help page. The
// window frame closes it.
#pragma once

#include <QWidget>

#include <functional>

namespace tarvel {

class AboutWindow final : public QWidget {
    Q_OBJECT

public:
    // `openHelp` opens the help page; without it the link is left out.
    explicit AboutWindow(std::function<void()> openHelp = {}, QWidget* parent = nullptr);
};

}  // namespace tarvel
