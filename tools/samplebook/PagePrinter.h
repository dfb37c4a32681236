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

// A page as it leaves the press: its text and its image.
struct PrintedPage {
    PageText text;
    QImage image;
};

// Composes and renders the pages of the book in order on a background thread,
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

    static constexpr std::size_t kPagesAhead = 4;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<PrintedPage> m_ready;
    bool m_finished = false;
    bool m_cancelled = false;
    std::thread m_thread;
};
