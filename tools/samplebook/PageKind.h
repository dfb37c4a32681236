#pragma once

#include <QString>

#include <optional>

// How a page image is stored in the book: the four kinds of scans we meet.
enum class PageKind {
    Bw,      // 1 bit, CCITT G4, min-is-white
    Grey,    // 8 bit grey, LZW
    Palette, // 8 bit with colour map, LZW
    Rgb,     // 24 bit colour, LZW
};

std::optional<PageKind> pageKindFromName(const QString& name);
QString pageKindName(PageKind kind);
