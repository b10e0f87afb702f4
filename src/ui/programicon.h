// The program's icon, drawn rather than shipped: a blue tile with a white T, in the
// title bars of the main window and of every working window.
#pragma once

#include <QIcon>

namespace tarvel {

QIcon programIcon();

}  // namespace tarvel
