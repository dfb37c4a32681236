#pragma once

#include "TiffStructure.h"

#include <QString>

#include <memory>

namespace palvenor::imaging {

// The size and modification time of each book as this program opened or
// last wrote it. A page operation changes a book in place only while both
// are still the same; otherwise another program changed it meanwhile.
// With them goes the book's chain as this program last wrote it, so that
// the next change need not read every directory again.

// Notes the book's size and modification time as they are now: when it
// is opened, and after every write of it. A chain noted with them stays
// known while they are the same.
void noteDiskState(const QString& path);

// Notes the book as this program has just written it, with its chain.
void noteWrittenChain(const QString& path, tiff::KnownChain chain);

// The book's size or modification time differs from what was noted last;
// false for a book not noted at all.
bool changedSinceNoted(const QString& path);

// The chain noted with the book's size and modification time while they
// are still the same; null otherwise.
std::shared_ptr<const tiff::KnownChain> knownChain(const QString& path);

// Where the directories of the TIFF at path, open as file, lie: as this
// program last wrote it (then known receives that chain, if given), or as
// read from the file.
tiff::LayoutStatus findLayout(const QString& path, const tiff::FileBytes& file, tiff::Layout* layout,
                              std::shared_ptr<const tiff::KnownChain>* known = nullptr);

}  // namespace palvenor::imaging
