#pragma once

#include "CharacterGrid.h"

#include <QWidget>

#include <functional>

namespace palvenor::ocr {

// The grid of the codes 32 to 255: each cell shows its character as enabled,
// disabled or not switchable. A press on a selectable cell is handed on
// with the cell's code; a press elsewhere is ignored.
class CharacterGridView : public QWidget {
public:
    // disabled must outlive the view.
    explicit CharacterGridView(const DisabledCharacters& disabled, QWidget* parent = nullptr);

    CharacterGrid grid() const { return CharacterGrid(contentsRect().size()); }
    void updateCell(int code);

    std::function<void(int code)> leftPressed;
    std::function<void()> leftReleased;
    std::function<void(int code)> rightPressed;

    static constexpr int kCellWidth = 18;
    static constexpr int kCellHeight = 22;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void paintCell(QPainter& painter, const CharacterGrid& grid, int code) const;

    const DisabledCharacters& disabled_;
};

}  // namespace palvenor::ocr
