#include "MenuEntries.h"

#include "frmSample.h"

#include <QMenu>

namespace palvenor {

QAction* addEntry(frmSample& window, QMenu& menu, const Entry& entry) {
    QAction* action = menu.addAction(QString::fromUtf8(entry.caption));
    action->setObjectName(QString::fromUtf8(entry.name));
    QObject::connect(action, &QAction::triggered, &window, [&window, run = entry.run] { run(window); });
    window.controls().add(action);
    return action;
}

}  // namespace palvenor
