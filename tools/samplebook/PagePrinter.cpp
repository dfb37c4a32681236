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

    for (int imageNumber = 1; imageNumber <= options.pageCount; ++imageNumber) {
        const PageKind kind = options.kindOfPage(imageNumber);
        PrintedPage page;
        if (options.spreads) {
            page = printSpreadImage(imageNumber, composer, renderer, kind);
        } else {
            const PageText text = composer.composePage(imageNumber);
            page = {imageNumber, text.plainText(), renderer.render(text, kind)};
        }

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

// Image 1 is book page 1, the title page; image n shows pages 2n - 2 and
// 2n - 1, as a reader numbers an open book.
PrintedPage PagePrinter::printSpreadImage(int imageNumber, BookTextComposer& composer,
                                          const TextPageRenderer& renderer, PageKind kind)
{
    if (imageNumber == 1) {
        const QStringList title{QStringLiteral("Probebuch"), QStringLiteral("Deutsche Sätze auf Doppelseiten"),
                                QStringLiteral("gesetzt von palvenor-samplebook")};
        return {imageNumber, title.join(QLatin1Char('\n')) + QLatin1Char('\n'), renderer.renderTitle(title, kind)};
    }
    const PageText left = composer.composePage(2 * imageNumber - 2);
    const PageText right = composer.composePage(2 * imageNumber - 1);
    return {imageNumber, left.plainText() + right.plainText(), renderer.renderSpread(left, right, kind)};
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
