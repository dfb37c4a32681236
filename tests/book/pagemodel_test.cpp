#include "Numeric.h"
#include "PageModel.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

using palvenor::numericValue;
using palvenor::PageModel;
using palvenor::toInt16;

TEST(Numeric, ReadsTheLeadingNumberLikeTypedText) {
    const std::pair<const char*, double> cases[] = {
        {"12", 12},    {"  7 ", 7},  {"+12", 12}, {"-3", -3},  {"12abc", 12}, {"abc", 0},
        {"", 0},       {"2.5", 2.5}, {"1e3", 1000}, {"1e", 1}, {"00", 0},     {"- 4", 0},
        {"99999", 99999}};
    for (const auto& [text, expected] : cases)
        EXPECT_DOUBLE_EQ(numericValue(QString::fromUtf8(text)), expected) << text;
}

// Sets the C library's numeric locale for one test and restores it after.
class NumericLocale {
public:
    explicit NumericLocale(const char* name) : previous_(std::setlocale(LC_NUMERIC, nullptr)) {
        active_ = std::setlocale(LC_NUMERIC, name) != nullptr;
    }
    ~NumericLocale() { std::setlocale(LC_NUMERIC, previous_.c_str()); }
    bool active() const { return active_; }

private:
    std::string previous_;
    bool active_ = false;
};

TEST(Numeric, ReadsAPointAsTheDecimalSeparatorUnderAGermanLocale) {
    const NumericLocale german("de_DE.UTF-8");
    if (!german.active()) GTEST_SKIP() << "the locale de_DE.UTF-8 is not installed";
    EXPECT_DOUBLE_EQ(numericValue(QStringLiteral("63.5%")), 63.5);
    EXPECT_DOUBLE_EQ(numericValue(QStringLiteral("2.5e1")), 25);
    EXPECT_DOUBLE_EQ(numericValue(QStringLiteral("7,5")), 7);
}

TEST(Numeric, SixteenBitConversionRoundsHalfToEvenAndClamps) {
    const std::pair<double, int> cases[] = {{0.5, 0},       {1.5, 2},        {2.5, 2},
                                            {-0.5, 0},      {-1.5, -2},      {3.4999, 3},
                                            {32767, 32767}, {32768, 32767},  {99999, 32767},
                                            {1e9, 32767},   {-32768, -32768}, {-1e9, -32768}};
    for (const auto& [value, expected] : cases) EXPECT_EQ(toInt16(value), expected) << value;
}

TEST(PageModel, BlattAndBuchseiteConvertBetweenSpreadsAndImages) {
    const std::pair<const char*, const char*> blatt[] = {
        {"0", "1"}, {"1", "1"}, {"2", "2"}, {"3", "2"}, {"4", "3"}, {"5", "3"}, {"2.5", "2"},
        {"-1", "0"}, {"x", "1"}};
    for (const auto& [in, out] : blatt)
        EXPECT_EQ(PageModel::Blatt(QString::fromUtf8(in)), QString::fromUtf8(out)) << in;
    const std::pair<const char*, const char*> base[] = {{"1", "0"}, {"2", "2"}, {"3", "4"},
                                                        {"0", "-2"}, {"32767", "65532"}};
    for (const auto& [in, out] : base)
        EXPECT_EQ(PageModel::buchseite(QString::fromUtf8(in)), QString::fromUtf8(out)) << in;
    EXPECT_EQ(PageModel::Blatt(QStringLiteral("99999")), QStringLiteral("16384"));
}

TEST(PageModel, FieldsAfterLoadingShowImagePageAndLeftBookPage) {
    PageModel model;
    const std::pair<int, int> shown[] = {{1, 0}, {2, 2}, {3, 4}, {10, 18}};
    for (const auto& [page, left] : shown) {
        model.refreshFields(page);
        EXPECT_EQ(model.seite(), QString::number(page));
        EXPECT_EQ(model.buchseiteField(), QString::number(left));
        EXPECT_EQ(model.shownDouble(page), left);
    }
    // Typed double-mode numbers map back to the spread holding them.
    const std::pair<int, int> typed[] = {{1, 1}, {2, 2}, {3, 2}, {4, 3}, {5, 3}, {0, 1}};
    for (const auto& [book, image] : typed) EXPECT_EQ(model.imagePageOfDouble(book), image) << book;
}

TEST(PageModel, OffsetInDoubleModeMakesTheCurrentSpreadShowTheEvenLeftPage) {
    PageModel model;
    model.setMode(PageModel::Mode::Double);
    model.OffsetSetzen(QStringLiteral("37"), 5);
    EXPECT_EQ(model.Versatz(), 27);
    EXPECT_EQ(model.Korrektur(), 1);
    EXPECT_EQ(model.buchseiteField(), QStringLiteral("36"));
    EXPECT_EQ(model.shownDouble(6), 38);
    EXPECT_EQ(model.imagePageOfDouble(36), 5);
    EXPECT_EQ(model.imagePageOfDouble(37), 5);
    EXPECT_EQ(model.imagePageOfDouble(38), 6);

    model.OffsetSetzen(QStringLiteral("36"), 5);
    EXPECT_EQ(model.buchseiteField(), QStringLiteral("36"));
}

TEST(PageModel, OffsetInSingleModeShiftsEveryPageAlike) {
    PageModel model;
    model.OffsetSetzen(QStringLiteral("37"), 5);
    EXPECT_EQ(model.Versatz(), 32);
    EXPECT_EQ(model.Korrektur(), 1);
    EXPECT_EQ(model.seite(), QStringLiteral("37"));
    EXPECT_EQ(model.shownSingle(6), 38);
    EXPECT_EQ(model.imagePageOfSingle(38), 6);
    // A leading plus sign is part of the number.
    model.OffsetSetzen(QStringLiteral("+12"), 2);
    EXPECT_EQ(model.Versatz(), 10);
    // The values of one mode are used unchanged by the other.
    model.setMode(PageModel::Mode::Double);
    model.refreshFields(2);
    EXPECT_EQ(model.buchseiteField(), QStringLiteral("13"));
}

TEST(PageModel, OffsetOfZeroEmptyNegativeOrTextResetsThePagination) {
    for (const char* entry : {"0", "", "abc", "-5"}) {
        PageModel model;
        model.OffsetSetzen(QStringLiteral("20"), 3);
        model.OffsetSetzen(QString::fromUtf8(entry), 3);
        EXPECT_EQ(model.Versatz(), 0) << entry;
        EXPECT_EQ(model.Korrektur(), 0) << entry;
        EXPECT_EQ(model.seite(), QStringLiteral("3")) << entry;
    }
}

TEST(PageModel, HugeOffsetsStayWithinSixteenBits) {
    PageModel model;
    model.OffsetSetzen(QStringLiteral("1e9"), 1);
    EXPECT_EQ(model.Versatz(), 32767);
    model.setMode(PageModel::Mode::Double);
    model.OffsetSetzen(QStringLiteral("99999"), 1);
    EXPECT_EQ(model.Versatz(), 32765);  // 2 * (16384 - 1) - 1
}
