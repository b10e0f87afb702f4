#include "ui/qttranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace tarvel {

bool installQtFrench(QCoreApplication& app) {
    if (app.findChild<QTranslator*>("qtFrancais")) return true;
    auto* translator = new QTranslator(&app);
    translator->setObjectName("qtFrancais");
    if (!translator->load("qtbase_fr", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace tarvel
