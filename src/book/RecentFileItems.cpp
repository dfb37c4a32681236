#include "RecentFileItems.h"

#include "FrameLink.h"

#include <QMenu>

namespace palvenor {

QList<QAction*> addRecentFileItems(QMenu& menu, FrameLink& frame) {
    QList<QAction*> items;
    for (int i = 0; i < kRecentFileCount; ++i) {
        QAction* item = menu.addAction(QString());
        item->setObjectName(QStringLiteral("mnuRecentFile%1").arg(i));
        item->setVisible(false);
        QObject::connect(item, &QAction::triggered, item,
                         [&frame, i] { frame.mnuRecentFile_Click(i); });
        items << item;
    }
    return items;
}

}  // namespace palvenor
