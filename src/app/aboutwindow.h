// Form2, "Info": the program's name and purpose. Static text only; the window frame
// closes it.
#pragma once

#include <QWidget>

namespace tarvel {

class AboutWindow final : public QWidget {
    Q_OBJECT

public:
    explicit AboutWindow(QWidget* parent = nullptr);
};

}  // namespace tarvel
