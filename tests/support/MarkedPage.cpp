#include "MarkedPage.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <utility>
#include <vector>

namespace palvenor::test {

namespace {

bool isBlankRow(const QImage& picture, int y)
{
    for (int x = 0; x < picture.width(); ++x)
        if (qGray(picture.pixel(x, y)) < 128)
            return false;
    return true;
}

// The rows of the text blocks (heading, paragraphs) of a page, top to
// bottom: blocks are parted by the gaps clearly wider than a line gap.
std::vector<std::pair<int, int>> textBlocks(const QImage& page)
{
    std::vector<std::pair<int, int>> bands;  // [first, last] rows with ink
    for (int y = 0; y < page.height(); ++y) {
        if (isBlankRow(page, y))
            continue;
        if (!bands.empty() && bands.back().second == y - 1)
            bands.back().second = y;
        else
            bands.push_back({y, y});
    }
    int widestGap = 0;
    for (size_t i = 1; i < bands.size(); ++i)
        widestGap = std::max(widestGap, bands[i].first - bands[i - 1].second);
    std::vector<std::pair<int, int>> blocks;
    for (const auto& band : bands) {
        if (!blocks.empty() && band.first - blocks.back().second < widestGap / 2)
            blocks.back().second = band.second;
        else
            blocks.push_back(band);
    }
    return blocks;
}

MarkedPage makeTwoParagraphPage() {
    static QTemporaryDir folder;
    const QString book = QDir(folder.path()).filePath(QStringLiteral("page.tif"));
    const QString truthFile = QDir(folder.path()).filePath(QStringLiteral("page.txt"));
    QProcess generator;
    generator.start(QStringLiteral(PALVENOR_SAMPLEBOOK),
                    {book, QStringLiteral("--pages"), QStringLiteral("1"), QStringLiteral("--truth"), truthFile});
    if (!generator.waitForFinished(120000) || generator.exitCode() != 0) return {};
    const QImage page(book);
    QFile truthText(truthFile);
    if (page.isNull() || !truthText.open(QIODevice::ReadOnly)) return {};
    // The blocks of the truth are parted by blank lines; block 0 is the page number.
    const QStringList paragraphs =
        QString::fromUtf8(truthText.readAll()).remove(QLatin1Char('\f')).trimmed().split(QStringLiteral("\n\n"));
    const auto blocks = textBlocks(page);
    if (paragraphs.size() < 3 || blocks.size() != size_t(paragraphs.size())) return {};
    const int margin = (blocks[2].first - blocks[1].second) / 2;
    const QRect area(0, blocks[1].first - margin, page.width(), blocks[2].second - blocks[1].first + 2 * margin);
    return {book, area, paragraphs[1] + QLatin1Char('\n') + paragraphs[2]};
}

}  // namespace

const MarkedPage& twoParagraphPage() {
    static const MarkedPage page = makeTwoParagraphPage();
    return page;
}

}  // namespace palvenor::test
