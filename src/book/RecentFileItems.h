#pragma once

#include <QList>

class QAction;
class QMenu;

namespace palvenor {

class FrameLink;

// Adds the menu control array mnuRecentFile to a file menu: one item per
// place in the recent files list, named "mnuRecentFile0" onwards and hidden
// until the list fills it. Choosing an item runs the frame's recent file
// command with the item's index.
QList<QAction*> addRecentFileItems(QMenu& menu, FrameLink& frame);

}  // namespace palvenor
