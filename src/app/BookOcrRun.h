#pragma once

#include "BookRecognition.h"
#include "RecognisedPages.h"

#include <QObject>

#include <functional>
#include <memory>
#include <thread>
#include <vector>

class QProgressBar;
class QPushButton;
class QWidget;

namespace palvenor {

class OcrService;
class frmSample;

// The whole-book recognition of one book window: the pages recognised so
// far, the run going on in the background, and its progress bar with the
// cancel button in the window's status bar. The window stays usable while
// the run goes on: the pages' fingerprints, which read every picture of the
// book, are taken on a thread of their own before and after it. It lives
// as a child of the window and goes with it; a run going on then is
// cancelled.
class BookOcrRun : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const std::vector<ocr::BookPage>&)>;

    BookOcrRun(frmSample& window, OcrService& ocr);
    ~BookOcrRun() override;
    static BookOcrRun* of(frmSample& window);

    bool running() const { return busy_; }
    // Recognises image pages first..last of the window's book with the OCR
    // window's settings, all but those kept from an earlier run whose
    // picture is unchanged, then calls done with the pages of the range in
    // order, labelled by the window's page model. done is not called when
    // the run is cancelled; a failure is told.
    void recognise(int first, int last, Done done);
    void cancel();
    // The pages the last run had to recognise, kept ones left out.
    const std::vector<int>& lastRecognised() const { return recognised_; }

signals:
    void finished(bool complete);

private:
    using Fingerprints = std::vector<QByteArray>;

    void buildProgress();
    ocr::BookRecognitionSettings settings();
    void fingerprintBook(std::function<void(const Fingerprints&)> then);
    void start(const Fingerprints& fingerprints);
    void showProgress(int done, int total);
    void end(bool complete);
    void finish(const std::vector<ocr::BookPage>& recognised, const QString& failure, const Fingerprints& now,
                bool complete);
    void keepNewPages(const std::vector<ocr::BookPage>& recognised, const Fingerprints& now);
    std::vector<ocr::BookPage> pagesOfRange(const std::vector<ocr::BookPage>& recognised) const;

    frmSample& window_;
    OcrService& ocr_;
    ocr::RecognisedPages kept_;
    std::unique_ptr<ocr::BookRecognition> recognition_;
    std::jthread fingerprinting_;
    bool busy_ = false;       // from the start of a run until its end is told
    bool cancelled_ = false;  // before the recognition began
    QString book_;
    Fingerprints fingerprints_;  // of the book's pages when the run began
    std::vector<int> recognised_;
    int first_ = 0;
    int last_ = 0;
    Done done_;
    QWidget* progress_ = nullptr;
    QProgressBar* bar_ = nullptr;
};

}  // namespace palvenor
