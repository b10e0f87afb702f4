// decencours, "Découpe en cours": the user's only hold on a running cut.
//
// The five buttons never act by themselves: each sets its flag in the application's
// CutControl, and the cut tests the flags between ticks. The slider holds 100 minus the
// feed in force; a move by the user goes through CutControl::setSlider (the feed of the
// current state changes), a move by the run only shows CutControl's value.
//
// Object names:
//   arretUrgence   "Arret d'urgence"      pause          "Pause"
//   reprise        "Reprise"              plusProfond    "+ profond"
//   moinsProfond   "- profond"            vitesse        speed slider 0..100, design value 0
//   vitesseLabel   100 - slider (empty at design time)
//   avancementPas  ticks sent out of the total
//   avancement     percent of the ticks sent (progress bar)
//   tempsRestant   estimated time left at the feeds in force
//   position       the commanded position, refreshed with the figures, not per tick
//
// The window exists only during a run: the cutting window opens it when the run shows
// it and closes it when the run ends. Closing its frame meanwhile is refused and counts
// as "Arret d'urgence", so the cut stops at the end of its tick and the window goes away
// the normal way; without that the user would lose the only stop button.
#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>

#include <cstdint>

#include "cutting/cutrun.h"
#include "port/trackedport.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QSlider;

namespace tarvel {

struct CutControl;

inline const QString kCutProgressWindowName = QStringLiteral("decencours");

class CutProgressWindow final : public QWidget {
    Q_OBJECT

public:
    CutProgressWindow(CutControl& control, const TrackedPort& machine, QWidget* parent = nullptr);

    // A run starts: the commands act from now on, and the slider and label show
    // CutControl's. Outside a run they do nothing (a stop set then would end the next
    // run at its first tick).
    void beginRun();
    // The run is over: the commands stop and the window may close.
    void endRun();
    bool runActive() const { return runActive_; }

    // The run moved the slider: show CutControl's slider and label, signals blocked so
    // that the change rule is not applied a second time.
    void showControlSlider();

    // Called for every tick: only stores the figures; refresh() draws them a few times a
    // second while the loop yields.
    void setProgress(const CutProgress& progress);
    void refresh();
    // The run waits for "Reprise": the window says so and "Pause" is off meanwhile.
    void setPaused(bool paused);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void userMovedSlider(int value);
    void showPosition();

    CutControl& control_;
    const TrackedPort& machine_;
    QPushButton* stop_;
    QPushButton* pause_;
    QPushButton* resume_;
    QPushButton* deeper_;
    QPushButton* shallower_;
    QSlider* slider_;
    QLabel* speedLabel_;
    QLabel* ticks_;
    QProgressBar* percent_;
    QLabel* timeLeft_;
    QLabel* position_;
    QLabel* pausedNote_;
    QTimer refreshTimer_;
    CutProgress progress_;
    bool dirty_ = false;
    bool runActive_ = false;
};

// Digits grouped by three with non-breaking spaces, as French figures are written.
QString groupedNumber(std::uint64_t value);

}  // namespace tarvel
