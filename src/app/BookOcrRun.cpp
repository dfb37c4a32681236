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
    const QString book = window_.oleImgEdit1().Image();
    fingerprints_ = ocr::pageFingerprints(book);
    fingerprints_.resize(size_t(std::max(last, int(fingerprints_.size()))));
    kept_.keepOnly(fingerprints_);
    first_ = first;
    last_ = last;
    done_ = std::move(done);
    recognised_.clear();
    for (int page = first; page <= last; ++page)
        if (!kept_.find(fingerprints_[size_t(page - 1)])) recognised_.push_back(page);
    recognition_ = std::make_unique<ocr::BookRecognition>(book, recognised_, window_.pages(), settings());
    connect(recognition_.get(), &ocr::BookRecognition::progress, this, &BookOcrRun::showProgress);
    connect(recognition_.get(), &ocr::BookRecognition::finished, this, &BookOcrRun::end);
    showProgress(0, int(recognised_.size()));
    progress_->show();
    recognition_->start();
}

void BookOcrRun::cancel() {
    if (recognition_) recognition_->cancel();
}

void BookOcrRun::showProgress(int done, int total) {
    bar_->setRange(0, std::max(total, 1));
    bar_->setValue(done);
    bar_->setFormat(ocr::progressText(done, total));
}

void BookOcrRun::end(bool complete) {
    progress_->hide();
    ocr::BookRecognition* ended = recognition_.release();
    ended->deleteLater();  // it is still sending this signal
    keepNewPages(ended->pages());
    if (!ended->failure().isEmpty()) window_.prompter().critical(ended->failure(), kAppTitle);
    if (complete) done_(pagesOfRange(ended->pages()));
    done_ = nullptr;
    emit finished(complete);
}

// Keeps what was read of pages whose picture did not change while the run
// went on.
void BookOcrRun::keepNewPages(const std::vector<ocr::BookPage>& recognised) {
    const std::vector<QByteArray> now = ocr::pageFingerprints(window_.oleImgEdit1().Image());
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
