#pragma once

// The arithmetic of the character grid in the processing options: which
// codes the user may switch, which cell shows which code, where a mouse
// press lands, and how the character groups stand over the disabled codes.

#include <QPoint>
#include <QRect>
#include <QSize>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace palvenor::ocr {

// The engine's flags, one per Windows-1252 code: set = not to be produced.
using DisabledCharacters = std::array<int16_t, 256>;

// Whether the user may switch the character of code on or off.
bool isSelectableCode(int code);

// The 32 x 7 cells showing the codes 32 to 255, row by row.
class CharacterGrid {
public:
    static constexpr int kColumns = 32;
    static constexpr int kRows = 7;
    static constexpr int kFirstCode = 32;
    static constexpr int kLastCode = kFirstCode + kColumns * kRows - 1;

    // innerSize: the drawing area of the grid in pixels.
    explicit CharacterGrid(QSize innerSize);

    int cellWidth() const { return cellWidth_; }
    int cellHeight() const { return cellHeight_; }

    static int codeAt(int column, int row) { return row * kColumns + column + kFirstCode; }
    // The cell of a code between kFirstCode and kLastCode.
    QRect cellOf(int code) const;
    // The selectable code whose cell a press hit; nullopt for a press on a
    // border line, beside the cells or on a code that cannot be switched.
    std::optional<int> selectableCodeAt(QPoint press) const;

private:
    int cellWidth_;
    int cellHeight_;
};

// A range of codes, both ends included.
struct CodeRange {
    int first;
    int last;
};
using CodeRanges = std::vector<CodeRange>;

enum class GroupState { Unchecked, Checked, Grayed };

// Checked when no switchable code of the ranges is disabled (also when they
// hold none), unchecked when all are, grayed otherwise or when the ranges
// disagree.
GroupState groupState(const CodeRanges& ranges, const DisabledCharacters& disabled);

// Enables or disables every selectable code of the ranges.
void setGroupEnabled(const CodeRanges& ranges, bool enabled, DisabledCharacters& disabled);

}  // namespace palvenor::ocr
