#include "BookRecognition.h"

#include "FormatRepairs.h"
#include "FormatResults.h"
#include "ImageFile.h"
#include "PageModel.h"
#include "PageRecognition.h"
#include "TesseractModels.h"
#include "WordGathering.h"

#include <QEventLoop>
#include <QTextEdit>
#include <QThread>

#include <algorithm>

namespace palvenor::ocr {

namespace {

// The words as they stand on the page: the repairs of the formatter, but
// a word hyphenated at a line end stays two words in their two lines.
std::vector<BookWord> wordsOnPage(const Results& results, FormatOptions options) {
    options.Absatz = false;
    std::vector<BookWord> words;
    for (const Word& word : gatherWords(RepairedItems(results, options)))
        words.push_back({word.text, QRect(QPoint(word.left, word.top), QPoint(word.right, word.bottom)),
                         word.confidence, word.lineNo});
    return words;
}

constexpr double kInchesPerMeter = 0.0254;
constexpr double kUnknownResolution = 300;

// The page's picture with the resolution its directory gives it (the
// decoder leaves Qt's default), or the engine's 300 dpi where it has none.
QImage pageOfBook(const imaging::ImageFile& book, int imagePage, imaging::ImagingError* error) {
    QImage picture = book.readPage(imagePage, error);
    const imaging::PageInfo info = book.pageInfo(imagePage);
    const double x = info.xResolution > 0 ? info.xResolution : kUnknownResolution;
    const double y = info.yResolution > 0 ? info.yResolution : x;
    picture.setDotsPerMeterX(qRound(x / kInchesPerMeter));
    picture.setDotsPerMeterY(qRound(y / kInchesPerMeter));
    return picture;
}

int workerCount(int asked, size_t pages) {
    const int cores = std::max(1, QThread::idealThreadCount());
    return int(std::min<size_t>(size_t(asked > 0 ? asked : cores), std::max<size_t>(pages, 1)));
}

}  // namespace

QString progressText(int done, int total) {
    return QStringLiteral("Seite %1 von %2").arg(done).arg(total);
}

BookRecognition::BookRecognition(QString bookPath, std::vector<int> imagePages, const PageModel& pageModel,
                                 BookRecognitionSettings settings, QObject* parent)
    : QObject(parent),
      bookPath_(std::move(bookPath)),
      imagePages_(std::move(imagePages)),
      settings_(std::move(settings)),
      pages_(imagePages_.size()) {
    for (const int page : imagePages_) labels_.push_back(bookPageLabel(pageModel, page));
}

BookRecognition::~BookRecognition() {
    cancelled_ = true;
    joinWorkers();
}

void BookRecognition::start() {
    if (imagePages_.empty()) {
        QMetaObject::invokeMethod(this, [this] { emit finished(true); }, Qt::QueuedConnection);
        return;
    }
    running_ = workerCount(settings_.workers, imagePages_.size());
    for (int i = 0; i < running_; ++i) workers_.emplace_back(&BookRecognition::work, this);
}

bool BookRecognition::runToEnd() {
    QEventLoop loop;
    bool complete = false;
    connect(this, &BookRecognition::finished, &loop, [&](bool all) {
        complete = all;
        loop.quit();
    });
    start();
    loop.exec();
    return complete;
}

void BookRecognition::cancel() { cancelled_ = true; }

// On a worker thread: takes the next page until none is left, then tells
// the owning thread that it has ended.
void BookRecognition::work() {
    keepRecognitionOnThisThread();
    TesseractModels models;
    imaging::ImagingError error;
    const std::unique_ptr<imaging::ImageFile> book = imaging::ImageFile::open(bookPath_, &error);
    for (size_t index = next_++; index < imagePages_.size() && !cancelled_; index = next_++) {
        try {
            const QImage picture = book ? pageOfBook(*book, imagePages_[index], &error) : QImage();
            if (picture.isNull())
                throw RecognitionFailure(QStringLiteral("Seite %1 kann nicht gelesen werden: %2")
                                             .arg(imagePages_[index])
                                             .arg(error.description)
                                             .toStdString());
            Results results = recognisePicture(models, picture, settings_.process, cancelled_);
            if (cancelled_) break;  // a cancelled page is read only in part
            QMetaObject::invokeMethod(
                this, [this, index, results = std::move(results), size = picture.size()] { deliver(int(index), results, size); },
                Qt::QueuedConnection);
        } catch (const std::exception& reason) {
            const QString text = QString::fromUtf8(reason.what());
            cancelled_ = true;
            QMetaObject::invokeMethod(this, [this, text] { fail(text); }, Qt::QueuedConnection);
        }
    }
    QMetaObject::invokeMethod(this, [this] { workerEnded(); }, Qt::QueuedConnection);
}

void BookRecognition::deliver(int index, const Results& results, QSize size) {
    if (!formatBox_) formatBox_ = std::make_unique<QTextEdit>();
    BookPage& page = pages_[size_t(index)];
    page.imagePage = imagePages_[size_t(index)];
    page.label = labels_[size_t(index)];
    page.size = size;
    page.dotsPerInch = QSize(results.header.XPixelsPerInch, results.header.YPixelsPerInch);
    page.words = wordsOnPage(results, settings_.format);
    page.text = formattedText(*formatBox_, results, settings_.format, results.header.YPixelsPerInch * 39,
                              settings_.lexicon);
    ++done_;
    emit pageRecognised(index);
    emit progress(done_, int(pages_.size()));
}

void BookRecognition::fail(const QString& reason) {
    if (failure_.isEmpty()) failure_ = reason;
}

void BookRecognition::workerEnded() {
    if (--running_ > 0) return;
    joinWorkers();
    emit finished(failure_.isEmpty() && done_ == int(pages_.size()));
}

void BookRecognition::joinWorkers() {
    for (std::thread& worker : workers_)
        if (worker.joinable()) worker.join();
    workers_.clear();
}

}  // namespace palvenor::ocr
