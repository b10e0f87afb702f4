#include "ui/qteventpump.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace tarvel {

void QtEventPump::yield() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace tarvel
