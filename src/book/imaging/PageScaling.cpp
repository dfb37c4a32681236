#include "PageScaling.h"

#include <algorithm>
#include <bit>
#include <vector>

namespace palvenor::imaging {

namespace {

// Where the pixels of one byte of a page row go: runs of pixels that fall
// into the same screen column, as a bit mask over the byte (bit 7 = its
// first pixel).
struct ColumnRun {
    int column;
    uchar mask;
};

// The column runs of every byte of a row, flat; byte b owns the runs from
// start[b] to start[b + 1].
struct RowLayout {
    std::vector<ColumnRun> runs;
    std::vector<int> start;
    std::vector<float> paperPerInk;  // per screen column: 255 / its page pixels
};

RowLayout layOutRow(int srcWidth, int width) {
    RowLayout layout;
    const int bytes = (srcWidth + 7) / 8;
    std::vector<int> pixelsPerColumn(width, 0);
    for (int byte = 0; byte < bytes; ++byte) {
        layout.start.push_back(int(layout.runs.size()));
        for (int x = byte * 8; x < std::min(byte * 8 + 8, srcWidth); ++x) {
            const int column = int(qint64(x) * width / srcWidth);
            ++pixelsPerColumn[column];
            const auto bit = uchar(0x80 >> (x - byte * 8));
            if (int(layout.runs.size()) > layout.start.back() && layout.runs.back().column == column)
                layout.runs.back().mask |= bit;
            else
                layout.runs.push_back({column, bit});
        }
    }
    layout.start.push_back(int(layout.runs.size()));
    for (int count : pixelsPerColumn) layout.paperPerInk.push_back(255.0f / float(std::max(count, 1)));
    return layout;
}

// Shrinks a black-and-white page to size by counting the ink of the source
// pixels that fall into each screen pixel; the result is the share of
// paper as grey. Works on the packed bits and skips white bytes whole, so a
// text page costs little more than one pass over its bytes.
QImage shrinkBlackAndWhite(const QImage& page, QSize size) {
    const int srcHeight = page.height();
    const int width = size.width();
    const int height = size.height();
    const bool inkIsOne = qGray(page.color(1)) < qGray(page.color(0));
    const uchar whiteByte = inkIsOne ? 0x00 : 0xff;
    const RowLayout layout = layOutRow(page.width(), width);
    const int bytes = int(layout.start.size()) - 1;

    QImage shrunk(size, QImage::Format_Grayscale8);
    std::vector<int> ink(width, 0);
    int rowsInBin = 0;
    int row = 0;
    for (int y = 0; y < srcHeight; ++y) {
        const uchar* line = page.constScanLine(y);
        for (int byte = 0; byte < bytes; ++byte) {
            if (line[byte] == whiteByte) continue;
            const auto inkBits = uchar(inkIsOne ? line[byte] : ~line[byte]);
            for (int r = layout.start[byte]; r < layout.start[byte + 1]; ++r)
                ink[layout.runs[r].column] += std::popcount(uchar(inkBits & layout.runs[r].mask));
        }
        ++rowsInBin;
        const bool rowComplete = y + 1 == srcHeight || int(qint64(y + 1) * height / srcHeight) != row;
        if (!rowComplete) continue;
        uchar* out = shrunk.scanLine(row);
        const float perRow = 1.0f / float(rowsInBin);
        for (int x = 0; x < width; ++x) {
            out[x] = uchar(255.5f - float(ink[x]) * layout.paperPerInk[x] * perRow);
            ink[x] = 0;
        }
        rowsInBin = 0;
        ++row;
    }
    return shrunk;
}

}  // namespace

QImage shrinkPage(const QImage& page, QSize size) {
    if (size.isEmpty()) return {};
    const bool shrinking = size.width() <= page.width() && size.height() <= page.height();
    if (page.format() == QImage::Format_Mono && shrinking) return shrinkBlackAndWhite(page, size);
    const QImage source =
        page.depth() == 1 ? page.convertToFormat(QImage::Format_Grayscale8) : page;
    return source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace palvenor::imaging
