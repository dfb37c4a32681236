#include "ProgramTemp.h"

#include <QDir>
#include <QTemporaryDir>

namespace palvenor {

QString programTempFolder() {
    static const QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/palvenor-XXXXXX"));
    return folder.isValid() ? folder.path() : QString();
}

QString tempPictureFile() {
    const QString folder = programTempFolder();
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/tempx.bmp");
}

}  // namespace palvenor
