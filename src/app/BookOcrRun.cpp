#include "BookOcrRun.h"

#include "Lexicon.h"
#include "OcrJob.h"
#include "OcrService.h"
#include "Prompter.h"
#include "frmOCR.h"
#include "frmSample.h"

#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

namespace palvenor {

BookOcrRun::BookOcrRun(frmSample& window, OcrService& ocr) : QObject(&window), window_(window), ocr_(ocr) {
    setObjectName(QStringLiteral("BookOcrRun"));
    buildProgress();
}

BookOcrRun::~BookOcrRun() = default;

BookOcrRun* BookOcrRun::of(frmSample& window) {
    return window.findChild<BookOcrRun*>(QStringLiteral("BookOcrRun"), Qt::FindDirectChildrenOnly);
}

void BookOcrRun::buildProgress() {
    progress_ = new QWidget;
    progress_->setObjectName(QStringLiteral("BookOcrProgress"));
    auto* row = new QHBoxLayout(progress_);
    row->setContentsMargins(0, 0, 0, 0);
    bar_ = new QProgressBar;
    bar_->setObjectName(QStringLiteral("BookOcrProgressBar"));
    bar_->setAlignment(Qt::AlignCenter);
    bar_->setMinimumWidth(180);
    row->addWidget(bar_);
    auto* cancelButton = new QPushButton(QStringLiteral("Abbrechen"));
    cancelButton->setObjectName(QStringLiteral("BookOcrCancel"));
    connect(cancelButton, &QPushButton::clicked, this, &BookOcrRun::cancel);
    row->addWidget(cancelButton);
    window_.statusBar()->addPermanentWidget(progress_);
    progress_->hide();
}

// The settings of the OCR window, which reads them when it is made.
ocr::BookRecognitionSettings BookOcrRun::settings() {
    ocr::BookRecognitionSettings settings;
    settings.lexicon = ocr::lexiconText(ocr_.window().lexiconFolders);
    settings.process = ocr::configuredJob.Options;
    settings.format = ocr::formatOptions;
    return settings;
}

void BookOcrRun::recognise(int first, int last, Done done) {
    book_ = window_.oleImgEdit1().Image();
    first_ = first;
    last_ = last;
    done_ = std::move(done);
    recognised_.clear();
    busy_ = true;
    cancelled_ = false;
    showProgress(0, last - first + 1);
    progress_->show();
    fingerprintBook([this](const Fingerprints& fingerprints) { start(fingerprints); });
}

// Takes the fingerprints of the book's pages on a thread of its own, then
// hands them to `then` on this object's thread.
void BookOcrRun::fingerprintBook(std::function<void(const Fingerprints&)> then) {
    fingerprinting_ = std::jthread([this, book = book_, then = std::move(then)] {
        Fingerprints fingerprints = ocr::pageFingerprints(book);
        QMetaObject::invokeMethod(
            this, [then, fingerprints = std::move(fingerprints)] { then(fingerprints); }, Qt::QueuedConnection);
    });
}

// Recognises the pages of the range that are not kept from an earlier run
// with the picture they have now.
void BookOcrRun::start(const Fingerprints& fingerprints) {
    if (cancelled_) {
        finish({}, QString(), {}, false);
        return;
    }
    fingerprints_ = fingerprints;
    fingerprints_.resize(size_t(std::max(last_, int(fingerprints_.size()))));
    kept_.keepOnly(fingerprints_);
    for (int page = first_; page <= last_; ++page)
        if (!kept_.find(fingerprints_[size_t(page - 1)])) recognised_.push_back(page);
    recognition_ = std::make_unique<ocr::BookRecognition>(book_, recognised_, window_.pages(), settings());
    connect(recognition_.get(), &ocr::BookRecognition::progress, this, &BookOcrRun::showProgress);
    connect(recognition_.get(), &ocr::BookRecognition::finished, this, &BookOcrRun::end);
    showProgress(0, int(recognised_.size()));
    recognition_->start();
}

void BookOcrRun::cancel() {
    if (recognition_)
        recognition_->cancel();
    else
        cancelled_ = true;
}

void BookOcrRun::showProgress(int done, int total) {
    bar_->setRange(0, std::max(total, 1));
    bar_->setValue(done);
    bar_->setFormat(ocr::progressText(done, total));
}

void BookOcrRun::end(bool complete) {
    ocr::BookRecognition* ended = recognition_.release();
    ended->deleteLater();  // it is still sending this signal
    fingerprintBook([this, recognised = ended->pages(), failure = ended->failure(), complete](const Fingerprints& now) {
        finish(recognised, failure, now, complete);
    });
}

// Tells the end of the run: keeps what was read, shows a failure, and hands
// a complete run's pages on.
void BookOcrRun::finish(const std::vector<ocr::BookPage>& recognised, const QString& failure, const Fingerprints& now,
                        bool complete) {
    progress_->hide();
    keepNewPages(recognised, now);
    if (!failure.isEmpty()) window_.prompter().critical(failure, kAppTitle);
    busy_ = false;
    if (complete) done_(pagesOfRange(recognised));
    done_ = nullptr;
    emit finished(complete);
}

// Keeps what was read of pages whose picture did not change while the run
// went on: now holds their fingerprints at its end.
void BookOcrRun::keepNewPages(const std::vector<ocr::BookPage>& recognised, const Fingerprints& now) {
    for (const ocr::BookPage& page : recognised) {
        const size_t index = size_t(page.imagePage - 1);
        if (page.imagePage > 0 && index < now.size() && now[index] == fingerprints_[index])
            kept_.keep(now[index], page);
    }
}

// The pages of the range, from this run or kept from an earlier one, each
// labelled as the page model labels it now.
std::vector<ocr::BookPage> BookOcrRun::pagesOfRange(const std::vector<ocr::BookPage>& recognised) const {
    std::vector<ocr::BookPage> pages;
    auto fresh = recognised.begin();  // in page order, as recognised_
    for (int page = first_; page <= last_; ++page) {
        const bool isFresh = fresh != recognised.end() && fresh->imagePage == page;
        ocr::BookPage one = isFresh ? *fresh++ : *kept_.find(fingerprints_[size_t(page - 1)]);
        one.imagePage = page;
        one.label = ocr::bookPageLabel(window_.pages(), page);
        pages.push_back(std::move(one));
    }
    return pages;
}

}  // namespace palvenor
