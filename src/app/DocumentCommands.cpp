#include "DocumentCommands.h"

#include "SaveCommands.h"
#include "frmSample.h"

namespace palvenor {

void attachDocumentCommands(frmSample& window) {
    window.saveCommand = [&window] { return SaveCommands(window).mnuSave_Click(); };
    window.saveAsCommand = [&window] { return SaveCommands(window).mnuSaveAs_Click(); };
}

}  // namespace palvenor
