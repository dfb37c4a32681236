#pragma once

#include "BookTextComposer.h"
#include "SampleBookOptions.h"

#include <QFont>
#include <QImage>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

class TextPageRenderer;

// An image of the book as it leaves the press: its place in the file, the
// text printed on it and the image itself.
struct PrintedPage {
    int imageNumber = 0;
    QString truth;  // the printed text, as PageText::plainText gives it
    QImage image;
};

// Composes and renders the images of the book in order on a background thread,
// a few pages ahead of the caller, so that printing overlaps with compressing
// and writing. The page sequence is the same as printing on one thread.
class PagePrinter {
public:
    PagePrinter(const SampleBookOptions& options, const QFont& font, const PageGeometry& geometry,
                QStringList contentWords);
    ~PagePrinter();
    PagePrinter(const PagePrinter&) = delete;
    PagePrinter& operator=(const PagePrinter&) = delete;

    // The next page, waiting for it if needed; nullopt after the last page.
    std::optional<PrintedPage> next();

private:
    void run(SampleBookOptions options, QFont font, PageGeometry geometry, QStringList contentWords);
    // Image n of a book of spreads: a title page, then two facing pages.
    static PrintedPage printSpreadImage(int imageNumber, BookTextComposer& composer,
                                        const TextPageRenderer& renderer, PageKind kind);

    static constexpr std::size_t kPagesAhead = 4;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<PrintedPage> m_ready;
    bool m_finished = false;
    bool m_cancelled = false;
    std::thread m_thread;
};
