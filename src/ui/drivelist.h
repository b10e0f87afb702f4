// The "Drive1" list of the file-choosing windows: the mounted volumes, by mount point.
#pragma once

#include <QComboBox>

namespace tarvel {

// Each item shows the mount point (and the volume's name when it has one) and holds the
// mount point as its data.
QComboBox* newDriveList(QWidget* parent);

}  // namespace tarvel
