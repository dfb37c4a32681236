#pragma once

#include "PageKind.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

struct SampleBookOptions {
    QString tiffPath;
    int pageCount = 0;
    std::uint32_t seed = 1;
    std::vector<PageKind> kinds{PageKind::Bw};
    QString truthPath;
    QString bmpPath;
    QString looseDir;
    std::optional<QSize> pageSize;  // in pixels; the generator's own size if not given
    bool spreads = false;  // a title page, then two facing pages on each image
    bool showHelp = false;

    // Kind of the 1-based page: the kinds list is cycled over the book.
    PageKind kindOfPage(int pageNumber) const
    {
        return kinds[static_cast<std::size_t>(pageNumber - 1) % kinds.size()];
    }
};

// Largest book: TIFF page numbers are stored as 16-bit values.
inline constexpr int maxSampleBookPages = 65535;

// Sides of a page the generator prints, in pixels.
inline constexpr int minPageSide = 400;
inline constexpr int maxPageSide = 20000;

// Parses the arguments after the program name. On failure returns nullopt and
// puts a one-line reason into *error.
std::optional<SampleBookOptions> parseSampleBookOptions(const QStringList& arguments, QString* error);

QString sampleBookUsage();
