#include "PageScaling.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

namespace palvenor::imaging {

namespace {

// Set bits of each byte value, looked up: a table beats the popcount call
// the compiler makes on processors without the instruction.
constexpr std::array<uchar, 256> kInkInByte = [] {
    std::array<uchar, 256> count{};
    for (int bits = 0; bits < 256; ++bits) count[bits] = uchar(std::popcount(unsigned(bits)));
    return count;
}();

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
// pixels that fall into each screen pixel; each screen pixel gets
// shade(share of paper, 0..255) in an image of the given format. Works on
// the packed bits and skips white bytes whole, eight at a time where it
// can, so a text page costs little more than one pass over its bytes.
template <typename Pixel, typename Shade>
QImage shrinkBlackAndWhite(const QImage& page, QSize size, QImage::Format format, Shade shade) {
    const int srcHeight = page.height();
    const int width = size.width();
    const int height = size.height();
    const bool inkIsOne = qGray(page.color(1)) < qGray(page.color(0));
    const uchar whiteByte = inkIsOne ? 0x00 : 0xff;
    const std::uint64_t whiteWord = inkIsOne ? 0 : ~std::uint64_t(0);
    const RowLayout layout = layOutRow(page.width(), width);
    const int bytes = int(layout.start.size()) - 1;

    QImage shrunk(size, format);
    std::vector<int> ink(width, 0);
    int rowsInBin = 0;
    int row = 0;
    for (int y = 0; y < srcHeight; ++y) {
        const uchar* line = page.constScanLine(y);
        for (int byte = 0; byte < bytes; ++byte) {
            if (byte + 8 <= bytes) {
                std::uint64_t word;
                std::memcpy(&word, line + byte, 8);
                if (word == whiteWord) {
                    byte += 7;
                    continue;
                }
            }
            if (line[byte] == whiteByte) continue;
            const auto inkBits = uchar(inkIsOne ? line[byte] : ~line[byte]);
            for (int r = layout.start[byte]; r < layout.start[byte + 1]; ++r)
                ink[layout.runs[r].column] += kInkInByte[inkBits & layout.runs[r].mask];
        }
        ++rowsInBin;
        const bool rowComplete = y + 1 == srcHeight || int(qint64(y + 1) * height / srcHeight) != row;
        if (!rowComplete) continue;
        auto* out = reinterpret_cast<Pixel*>(shrunk.scanLine(row));
        const float perRow = 1.0f / float(rowsInBin);
        for (int x = 0; x < width; ++x) {
            out[x] = shade(uchar(255.5f - float(ink[x]) * layout.paperPerInk[x] * perRow));
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
    if (page.format() == QImage::Format_Mono && shrinking)
        return shrinkBlackAndWhite<uchar>(page, size, QImage::Format_Grayscale8, [](uchar paper) { return paper; });
    const QImage source =
        page.depth() == 1 ? page.convertToFormat(QImage::Format_Grayscale8) : page;
    return source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage shrinkBlackAndWhiteToScreen(const QImage& page, QSize size, const std::array<QRgb, 256>& shade) {
    if (size.isEmpty()) return {};
    return shrinkBlackAndWhite<QRgb>(page, size, QImage::Format_RGB32, [&shade](uchar paper) { return shade[paper]; });
}

}  // namespace palvenor::imaging
