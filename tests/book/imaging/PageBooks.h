#pragma once

// Sample books whose pages the page operations shuffle, and the means to
// tell from a result which source page each of its pages is: a copied page
// has the same raw strips as its source, and every source page differs from
// every other.

#include "PageAdmin.h"
#include "TiffFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

namespace palvenor::imaging::test {

class PageBooks : public ::testing::Test {
public:
    static void SetUpTestSuite()
    {
        shelf_ = std::make_unique<QTemporaryDir>();
        bookA_ = sampleBook(shelf_->filePath(QStringLiteral("a.tif")), 5, QStringLiteral("bw"), 11);
        bookB_ = sampleBook(shelf_->filePath(QStringLiteral("b.tif")), 3, QStringLiteral("bw"), 12);
        mixed_ = sampleBook(shelf_->filePath(QStringLiteral("m.tif")), 4, QStringLiteral("bw,grey,palette,rgb"), 13);
        known_.clear();
        label(bookA_, "A");
        label(bookB_, "B");
        label(mixed_, "M");
    }

    static void TearDownTestSuite()
    {
        known_.clear();
        shelf_.reset();
    }

protected:
    void SetUp() override
    {
        ASSERT_FALSE(bookA_.isEmpty());
        ASSERT_FALSE(bookB_.isEmpty());
        ASSERT_FALSE(mixed_.isEmpty());
        ASSERT_EQ(known_.size(), 12u) << "sample pages are not all different";
        book_ = folder_.filePath(QStringLiteral("book.tif"));
        ASSERT_TRUE(QFile::copy(bookA_, book_));
    }

    // The pages of a book as labels of the sample pages they are copies of
    // ("A1 B2 ..."), "?" for a page that is none of them.
    static std::string sequenceOf(const QString& path)
    {
        std::string text;
        for (const RawPage& page : rawPages(path)) {
            const auto it = known_.find(page);
            text += (text.empty() ? "" : " ") + (it == known_.end() ? std::string("?") : it->second);
        }
        return text;
    }

    // What pageNumberTags reads from a book of n pages as this program
    // writes them: none carries a page number.
    static std::string unnumberedPages(int n)
    {
        std::string text;
        for (int i = 0; i < n; ++i)
            text += i ? " -" : "-";
        return text;
    }

    static inline QString bookA_, bookB_, mixed_;  // 5 bw pages, 3 bw pages, bw-grey-palette-rgb
    QTemporaryDir folder_;  // holds only the book being changed
    QString book_;          // a copy of book A

private:
    static void label(const QString& path, const std::string& prefix)
    {
        const std::vector<RawPage> pages = rawPages(path);
        for (size_t i = 0; i < pages.size(); ++i)
            known_.emplace(pages[i], prefix + std::to_string(i + 1));
    }

    static inline std::unique_ptr<QTemporaryDir> shelf_;
    static inline std::map<RawPage, std::string> known_;
};

}  // namespace palvenor::imaging::test
