// Whole books recognised by palvenor-ocr and by BookRecognition: the text
// layer of the searchable PDF against the true text of real scans, the
// images and page labels in the PDF, ALTO files against the ALTO 4 schema,
// and the refusal of bad input.

#include "BookOcrChecks.h"
#include "BookPageLabels.h"
#include "BookRecognition.h"
#include "ImageFile.h"
#include "PageModel.h"
#include "SampleBooks.h"
#include "TiffEncode.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <numeric>

using namespace palvenor;
using namespace palvenor::ocr;
using palvenor::test::programOutput;
using palvenor::test::readAll;
using palvenor::test::runProgram;
using palvenor::test::shareFound;
using palvenor::test::ToolRun;

namespace {

const QString kScans = QStringLiteral(PALVENOR_OCR_PAGES);
const QString kAntiquaScan = QStringLiteral("antiqua_01_fiscfrie_p0014_block");
const QString kFrakturScan = QStringLiteral("fraktur_03_nn_besuch_1780_00002_B");

ToolRun runOcr(const QStringList& arguments) { return runProgram(QStringLiteral(PALVENOR_OCR_TOOL), arguments); }

// The words of four letters and more of a true text, without punctuation.
QStringList trueWords(const QString& scan) {
    return test::longWords(QString::fromUtf8(readAll(QDir(kScans).filePath(scan + QStringLiteral(".gt.norm.txt")))));
}

// A book of two real scans: the antiqua band as an 8-bit grey page, the
// Fraktur page as the black-and-white Group 4 page it is.
QString realBook(const QString& folder) {
    const QImage antiqua(QDir(kScans).filePath(kAntiquaScan + QStringLiteral(".jpg")));
    QByteArray grey;
    QString reason;
    if (antiqua.isNull() ||
        !imaging::tiff::encodePage(antiqua, imaging::PageTypeGray8, 300, 300, 5 /* LZW */, &grey, &reason))
        return {};
    const QString greyPage = test::writeFile(folder, QStringLiteral("grey.tif"), grey);
    const QString book = QDir(folder).filePath(QStringLiteral("real.tif"));
    const ToolRun joined = runProgram(QStringLiteral("tiffcp"),
                                      {greyPage, QDir(kScans).filePath(kFrakturScan + QStringLiteral(".tif")), book});
    return joined.exitCode == 0 ? book : QString();
}

// The /PageLabels number tree of a PDF written by the program.
QString pageLabels(const QString& pdf) {
    static const QRegularExpression labels(QStringLiteral("/PageLabels << /Nums \\[ (.*?)\\] >>"));
    return labels.match(QString::fromLatin1(readAll(pdf))).captured(1).trimmed();
}

// The encodings pdfimages lists, page by page.
QStringList imageEncodings(const QString& pdf) {
    QStringList encodings;
    for (const QString& line : programOutput(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf}).split(u'\n')) {
        const QStringList fields = line.simplified().split(u' ');
        if (fields.size() > 8 && fields[0].toInt() > 0) encodings << fields[8];
    }
    return encodings;
}

class BookOcrTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        book = realBook(dir.path());
        ASSERT_FALSE(book.isEmpty());
    }
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    QString book;
};

TEST_F(BookOcrTest, SearchablePdfCarriesEachPagesTrueWordsOnThatPage) {
    const QString pdf = path(QStringLiteral("real.pdf"));
    const ToolRun run = runOcr({book, QStringLiteral("--pdf"), pdf});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("Seite 2 von 2\n")));
    const QStringList scans{kAntiquaScan, kFrakturScan};
    for (int k = 1; k <= 2; ++k) {
        const QString page = test::pdfPageText(pdf, k);
        EXPECT_GE(shareFound(trueWords(scans[k - 1]), page), 0.8) << "page " << k << ": " << page.toStdString();
        EXPECT_LT(shareFound(trueWords(scans[2 - k]), page), 0.3) << "page " << k;
    }
    EXPECT_EQ(imageEncodings(pdf), QStringList({QStringLiteral("image"), QStringLiteral("ccitt")}));
    // No temporary file is left beside the PDF.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

TEST_F(BookOcrTest, PageLabelsAreTheBookPageNumbers) {
    const QString pdf = path(QStringLiteral("labels.pdf"));
    ASSERT_EQ(runOcr({book, QStringLiteral("--offset"), QStringLiteral("-1"), QStringLiteral("--pdf"), pdf}).exitCode, 0);
    EXPECT_EQ(pageLabels(pdf), QStringLiteral("0 << /S /r /St 1 >> 1 << /S /D /St 1 >>"));
    ASSERT_EQ(runOcr({book, QStringLiteral("--pages"), QStringLiteral("2-2"), QStringLiteral("--offset"),
                      QStringLiteral("9"), QStringLiteral("--pdf"), pdf})
                  .exitCode,
              0);
    EXPECT_EQ(pageLabels(pdf), QStringLiteral("0 << /S /D /St 11 >>"));
    EXPECT_TRUE(programOutput(QStringLiteral("pdfinfo"), {pdf}).contains(QRegularExpression(QStringLiteral("Pages:\\s+1\n"))));
}

TEST_F(BookOcrTest, AltoFilesPerImagePageValidateAgainstTheAlto4Schema) {
    const QString folder = path(QStringLiteral("alto"));
    ASSERT_EQ(runOcr({book, QStringLiteral("--alto"), folder}).exitCode, 0);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
              QStringList({QStringLiteral("0001.xml"), QStringLiteral("0002.xml"), QStringLiteral("real.txt")}));
    const ToolRun valid = test::validateAlto(QStringLiteral(PALVENOR_ALTO_SCHEMA),
                                             {QDir(folder).filePath(QStringLiteral("0001.xml")),
                                              QDir(folder).filePath(QStringLiteral("0002.xml"))});
    EXPECT_EQ(valid.exitCode, 0) << valid.err.toStdString();
    const QString first = QString::fromUtf8(readAll(QDir(folder).filePath(QStringLiteral("0001.xml"))));
    EXPECT_TRUE(first.contains(QRegularExpression(
        QStringLiteral("<String ID=\"\\w+\" HPOS=\"\\d+\" VPOS=\"\\d+\" WIDTH=\"\\d+\" HEIGHT=\"\\d+\" WC=\"[01]\\.\\d\\d\" "
                       "CONTENT=\"Neuigkeiten\"/>"))));
    const QString text = QString::fromUtf8(readAll(QDir(folder).filePath(QStringLiteral("real.txt"))));
    const QStringList pages = text.split(u'\f');
    ASSERT_EQ(pages.size(), 2);
    EXPECT_GE(shareFound(trueWords(kAntiquaScan), pages[0]), 0.8);
    EXPECT_GE(shareFound(trueWords(kFrakturScan), pages[1]), 0.8);
}

TEST_F(BookOcrTest, HocrHasEveryWordWithBoxAndConfidence) {
    const QString html = path(QStringLiteral("real.html"));
    ASSERT_EQ(runOcr({book, QStringLiteral("--hocr"), html}).exitCode, 0);
    QXmlStreamReader xml(readAll(html));
    int pages = 0;
    QStringList words;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const QString kind = xml.attributes().value(QStringLiteral("class")).toString();
        if (kind == QLatin1String("ocr_page")) ++pages;
        if (kind != QLatin1String("ocrx_word")) continue;
        EXPECT_TRUE(xml.attributes().value(QStringLiteral("title")).toString().contains(
            QRegularExpression(QStringLiteral("^bbox \\d+ \\d+ \\d+ \\d+; x_wconf \\d+$"))));
        words << xml.readElementText();
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(pages, 2);
    EXPECT_GE(shareFound(trueWords(kAntiquaScan), words.join(u' ')), 0.8);
}

TEST_F(BookOcrTest, BookRecognitionYieldsEveryPageInOrderWithItsLabel) {
    PageModel pages = pageModelWithOffset(4);
    BookRecognitionSettings settings;
    settings.workers = 2;
    BookRecognition recognition(book, {2, 1}, pages, settings);
    QStringList progress;
    QObject::connect(&recognition, &BookRecognition::progress,
                     [&](int done, int total) { progress << progressText(done, total); });
    ASSERT_TRUE(recognition.runToEnd());
    EXPECT_EQ(progress, QStringList({QStringLiteral("Seite 1 von 2"), QStringLiteral("Seite 2 von 2")}));
    const std::vector<BookPage>& read = recognition.pages();
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].imagePage, 2);
    EXPECT_EQ(read[0].label.text, QStringLiteral("6"));
    EXPECT_EQ(read[1].label.text, QStringLiteral("5"));
    EXPECT_EQ(read[0].size, QSize(2000, 2271));
    EXPECT_EQ(read[0].dotsPerInch, QSize(300, 300));
    EXPECT_GE(shareFound(trueWords(kFrakturScan), read[0].text), 0.8);
    for (const BookPage& page : read) {
        ASSERT_FALSE(page.words.empty());
        for (const BookWord& word : page.words) {
            EXPECT_TRUE(QRect(QPoint(), page.size).contains(word.box)) << word.text.toStdString();
            EXPECT_GE(word.confidence, 0.f);
            EXPECT_LE(word.confidence, 1.f);
        }
    }
}

TEST_F(BookOcrTest, ACancelledRunEndsIncompleteWithoutFailure) {
    BookRecognitionSettings settings;
    settings.workers = 1;
    settings.process.Language = uint8_t(OcrLanguage::German);
    BookRecognition recognition(book, {1, 2, 1, 2}, PageModel(), settings);
    QObject::connect(&recognition, &BookRecognition::pageRecognised, &recognition, &BookRecognition::cancel);
    EXPECT_FALSE(recognition.runToEnd());
    EXPECT_GE(recognition.pagesDone(), 1);
    EXPECT_LT(recognition.pagesDone(), 4);
    EXPECT_TRUE(recognition.failure().isEmpty());
    EXPECT_EQ(recognition.pages()[3].imagePage, 0);  // never read
}

TEST_F(BookOcrTest, MissingLanguageDataIsAnEngineFailureWithoutOutput) {
    QTemporaryDir empty;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TESSDATA_PREFIX"), empty.path());
    const QString text = path(QStringLiteral("real.txt"));
    const ToolRun run = runProgram(QStringLiteral(PALVENOR_OCR_TOOL), {book, QStringLiteral("--text"), text}, environment);
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(run.err.endsWith(QStringLiteral("Die deutschen Sprachdaten (deu) für die Texterkennung fehlen.\n")))
        << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(text));
}

// Each bad input: exit code 2, exactly one line on standard error, and no
// output file.
void expectRefused(const QStringList& arguments, const QString& message, const QString& outputPath) {
    const ToolRun run = runOcr(arguments);
    EXPECT_EQ(run.exitCode, 2) << arguments.join(u' ').toStdString();
    EXPECT_EQ(run.err.toStdString(), (message + u'\n').toStdString());
    EXPECT_FALSE(QFile::exists(outputPath)) << outputPath.toStdString();
}

TEST_F(BookOcrTest, BadInputIsRefusedWithOneGermanLine) {
    const QString pdf = path(QStringLiteral("out.pdf"));
    const QString missing = path(QStringLiteral("fehlt.tif"));
    expectRefused({missing, QStringLiteral("--pdf"), pdf}, QStringLiteral("Das Buch „%1“ gibt es nicht.").arg(missing), pdf);
    const QString folder = path(QStringLiteral("ordner.tif"));
    ASSERT_TRUE(QDir().mkpath(folder));
    expectRefused({folder, QStringLiteral("--pdf"), pdf}, QStringLiteral("Das Buch „%1“ kann nicht gelesen werden.").arg(folder), pdf);
    const QString text = test::writeFile(dir.path(), QStringLiteral("text.tif"), "Kein Bild\n");
    expectRefused({text, QStringLiteral("--pdf"), pdf}, QStringLiteral("„%1“ ist kein TIFF-Buch.").arg(text), pdf);
    const QString broken = test::writeFile(dir.path(), QStringLiteral("kaputt.tif"), QByteArray("II*\0", 4) + "\x7f\0\0\0");
    const ToolRun run = runOcr({broken, QStringLiteral("--pdf"), pdf});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("Das Buch „%1“ kann nicht gelesen werden: ").arg(broken)));
    EXPECT_EQ(run.err.count(u'\n'), 1);
    expectRefused({book, QStringLiteral("--pages"), QStringLiteral("2-5"), QStringLiteral("--pdf"), pdf},
                  QStringLiteral("Die Seiten 2-5 liegen nicht im Buch; es hat 2 Seiten."), pdf);
    expectRefused({book, QStringLiteral("--pages"), QStringLiteral("0-1"), QStringLiteral("--pdf"), pdf},
                  QStringLiteral("Die Seiten 0-1 liegen nicht im Buch; es hat 2 Seiten."), pdf);
    expectRefused({book, QStringLiteral("--pages"), QStringLiteral("zwei"), QStringLiteral("--pdf"), pdf},
                  QStringLiteral("Ungültige Seitenangabe „zwei“; erwartet wird A-B."), pdf);
    expectRefused({book, QStringLiteral("--lang"), QStringLiteral("eng"), QStringLiteral("--pdf"), pdf},
                  QStringLiteral("Unbekannte Sprache „eng“; möglich sind auto, deu, frk und deu+frk."), pdf);
    const QString nowhere = path(QStringLiteral("fehlt/out.pdf"));
    expectRefused({book, QStringLiteral("--pdf"), nowhere},
                  QStringLiteral("In „%1“ kann nicht geschrieben werden.").arg(nowhere), nowhere);
    expectRefused({book, QStringLiteral("--text"), book},
                  QStringLiteral("Die Ausgabe „%1“ ist das Buch selbst.").arg(book), path(QStringLiteral("none")));
    EXPECT_EQ(runProgram(QStringLiteral("tiffinfo"), {book}).exitCode, 0);
    const QString underFile = text + QStringLiteral("/alto");
    expectRefused({book, QStringLiteral("--alto"), underFile},
                  QStringLiteral("In „%1“ kann nicht geschrieben werden.").arg(underFile), underFile);
    expectRefused({book, QStringLiteral("--pdf")}, QStringLiteral("Aufruf: palvenor-ocr BUCH.tif [--pages A-B] [--lang "
                                                                   "auto|deu|frk|deu+frk] [--offset N] --text AUS.txt | "
                                                                   "--pdf AUS.pdf | --alto ORDNER | --hocr AUS.html"),
                  pdf);
}

// The pictures pdfimages takes out of page k of a PDF, as RGB.
QImage imageOfPage(const QString& pdf, int k, const QString& folder) {
    const QString prefix = QDir(folder).filePath(QStringLiteral("page%1").arg(k));
    runProgram(QStringLiteral("pdfimages"), {QStringLiteral("-png"), QStringLiteral("-f"), QString::number(k),
                                             QStringLiteral("-l"), QString::number(k), pdf, prefix});
    return QImage(prefix + QStringLiteral("-000.png")).convertToFormat(QImage::Format_RGB888);
}

// Rendered pages of every kind: the text of each page on its page, and
// the page images in the PDF pixel for pixel those of the book.
TEST(BookOcrRendered, PdfPagesHoldTheirTextAndTheUnchangedImages) {
    QTemporaryDir dir;
    const QString truth = dir.filePath(QStringLiteral("buch.txt"));
    const QString book = test::makeBook(dir.path(), QStringLiteral("buch.tif"), 3, QStringLiteral("bw,grey,rgb"), truth);
    ASSERT_FALSE(book.isEmpty());
    const QString pdf = dir.filePath(QStringLiteral("buch.pdf"));
    ASSERT_EQ(runOcr({book, QStringLiteral("--pdf"), pdf}).exitCode, 0);
    const QStringList pages = QString::fromUtf8(readAll(truth)).split(u'\f');
    ASSERT_EQ(pages.size(), 3);
    imaging::ImagingError error;
    const auto original = imaging::ImageFile::open(book, &error);
    ASSERT_TRUE(original);
    for (int k = 1; k <= 3; ++k) {
        EXPECT_GE(shareFound(test::longWords(pages[k - 1]), test::pdfPageText(pdf, k)), 0.9) << "page " << k;
        const QImage inPdf = imageOfPage(pdf, k, dir.path());
        EXPECT_EQ(inPdf, original->readPage(k, &error).convertToFormat(QImage::Format_RGB888)) << "page " << k;
    }
    EXPECT_EQ(imageEncodings(pdf), QStringList({QStringLiteral("ccitt"), QStringLiteral("image"), QStringLiteral("image")}));
}

TEST(BookPageLabels, FollowThePaginationOffsetWithRomanFrontMatter) {
    const PageModel front = pageModelWithOffset(-2);
    EXPECT_EQ(front.Versatz(), -2);
    QStringList labels;
    for (int page = 1; page <= 4; ++page) labels << bookPageLabel(front, page).text;
    EXPECT_EQ(labels, QStringList({QStringLiteral("i"), QStringLiteral("ii"), QStringLiteral("1"), QStringLiteral("2")}));
    EXPECT_EQ(bookPageLabel(front, 1).style, PageLabel::Style::Roman);
    EXPECT_EQ(bookPageLabel(pageModelWithOffset(9), 1).number, 10);
    EXPECT_EQ(romanNumeral(1994), QStringLiteral("mcmxciv"));
}

TEST(BookPageLabels, SpreadsCarryBothBookPages) {
    PageModel spreads;
    spreads.setMode(PageModel::Mode::Double);
    EXPECT_EQ(bookPageLabel(spreads, 1).text, QStringLiteral("1"));  // the title page has no left page
    EXPECT_EQ(bookPageLabel(spreads, 3).text, QStringLiteral("4-5"));
    EXPECT_EQ(bookPageLabel(spreads, 3).style, PageLabel::Style::Text);
}

// The one-machine form of the README: GNU parallel runs the tool on every
// book of a folder.
TEST(BookOcrBatch, GnuParallelRecognisesAFolderOfBooks) {
    QTemporaryDir dir;
    ASSERT_FALSE(test::makeBook(dir.path(), QStringLiteral("erstes.tif"), 1).isEmpty());
    ASSERT_FALSE(test::makeBook(dir.path(), QStringLiteral("zweites.tif"), 2).isEmpty());
    const QString command = QStringLiteral("cd '%1' && parallel -j 1 '%2' {} --text {.}.txt ::: *.tif")
                                .arg(dir.path(), QStringLiteral(PALVENOR_OCR_TOOL));
    const ToolRun run = runProgram(QStringLiteral("bash"), {QStringLiteral("-c"), command});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    for (const auto& [name, pages] : {std::pair{QStringLiteral("erstes.txt"), 1}, std::pair{QStringLiteral("zweites.txt"), 2}}) {
        const QString text = QString::fromUtf8(readAll(QDir(dir.path()).filePath(name)));
        EXPECT_EQ(text.split(u'\f').size(), pages) << name.toStdString();
        EXPECT_GT(text.size(), 500) << name.toStdString();
    }
}

}  // namespace
