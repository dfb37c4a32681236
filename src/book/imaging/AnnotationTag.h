#pragma once

// Annotations that are not burnt into a page travel with the page in the
// TIFF file, in a private directory entry of that page, so that they survive
// saving, page operations and reopening. Readers that do not know the entry
// skip it, as TIFF readers skip every tag they do not know.
//
// The entry: tag 65420 (in the range TIFF leaves to private use), type
// UNDEFINED (7), its bytes a UTF-8 JSON document:
//
//   {"format": "palvenor-annotations", "version": 1, "annotations": [ ... ]}
//
// Each annotation is an object with "kind" and, as the kind needs them,
// these members (all lengths and positions in pixels of the page, origin at
// its top left corner):
//
//   kind        "freehand", "highlighter", "line", "frame", "area", "text",
//               "note", "stamp", "picture" (embedded), "linkedpicture"
//   points      [[x, y], ...]        freehand, highlighter, line (two points)
//   box         [left, top, width, height]   every other kind
//   colour      "#rrggbb"            line, frame, area and text colour
//   width       number               line width (lines, frames, stamps)
//   background  "#rrggbb"            the slip of a note
//   font        {"family": text, "size": pixels, "bold": bool, "italic": bool}
//   text        text                 text, note, stamp
//   png         base64 of a PNG file  picture
//   file        path                 linkedpicture
//
// Unknown members are ignored. An entry that is not such a document, has
// another version or holds an annotation that cannot be read is taken as a
// page without annotations.

#include "Annotation.h"

#include <QByteArray>

#include <cstdint>
#include <optional>
#include <vector>

namespace palvenor::imaging {

inline constexpr uint16_t AnnotationTag = 65420;

// The entry's bytes for a page's annotations; empty when there are none.
QByteArray encodeAnnotations(const std::vector<Annotation>& annotations);
// The annotations of an entry; nullopt when the bytes are not an annotation
// document this program can read.
std::optional<std::vector<Annotation>> decodeAnnotations(const QByteArray& bytes);

}  // namespace palvenor::imaging
