// form5, "Manettes virtuelles": the arrows that move each axis by hand, homing
// ("A la niche") and its stop, over the logic in manual/.
//
// The window keeps its ManualForm up to date as the user types, clicks and slides, so
// that a running move reads the slider and the coefficient as they stand before each of
// its delays. Moves run inside the click's handler and yield to the window system; a
// command clicked meanwhile runs inside them. That is why the window never closes: its
// close box and "quitter" hide it, and it lives until the program ends.
//
// Object names: the arrows Command10 (X →), Command11 (X ←), Command6 (Y ↗), Command7
// (Y ↙), Command8 (Z ↑), Command9 (Z ↓); Command1 "A la niche", arreter "Arrêter",
// Command5 "quitter"; mmADeplacer and its presets distance1 ... distance100;
// reglageVitesse (slider) and vitesse (100 − slider); pasX, pasY, pasZ,
// coefficientVitesse; inversionX, inversionY, inversionZ; sensX, sensY, sensZ (which way
// each arrow moves its axis) and avertissementFleches (arrows against their glyphs);
// etatNiche (how the last homing ended); position (the commanded position, refreshed
// during a motion and after it).
#pragma once

#include <QTimer>
#include <QWidget>

#include <functional>

#include "manual/manualform.h"
#include "manual/manualmotion.h"
#include "port/stepdelay.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace tarvel {

struct AppContext;

class ManualWindow final : public QWidget {
    Q_OBJECT

public:
    // Reads the configuration and tarvelman.cfg (Veuillez configurer ... when the
    // configuration is missing).
    explicit ManualWindow(AppContext& app, QWidget* parent = nullptr);

    const ManualForm& form() const { return form_; }

protected:
    // Closing by the frame hides the window and saves nothing.
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildMovesGroup();
    QWidget* buildSpeedGroup();
    QWidget* buildMachineGroup();
    QWidget* buildInversionGroup();
    QPushButton* arrowButton(const char* name, const QString& glyph, const QString& tip, JogArrow arrow);
    QLineEdit* decimalField(const char* name, std::string ManualForm::*field);
    void showForm();
    void showArrowSenses();
    void showPosition();
    void runMotion(const std::function<MotionEnd(ManualMachine&)>& motion);
    void quitter();
    void hideWindow();

    AppContext& app_;
    ManualForm form_;
    BusyWaiter waiter_;
    int running_ = 0;  // motions in progress, nested ones included

    QLineEdit* distance_ = nullptr;
    QSlider* slider_ = nullptr;
    QLabel* speed_ = nullptr;
    QLineEdit* stepsX_ = nullptr;
    QLineEdit* stepsY_ = nullptr;
    QLineEdit* stepsZ_ = nullptr;
    QLineEdit* coefficient_ = nullptr;
    QCheckBox* invertX_ = nullptr;
    QCheckBox* invertY_ = nullptr;
    QCheckBox* invertZ_ = nullptr;
    QPushButton* stop_ = nullptr;
    QLabel* senses_[3] = {};  // X, Y, Z
    QLabel* arrowWarning_ = nullptr;
    QLabel* homingStatus_ = nullptr;
    QLabel* position_ = nullptr;
    QTimer positionTimer_;
    QList<QPushButton*> motionButtons_;
};

}  // namespace tarvel
