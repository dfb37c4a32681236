#include "CharacterGrid.h"

#include "OcrRecords.h"

#include <QString>

namespace palvenor::ocr {

namespace {

// The codes of the grid that the engine cannot be told to leave out.
const QString kNotSelectable = QStringLiteral(
    ",32,96,127,129,130,131,132,133,136,137,139,141,143,144,145,146,147,148,150,151,152,153,155,157,160,"
    "166,168,170,173,178,179,180,185,186,");

GroupState rangeState(CodeRange range, const DisabledCharacters& disabled) {
    int switchable = 0;
    int disabledCount = 0;
    for (int code = range.first; code <= range.last; ++code) {
        if (!isSelectableCode(code)) continue;
        ++switchable;
        if (isSet(disabled[code])) ++disabledCount;
    }
    if (disabledCount == 0) return GroupState::Checked;
    return disabledCount == switchable ? GroupState::Unchecked : GroupState::Grayed;
}

}  // namespace

bool isSelectableCode(int code) {
    if (code < CharacterGrid::kFirstCode || code > CharacterGrid::kLastCode) return false;
    return !kNotSelectable.contains(QStringLiteral(",%1,").arg(code));
}

CharacterGrid::CharacterGrid(QSize innerSize)
    : cellWidth_(qRound((innerSize.width() - 1) / double(kColumns))),
      cellHeight_(qRound((innerSize.height() - 1) / double(kRows))) {}

QRect CharacterGrid::cellOf(int code) const {
    const int index = code - kFirstCode;
    return {index % kColumns * cellWidth_, index / kColumns * cellHeight_, cellWidth_, cellHeight_};
}

std::optional<int> CharacterGrid::selectableCodeAt(QPoint press) const {
    if (cellWidth_ <= 0 || cellHeight_ <= 0 || press.x() < 0 || press.y() < 0) return std::nullopt;
    if (press.x() % cellWidth_ == 0 || press.y() % cellHeight_ == 0) return std::nullopt;
    const int column = press.x() / cellWidth_;
    const int row = press.y() / cellHeight_;
    if (column >= kColumns || row >= kRows) return std::nullopt;
    const int code = codeAt(column, row);
    if (!isSelectableCode(code)) return std::nullopt;
    return code;
}

GroupState groupState(const CodeRanges& ranges, const DisabledCharacters& disabled) {
    std::optional<GroupState> common;
    for (const CodeRange& range : ranges) {
        const GroupState state = rangeState(range, disabled);
        if (common && *common != state) return GroupState::Grayed;
        common = state;
    }
    return common.value_or(GroupState::Checked);
}

void setGroupEnabled(const CodeRanges& ranges, bool enabled, DisabledCharacters& disabled) {
    for (const CodeRange& range : ranges)
        for (int code = range.first; code <= range.last; ++code)
            if (isSelectableCode(code)) disabled[code] = enabled ? kOcrFalse : kOcrTrue;
}

}  // namespace palvenor::ocr
