// MDIForm1, the main window: the menu bar that opens the working windows and ends the
// program, the MDI area they live in, and a status bar naming the port that drives the
// machine (in red, with the reason, when a real port could not be used). It owns no data of the job; each working window reads what it needs when it
// opens.
#pragma once

#include <QMainWindow>

class QLabel;
class QMdiArea;

namespace tarvel {

struct AppContext;
class WindowRegistry;

class MainWindow final : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(AppContext& app, QWidget* parent = nullptr);
    ~MainWindow() override;

    WindowRegistry& windows() { return *windows_; }
    QMdiArea& area() { return *area_; }

    // Ends the program at once ("Quitter", or closing this window): sets the quitting
    // flag, so that a running motion loop returns after its next yield, hides every
    // window without running its closing logic, and leaves the event loop. The windows
    // are destroyed when main() returns, again without their closing logic.
    void quitProgram();

protected:
    void closeEvent(QCloseEvent* event) override;
    // The first showing tells, once, why a parallel port could not be used.
    void showEvent(QShowEvent* event) override;

private:
    void buildMenus();

    AppContext& app_;
    QMdiArea* area_;
    WindowRegistry* windows_;
    QLabel* portLabel_;
    bool portFailureTold_ = false;
};

}  // namespace tarvel
