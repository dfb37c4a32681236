#pragma once

#include <functional>

class QAction;
class QMenu;

namespace palvenor {

class frmSample;

// A menu entry of a document window: its object name, caption and command.
struct Entry {
    const char* name;
    const char* caption;
    std::function<void(frmSample&)> run;
};

// Adds the entry to menu and to the window's named controls.
QAction* addEntry(frmSample& window, QMenu& menu, const Entry& entry);

}  // namespace palvenor
