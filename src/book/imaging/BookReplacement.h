#pragma once

// The steps around replacing a book by a new file written beside it: the
// new file takes the place of the old by a rename, so a reader sees either
// the whole old book or the whole new one.

#include <QString>

#include <functional>

class QIODevice;
class QSaveFile;

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

// The file a write to target replaces: through a symbolic link the file it
// names, as editors do; else target itself.
QString replacedPath(const QString& target);

// Puts the new file written by save in the place of the file at path: with
// that file's owner, group and mode, by a rename, and with the folder flushed
// after it. False, with the reason, when a step failed.
bool commitReplacement(QSaveFile& save, const QString& path, QString* reason);

// Writes a file, a picture or a text, the way a book is written: write fills
// a new file beside it, which then replaces the file at target as
// commitReplacement does. When write returns false the old file stays as it
// was. False, with the reason, when the file could not be written.
bool replaceFile(const QString& target, const std::function<bool(QIODevice&)>& write, QString* reason);

}  // namespace palvenor::imaging
