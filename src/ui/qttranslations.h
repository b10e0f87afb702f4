// Qt's own texts in French: the file dialog's columns and places, the text fields'
// context menu, the standard buttons. They come from Qt's French catalogue
// (qtbase_fr.qm, Debian package qt6-translations-l10n), looked up where Qt itself keeps
// its translations, so an installed program finds it as the built one does.
#pragma once

class QCoreApplication;

namespace tarvel {

// Installs the catalogue on the application, once. False when it is not installed: Qt's
// texts then stay in English and the program works on.
bool installQtFrench(QCoreApplication& app);

}  // namespace tarvel
