#pragma once

#include <QString>

namespace palvenor {

// The program's own temporary folder: made on first use, private to this
// run of the program (no other user can read it) and removed when the
// program ends. Empty when it cannot be made.
QString programTempFolder();

// The bitmap the clipboard and blank page commands hand to the page
// operations, in the program's temporary folder.
QString tempPictureFile();

}  // namespace palvenor
