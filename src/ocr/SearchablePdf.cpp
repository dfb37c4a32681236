// The searchable PDF of a recognised book, written object by object: the
// page image as it is (Group 4 for black-and-white pages, Flate for the
// others), the words over it in invisible text, and the book page numbers
// as the page labels.

#include "BookOutput.h"

#include "Cp1252.h"
#include "ImageFile.h"
#include "ImagingTypes.h"
#include "TiffEncode.h"
#include "TiffLibrary.h"

#include <QSaveFile>

#include <map>

namespace palvenor::ocr {

namespace {

using imaging::tiff::FileBytes;

constexpr double kPointsPerInch = 72;
// Every character of the text font is half an em wide, so that a word is
// fitted to its box by the horizontal scaling alone.
constexpr double kCharacterWidth = 0.5;
constexpr int kCatalog = 1;
constexpr int kPageTree = 2;
constexpr int kFont = 3;
constexpr int kObjectsPerPage = 3;

int pageObject(size_t index) { return 4 + int(index) * kObjectsPerPage; }

QByteArray number(double value) {
    QByteArray text = QByteArray::number(value, 'f', 2);
    while (text.endsWith('0')) text.chop(1);
    if (text.endsWith('.')) text.chop(1);
    return text;
}

QByteArray reference(int object) { return QByteArray::number(object) + " 0 R"; }

// A picture stream: its dictionary entries but Length, and its bytes.
struct PdfImage {
    QByteArray entries;
    QByteArray data;
};

// The Group 4 data of a black-and-white page, as libtiff encodes it into
// the one strip of a page in memory.
bool g4Image(const QImage& picture, PdfImage* image, QString* reason) {
    QByteArray tiff;
    if (!imaging::tiff::encodePage(picture, imaging::PageTypeBlackWhite, 0, 0, COMPRESSION_CCITTFAX4, &tiff, reason))
        return false;
    const std::shared_ptr<FileBytes> bytes = FileBytes::fromBuffer(tiff);
    imaging::tiff::ReadStream stream;
    imaging::tiff::TiffMessages messages;
    const imaging::tiff::TiffHandle tif =
        imaging::tiff::openForReading(*bytes, QStringLiteral("G4"), &stream, &messages);
    if (!tif || TIFFNumberOfStrips(tif.get()) != 1) {
        *reason = messages.lastError;
        return false;
    }
    image->data.resize(qsizetype(TIFFRawStripSize(tif.get(), 0)));
    if (TIFFReadRawStrip(tif.get(), 0, image->data.data(), image->data.size()) != image->data.size()) {
        *reason = messages.lastError;
        return false;
    }
    const QByteArray width = QByteArray::number(picture.width()), height = QByteArray::number(picture.height());
    image->entries = "/ColorSpace /DeviceGray /BitsPerComponent 1 /Filter /CCITTFaxDecode /DecodeParms << /K -1 "
                     "/Columns " + width + " /Rows " + height + " /BlackIs1 false >>";
    return true;
}

// qCompress puts the length in front of the zlib stream.
QByteArray flate(const QByteArray& data) { return qCompress(data).mid(4); }

// Grey pages as grey, all others as RGB, compressed without loss.
PdfImage flateImage(const QImage& picture) {
    const bool grey = picture.format() == QImage::Format_Grayscale8;
    const QImage samples = grey ? picture : picture.convertToFormat(QImage::Format_RGB888);
    const qsizetype rowBytes = qsizetype(samples.width()) * (grey ? 1 : 3);
    QByteArray raw;
    raw.reserve(rowBytes * samples.height());
    for (int y = 0; y < samples.height(); ++y)
        raw.append(reinterpret_cast<const char*>(samples.constScanLine(y)), rowBytes);
    return {grey ? "/ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /FlateDecode"
                 : "/ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode",
            flate(raw)};
}

bool isBlackAndWhite(const QImage& picture) {
    return picture.format() == QImage::Format_Mono || picture.format() == QImage::Format_MonoLSB;
}

QByteArray hexText(const QString& text) {
    QByteArray hex = "<";
    for (const uint8_t code : cp1252Codes(text)) hex += QByteArray::number(code, 16).rightJustified(2, '0');
    return hex + ">";
}

// A string of the content stream, in the font's Windows-1252 codes.
QByteArray literalText(const QString& text) {
    QByteArray literal = "(";
    for (const uint8_t code : cp1252Codes(text)) {
        if (code == '(' || code == ')' || code == '\\') literal += '\\';
        literal += char(code);
    }
    return literal + ")";
}

// One line of invisible text: its words on the bottom of its
// highest-standing word, so that readers find them on one baseline, in a
// font as high as the line; each word starts where its box does and is
// stretched to its width. In image pixels, counted from the bottom of the
// page.
QByteArray textLine(const std::vector<const BookWord*>& words, int pageHeight) {
    int top = words.front()->box.top(), bottom = words.front()->box.bottom(), baseline = bottom;
    for (const BookWord* word : words) {
        top = std::min(top, word->box.top());
        bottom = std::max(bottom, word->box.bottom());
        baseline = std::min(baseline, word->box.bottom());
    }
    const int size = std::max(1, bottom - top + 1);
    QByteArray line = "/F1 " + QByteArray::number(size) + " Tf 1 0 0 1 " + QByteArray::number(words.front()->box.left()) +
                      ' ' + QByteArray::number(pageHeight - 1 - baseline) + " Tm";
    int start = words.front()->box.left();  // of the word before
    for (const BookWord* word : words) {
        const auto characters = cp1252Codes(word->text).size();
        if (characters == 0) continue;
        const double stretch = word->box.width() / (double(characters) * size * kCharacterWidth);
        line += ' ' + QByteArray::number(qRound(100 * stretch)) + " Tz ";
        if (word->box.left() != start) line += QByteArray::number(word->box.left() - start) + " 0 Td";
        line += literalText(word->text) + "Tj";
        start = word->box.left();
    }
    return line + '\n';
}

QByteArray textLayer(const BookPage& page) {
    QByteArray text = "BT 3 Tr\n";
    for (const auto& [line, words] : wordsByLine(page)) text += textLine(words, page.size.height());
    return text + "ET\n";
}

QByteArray labelEntry(const PageLabel& label) {
    switch (label.style) {
    case PageLabel::Style::Decimal: return "<< /S /D /St " + QByteArray::number(label.number) + " >>";
    case PageLabel::Style::Roman: return "<< /S /r /St " + QByteArray::number(label.number) + " >>";
    case PageLabel::Style::Text: break;
    }
    return "<< /P " + hexText(label.text) + " >>";
}

// A new range of labels begins where the numbering does not go on by one.
QByteArray pageLabels(const std::vector<BookPage>& pages) {
    QByteArray numbers;
    for (size_t i = 0; i < pages.size(); ++i) {
        const PageLabel& label = pages[i].label;
        const bool continues = i > 0 && label.style != PageLabel::Style::Text &&
                               label.style == pages[i - 1].label.style &&
                               label.number == pages[i - 1].label.number + 1;
        if (!continues) numbers += QByteArray::number(qulonglong(i)) + ' ' + labelEntry(label) + ' ';
    }
    return "<< /Nums [ " + numbers + "] >>";
}

// Half an em for every character of Windows-1252.
QByteArray fontObject() {
    QByteArray widths;
    for (int code = 32; code <= 255; ++code) widths += QByteArray::number(int(kCharacterWidth * 1000)) + ' ';
    return "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding /FirstChar 32 "
           "/LastChar 255 /Widths [ " + widths + "] >>";
}

class PdfFile {
public:
    explicit PdfFile(const QString& path) : file_(path) {}

    bool open() { return file_.open(QIODevice::WriteOnly) && put("%PDF-1.5\n%\xE2\xE3\xCF\xD3\n"); }

    bool object(int number, const QByteArray& body) {
        offsets_[number] = written_;
        return put(QByteArray::number(number) + " 0 obj\n" + body + "\nendobj\n");
    }

    bool stream(int number, const QByteArray& entries, const QByteArray& data) {
        return object(number, "<< " + entries + " /Length " + QByteArray::number(data.size()) + " >>\nstream\n" +
                                  data + "\nendstream");
    }

    // The cross-reference table and the trailer, then the rename.
    bool finish() {
        const qint64 table = written_;
        const int count = offsets_.rbegin()->first + 1;
        QByteArray xref = "xref\n0 " + QByteArray::number(count) + "\n0000000000 65535 f \n";
        for (int number = 1; number < count; ++number)
            xref += QByteArray::number(offsets_[number]).rightJustified(10, '0') + " 00000 n \n";
        xref += "trailer\n<< /Size " + QByteArray::number(count) + " /Root " + reference(kCatalog) +
                " >>\nstartxref\n" + QByteArray::number(table) + "\n%%EOF\n";
        return put(xref) && file_.commit();
    }

private:
    bool put(const QByteArray& bytes) {
        written_ += bytes.size();
        return file_.write(bytes) == bytes.size();
    }

    QSaveFile file_;
    qint64 written_ = 0;
    std::map<int, qint64> offsets_;
};

bool writePage(PdfFile& pdf, size_t index, const BookPage& page, const QImage& picture, QString* reason) {
    PdfImage image;
    if (isBlackAndWhite(picture)) {
        if (!g4Image(picture, &image, reason)) return false;
    } else {
        image = flateImage(picture);
    }
    const double pointsX = kPointsPerInch / std::max(1, page.dotsPerInch.width());
    const double pointsY = kPointsPerInch / std::max(1, page.dotsPerInch.height());
    const double width = picture.width() * pointsX, height = picture.height() * pointsY;
    const int object = pageObject(index);
    // The text is laid out in image pixels.
    const QByteArray content = "q " + number(width) + " 0 0 " + number(height) + " 0 0 cm /Im0 Do Q\nq " +
                               number(pointsX) + " 0 0 " + number(pointsY) + " 0 0 cm\n" + textLayer(page) + "Q\n";
    return pdf.object(object, "<< /Type /Page /Parent " + reference(kPageTree) + " /MediaBox [0 0 " + number(width) +
                                  ' ' + number(height) + "] /Resources << /Font << /F1 " + reference(kFont) +
                                  " >> /XObject << /Im0 " + reference(object + 2) + " >> >> /Contents " +
                                  reference(object + 1) + " >>") &&
           pdf.stream(object + 1, "/Filter /FlateDecode", flate(content)) &&
           pdf.stream(object + 2,
                      "/Type /XObject /Subtype /Image /Width " + QByteArray::number(picture.width()) + " /Height " +
                          QByteArray::number(picture.height()) + ' ' + image.entries,
                      image.data);
}

}  // namespace

bool writeSearchablePdf(const QString& path, const QString& bookPath, const std::vector<BookPage>& pages,
                        QString* error) {
    imaging::ImagingError failure;
    const std::unique_ptr<imaging::ImageFile> book = imaging::ImageFile::open(bookPath, &failure);
    if (!book) {
        *error = failure.description;
        return false;
    }
    PdfFile pdf(path);
    bool written = pdf.open() && pdf.object(kFont, fontObject());
    QByteArray kids;
    for (size_t i = 0; written && i < pages.size(); ++i) {
        const QImage picture = book->readPage(pages[i].imagePage, &failure);
        if (picture.isNull()) {
            *error = failure.description;
            return false;
        }
        QString reason;
        if (!writePage(pdf, i, pages[i], picture, &reason)) {
            *error = reason.isEmpty() ? notWritable(path) : reason;
            return false;
        }
        kids += reference(pageObject(i)) + ' ';
    }
    written = written &&
              pdf.object(kPageTree, "<< /Type /Pages /Kids [ " + kids + "] /Count " +
                                        QByteArray::number(qulonglong(pages.size())) + " >>") &&
              pdf.object(kCatalog, "<< /Type /Catalog /Pages " + reference(kPageTree) + " /PageLabels " +
                                       pageLabels(pages) + " >>") &&
              pdf.finish();
    if (!written) *error = notWritable(path);
    return written;
}

}  // namespace palvenor::ocr
