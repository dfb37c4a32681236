#pragma once

// Recognises pages of a book in the background: a pool of workers, one per
// core, each reading its pages with Tesseract models of its own on one
// thread. The recognised pages are formatted on the thread that owns the
// recognition, which must be the GUI thread (the formatter lays the text
// out in a text box), and which also gets the signals: a window keeps working while
// the book is read, a command-line tool runs its event loop until
// finished().

#include "BookPageLabels.h"
#include "OcrRecords.h"
#include "frmOCR.h"

#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

class QTextEdit;

namespace palvenor::ocr {

// A recognised word where it stands on the page image, after the repairs
// that keep words in their lines (brackets, "3-fach"; no joining across
// line ends).
struct BookWord {
    QString text;
    QRect box;               // image pixels
    float confidence = 0;    // the lowest of its characters, 0..1
    int line = 0;            // counted from 0 in reading order
};

struct BookPage {
    int imagePage = 0;
    PageLabel label;
    QSize size;              // image pixels
    QSize dotsPerInch;
    std::vector<BookWord> words;
    QString text;            // formatted as in the OCR window
};

struct BookRecognitionSettings {
    ProcessOptions process;  // Language chooses the model
    FormatOptions format;
    QString lexicon;         // the text of "Lexikon.txt"; empty: none
    int workers = 0;         // 0: one per core
};

// "Seite 12 von 300"
QString progressText(int done, int total);

class BookRecognition : public QObject {
    Q_OBJECT
public:
    // imagePages: the pages to recognise, 1-based, in the order of pages().
    BookRecognition(QString bookPath, std::vector<int> imagePages, const PageModel& pageModel,
                    BookRecognitionSettings settings, QObject* parent = nullptr);
    // Cancels a run and waits for its workers.
    ~BookRecognition() override;

    void start();
    // Starts the run and waits for finished() in an event loop of its own,
    // for callers that have none running; true when every page is read.
    bool runToEnd();
    // The workers stop after the pages they are reading; finished() follows.
    void cancel();

    // One entry per image page asked for; an entry whose imagePage is 0 is
    // not recognised yet.
    const std::vector<BookPage>& pages() const { return pages_; }
    int pagesDone() const { return done_; }
    // Why the run failed; empty unless finished() said so.
    const QString& failure() const { return failure_; }

signals:
    void progress(int done, int total);
    void pageRecognised(int index);
    // complete: every page is recognised; otherwise the run was cancelled
    // or failed (failure() says why).
    void finished(bool complete);

private:
    void work();
    void deliver(int index, const Results& results, QSize size);
    void fail(const QString& reason);
    void workerEnded();
    void joinWorkers();

    QString bookPath_;
    std::vector<int> imagePages_;
    std::vector<PageLabel> labels_;
    BookRecognitionSettings settings_;
    std::vector<BookPage> pages_;
    std::vector<std::thread> workers_;
    std::atomic<size_t> next_{0};
    std::atomic<bool> cancelled_{false};
    int running_ = 0;
    int done_ = 0;
    QString failure_;
    std::unique_ptr<QTextEdit> formatBox_;
};

}  // namespace palvenor::ocr
