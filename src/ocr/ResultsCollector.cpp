#include "ResultsCollector.h"

#include "Cp1252.h"

#include <algorithm>
#include <numeric>

namespace palvenor::ocr {
namespace {

int16_t clamped16(int value)
{
    return int16_t(std::clamp(value, -32768, 32767));
}

// Sums up the confidences of symbols.
struct ConfidenceSum {
    double sum = 0;
    int count = 0;

    void add(const RecognisedWord& word)
    {
        for (const RecognisedSymbol& symbol : word.symbols) {
            sum += symbol.confidence;
            ++count;
        }
    }
    float mean() const { return count ? float(sum / count) : 0.0f; }
};

// Word and line confidences are the means of their symbols'. Tesseract's
// own fall to 0 as soon as one character had to give way to a disabled one.
float confidenceOf(const RecognisedWord& word)
{
    ConfidenceSum total;
    total.add(word);
    return total.mean();
}

float confidenceOf(const RecognisedLine& line)
{
    ConfidenceSum total;
    for (const RecognisedWord& word : line.words)
        total.add(word);
    return total.mean();
}

// The recogniser sometimes reports a blank symbol where it found nothing
// better; spaces come from the word boundaries alone.
bool isBlank(const RecognisedSymbol& symbol)
{
    return symbol.text.trimmed().isEmpty();
}

// Collects the items line by line.
class ItemWriter {
public:
    ItemWriter(const ItemRules& rules, const PageGeometry& geometry) : rules_(rules), geometry_(geometry) {}

    void addLine(const RecognisedLine& line);
    std::vector<ResultsItem> take() { return std::move(items_); }

private:
    std::vector<ResultsItem> wordItems(const RecognisedWord& word) const;
    void appendSymbol(const RecognisedSymbol& symbol, std::vector<ResultsItem>* items) const;
    ResultsItem space(const RecognisedWord& before, const RecognisedWord& after) const;
    ResultsItem lineEnd(const RecognisedLine& line, float confidence) const;
    ResultsItem item(uint8_t code, float confidence, const QRect& box) const;

    const ItemRules& rules_;
    const PageGeometry& geometry_;
    std::vector<ResultsItem> items_;
};

void ItemWriter::addLine(const RecognisedLine& line)
{
    const float confidence = confidenceOf(line);
    if (rules_.rejectLines && confidence < kRubbishLine)
        return;
    const RecognisedWord* previous = nullptr;
    for (const RecognisedWord& word : line.words) {
        const std::vector<ResultsItem> written = wordItems(word);
        if (written.empty())
            continue;
        if (previous)
            items_.push_back(space(*previous, word));
        items_.insert(items_.end(), written.begin(), written.end());
        previous = &word;
    }
    if (previous)
        items_.push_back(lineEnd(line, confidence));
}

std::vector<ResultsItem> ItemWriter::wordItems(const RecognisedWord& word) const
{
    std::vector<ResultsItem> items;
    for (const RecognisedSymbol& symbol : word.symbols)
        if (!isBlank(symbol) && (!rules_.rejectCharacters || symbol.confidence >= kPoorCharacter))
            appendSymbol(symbol, &items);
    return items;
}

// One item per code of the symbol, each with its share of the box: a
// ligature comes out as its letters side by side.
void ItemWriter::appendSymbol(const RecognisedSymbol& symbol, std::vector<ResultsItem>* items) const
{
    const std::vector<uint8_t> codes = cp1252Codes(symbol.text);
    const int parts = int(codes.size());
    const QRect& box = symbol.box;
    for (int i = 0; i < parts; ++i) {
        if (rules_.disabled[codes[size_t(i)]])
            continue;
        const int left = box.left() + box.width() * i / parts;
        const int right = box.left() + box.width() * (i + 1) / parts;
        items->push_back(item(codes[size_t(i)], symbol.confidence, QRect(left, box.top(), right - left, box.height())));
    }
}

// A space covers the gap between two words and is as sure as the less
// sure of them.
ResultsItem ItemWriter::space(const RecognisedWord& before, const RecognisedWord& after) const
{
    const int left = before.box.right() + 1;
    const int top = std::min(before.box.top(), after.box.top());
    const int bottom = std::max(before.box.bottom(), after.box.bottom());
    const int width = std::max(1, after.box.left() - left);
    const float confidence = std::min(confidenceOf(before), confidenceOf(after));
    return item(kSpace, confidence, QRect(left, top, width, bottom - top + 1));
}

// A line end sits on the last pixel column of its line.
ResultsItem ItemWriter::lineEnd(const RecognisedLine& line, float confidence) const
{
    return item(kLineEnd, confidence, QRect(line.box.right(), line.box.top(), 1, line.box.height()));
}

ResultsItem ItemWriter::item(uint8_t code, float confidence, const QRect& box) const
{
    const QRect onPicture = geometry_.toPicture(box);
    ResultsItem result;
    result.OCRCha = code;
    result.Confidence = std::clamp(confidence, 0.0f, 1.0f);
    result.XPos = clamped16(onPicture.left());
    result.YPos = clamped16(onPicture.top());
    result.XDim = clamped16(onPicture.width());
    result.YDim = clamped16(onPicture.height());
    return result;
}

float meanConfidence(const std::vector<ResultsItem>& items)
{
    if (items.empty())
        return 0;
    const double sum = std::accumulate(items.begin(), items.end(), 0.0,
                                       [](double total, const ResultsItem& item) { return total + item.Confidence; });
    return float(sum / double(items.size()));
}

}  // namespace

float confidenceOf(const std::vector<RecognisedLine>& lines)
{
    ConfidenceSum total;
    for (const RecognisedLine& line : lines)
        for (const RecognisedWord& word : line.words)
            total.add(word);
    return total.mean();
}

Results collectResults(const std::vector<RecognisedLine>& lines, const ItemRules& rules,
                       const PageGeometry& geometry, QSize pixelsPerInch)
{
    ItemWriter writer(rules, geometry);
    for (const RecognisedLine& line : lines)
        writer.addLine(line);
    Results results;
    results.items = writer.take();
    results.header.XPixelsPerInch = pixelsPerInch.width();
    results.header.YPixelsPerInch = pixelsPerInch.height();
    results.header.NumItems = int32_t(results.items.size());
    results.header.MeanConfidence = meanConfidence(results.items);
    return results;
}

}  // namespace palvenor::ocr
