#include "CharacterGridView.h"

#include "Cp1252.h"
#include "OcrRecords.h"

#include <QMouseEvent>
#include <QPainter>

namespace palvenor::ocr {

namespace {

const QColor kEnabledBackground = Qt::white;
const QColor kDisabledBackground = QColor(230, 150, 150);
const QColor kFixedBackground = QColor(200, 200, 200);

}  // namespace

CharacterGridView::CharacterGridView(const DisabledCharacters& disabled, QWidget* parent)
    : QWidget(parent), disabled_(disabled) {
    setFixedSize(CharacterGrid::kColumns * kCellWidth + 1, CharacterGrid::kRows * kCellHeight + 1);
}

void CharacterGridView::updateCell(int code) { update(grid().cellOf(code).translated(contentsRect().topLeft())); }

void CharacterGridView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.translate(contentsRect().topLeft());
    const CharacterGrid cells = grid();
    for (int code = CharacterGrid::kFirstCode; code <= CharacterGrid::kLastCode; ++code)
        paintCell(painter, cells, code);
}

void CharacterGridView::paintCell(QPainter& painter, const CharacterGrid& grid, int code) const {
    const QRect cell = grid.cellOf(code);
    const bool selectable = isSelectableCode(code);
    const bool disabled = isSet(disabled_[code]);
    painter.fillRect(cell, !selectable ? kFixedBackground : disabled ? kDisabledBackground : kEnabledBackground);
    painter.setPen(Qt::black);
    painter.drawRect(cell);
    painter.setPen(selectable && !disabled ? Qt::black : Qt::darkGray);
    const char32_t character = fromCp1252(uint8_t(code));
    painter.drawText(cell, Qt::AlignCenter, QString::fromUcs4(&character, 1));
}

void CharacterGridView::mousePressEvent(QMouseEvent* event) {
    const auto code = grid().selectableCodeAt(event->position().toPoint() - contentsRect().topLeft());
    if (!code) return;
    if (event->button() == Qt::LeftButton && leftPressed) leftPressed(*code);
    if (event->button() == Qt::RightButton && rightPressed) rightPressed(*code);
}

void CharacterGridView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && leftReleased) leftReleased();
}

}  // namespace palvenor::ocr
