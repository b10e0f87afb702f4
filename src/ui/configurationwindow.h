// The configuration window `configuration`, "Configuration de l'environnement ": the
// widgets over ConfigurationForm (config/configurationwindow.h).
//
// Object names, for tests and readers:
//   fields       stepsPerMmX, stepsPerMmY, stepsPerMmZ, speedCoefficient, cuttingFeed,
//                rapidFeed, toolDescentZ, portNumber, toolChangeClearance,
//                xDirPin, xClockPin, yDirPin, yClockPin, zDirPin, zClockPin,
//                spareDirPin, spareClockPin            (QLineEdit, as in MachineConfig)
//   boxes        invertX, invertY, invertZ             ("Inverser le sens")
//   order        versionClockDir, versionDirClock      (QRadioButton)
//   groups       parametresMachine, parametresPort, connexions
//   legend       connecteur, with one child per pin: pin1 ... pin25 (tooltip = its hint)
//   note         avertissement
//   command      sauvegarder ("Sauvegarder la configuration et fermer la page ")
// The weights are held in form() and not shown.
#pragma once

#include <utility>
#include <vector>

#include <QWidget>

#include "config/configurationwindow.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace tarvel {

struct AppContext;

class ConfigurationWindow final : public QWidget {
    Q_OBJECT

public:
    // Reads tarvel1.cfg from the program directory as it opens.
    explicit ConfigurationWindow(AppContext& app, QWidget* parent = nullptr);

    const ConfigurationForm& form() const { return form_; }

    // The saving command, as its button runs it.
    void saveAndClose();

private:
    QLineEdit* addField(std::string MachineConfig::* field, int width);
    QLineEdit* addPinField(StepChannel signal);
    void showFields();
    void readFields();
    void closeWindow();

    AppContext& app_;
    ConfigurationForm form_;
    std::vector<std::pair<QLineEdit*, std::string MachineConfig::*>> fields_;
    std::vector<std::pair<QCheckBox*, bool MachineConfig::*>> boxes_;
    QRadioButton* clockDir_ = nullptr;
    QRadioButton* dirClock_ = nullptr;
};

// The 25-pin connector seen from the plug's pin side, each pin carrying its hint.
class ConnectorLegend final : public QWidget {
public:
    explicit ConnectorLegend(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placePins();
    std::vector<QWidget*> pins_;  // pin n at index n - 1
};

}  // namespace tarvel
