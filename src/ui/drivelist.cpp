#include "ui/drivelist.h"

#include <QDir>
#include <QStorageInfo>

#include <algorithm>

namespace tarvel {

QComboBox* newDriveList(QWidget* parent) {
    auto* drives = new QComboBox(parent);
    drives->setObjectName("Drive1");
    QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    std::sort(volumes.begin(), volumes.end(),
              [](const QStorageInfo& a, const QStorageInfo& b) { return a.rootPath() < b.rootPath(); });
    for (const QStorageInfo& v : volumes) {
        if (!v.isValid() || !v.isReady()) continue;
        QString label = QDir::toNativeSeparators(v.rootPath());
        if (!v.name().isEmpty()) label += QStringLiteral("  [%1]").arg(v.name());
        drives->addItem(label, v.rootPath());
    }
    return drives;
}

}  // namespace tarvel
