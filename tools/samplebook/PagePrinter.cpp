#include "PagePrinter.h"

#include "GermanTextSource.h"
#include "TextPageRenderer.h"

#include <utility>

PagePrinter::PagePrinter(const SampleBookOptions& options, const QFont& font, const PageGeometry& geometry,
                         QStringList contentWords)
    : m_thread(&PagePrinter::run, this, options, font, geometry, std::move(contentWords))
{
}

PagePrinter::~PagePrinter()
{
    {
        const std::lock_guard lock(m_mutex);
        m_cancelled = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void PagePrinter::run(SampleBookOptions options, QFont font, PageGeometry geometry, QStringList contentWords)
{
    GermanTextSource text(options.seed, std::move(contentWords));
    BookTextComposer composer(text, font, geometry);
    const TextPageRenderer renderer(font, geometry, composer.lineSpacing());

    for (int pageNumber = 1; pageNumber <= options.pageCount; ++pageNumber) {
        PrintedPage page;
        page.text = composer.composePage(pageNumber);
        page.image = renderer.render(page.text, options.kindOfPage(pageNumber));

        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_cancelled || m_ready.size() < kPagesAhead; });
        if (m_cancelled)
            return;
        m_ready.push_back(std::move(page));
        lock.unlock();
        m_changed.notify_all();
    }
    {
        const std::lock_guard lock(m_mutex);
        m_finished = true;
    }
    m_changed.notify_all();
}

std::optional<PrintedPage> PagePrinter::next()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_finished || !m_ready.empty(); });
    if (m_ready.empty())
        return std::nullopt;
    PrintedPage page = std::move(m_ready.front());
    m_ready.pop_front();
    lock.unlock();
    m_changed.notify_all();
    return page;
}
