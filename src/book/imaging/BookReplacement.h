#pragma once

// The steps around replacing a book by a new file written beside it: the
// new file takes the place of the old by a rename, so a reader sees either
// the whole old book or the whole new one.

#include <QString>

namespace palvenor::imaging {

// Removes what a save killed between naming its new file ("book.tif.XXXXXX")
// and renaming it over the book left in the book's folder.
void removeSaveLeftovers(const QString& book);

// True when the book has further hard links, which a rename would part from
// the new book.
bool hasOtherLinks(const QString& book);

// Gives the new file (open as descriptor) the owner, group and mode of the
// book it replaces, as far as this process may; nothing for a new book.
void takeOverOwnership(int descriptor, const QString& book);

// Makes the rename that put the new book in place survive a power cut.
// False, with the reason, if the folder could not be flushed.
bool syncFolderOf(const QString& book, QString* reason);

}  // namespace palvenor::imaging
