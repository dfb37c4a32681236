#pragma once

#include <QString>

namespace palvenor::imaging {

// The size and modification time of each book as this program opened or
// last wrote it. A page operation changes a book in place only while both
// are still the same; otherwise another program changed it meanwhile.

// Notes the book's size and modification time as they are now: when it
// is opened, and after every write of it.
void noteDiskState(const QString& path);

// The book's size or modification time differs from what was noted last;
// false for a book not noted at all.
bool changedSinceNoted(const QString& path);

}  // namespace palvenor::imaging
