#pragma once

#include <QString>

#include <functional>

namespace palvenor {

class IniFile;
class frmSample;

// What taking over a request needs of the frame.
struct TakeoverHooks {
    QString& Kommandozeile;                            // the frame's pending request
    std::function<void()> runOpenCommand;              // the frame's Open command
    std::function<void(frmSample&, bool)> setTopmost;  // keep the window in front, or release it
};

// Run each time a document window is painted: takes a request that a second
// program start left in the INI file. A request for the book this window
// shows moves to its page; any other opens in a new window.
void takeOverRequest(frmSample& window, IniFile& ini, const TakeoverHooks& hooks);

}  // namespace palvenor
