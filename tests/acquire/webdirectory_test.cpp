#include "Inet.h"
#include "WebDirectory.h"

#include <gtest/gtest.h>

using namespace palvenor::acquire;

TEST(LinkRules, TheExtensionIsComparedWithExactCaseAndFoldersAreTrimmed) {
    const QString page = QStringLiteral(
        "<a href=\"a.jpg\">a</a> <A HREF=\"b.JPG\">b</A> <a Href=\"/dir/c.jpg\">c</a> <a href=\"x.png\">x</a>");
    EXPECT_EQ(linksOfType(page, QStringLiteral(".jpg")), (QStringList{"a.jpg", "c.jpg"}));
}

TEST(LinkRules, TheSlashRuleLooksFromTheSecondCharacterOn) {
    const QString page = QStringLiteral(
        "href=\"/bilder/a.jpg\" href=\"bilder/a.jpg\" href=\"/a.jpg\" href=\"a/b/c.jpg\"");
    EXPECT_EQ(linksOfType(page, QStringLiteral(".jpg")), (QStringList{"a.jpg", "a.jpg", "/a.jpg", "b/c.jpg"}));
}

TEST(LinkRules, AnEmptyLinkIsAnEntryAndAnUnclosedOneEndsThePage) {
    EXPECT_EQ(linksOfType(QStringLiteral("href=\"\" href=\"a.jpg\" href=\"b.jpg"), QStringLiteral(".jpg")),
              (QStringList{"", "a.jpg"}));
}

TEST(LinkRules, ImageTypesPassAsPartOfTheListInAnyCase) {
    for (const char* type : {".jpg", ".JPG", "gif", "", ".tif"}) EXPECT_TRUE(isImageType(QString::fromUtf8(type)));
    for (const char* type : {".bmp", ".jpeg", "jpg.png"}) EXPECT_FALSE(isImageType(QString::fromUtf8(type)));
}

TEST(LinkRules, HttpAndHttpsInAnyCaseAreWebAddresses) {
    for (const char* address : {"http://h/", "HTTP://h/", "https://h/", "HtTpS://h/"})
        EXPECT_TRUE(isWebAddress(QString::fromUtf8(address)));
    for (const char* source : {"/srv/bilder/", "C:\\Scans\\", "ftp://h/"})
        EXPECT_FALSE(isWebAddress(QString::fromUtf8(source)));
}

TEST(HtmlSniff, OnlyTheFirst255BytesOfA2550ByteFileCount) {
    QByteArray early(3000, 'x');
    early.replace(100, 6, "<html>");
    QByteArray late(3000, 'x');
    late.replace(400, 6, "<html>");
    EXPECT_TRUE(isErrorPage(early, QStringLiteral(".jpg")));
    EXPECT_FALSE(isErrorPage(late, QStringLiteral(".jpg")));
}

TEST(HtmlSniff, AFileShorterThan2550BytesIsSampledWhole) {
    QByteArray small(2549, 'x');
    small.replace(2000, 6, "<HTML>");
    EXPECT_TRUE(isErrorPage(small, QStringLiteral(".gif")));
    QByteArray large(2550, 'x');
    large.replace(2000, 6, "<HTML>");
    EXPECT_FALSE(isErrorPage(large, QStringLiteral(".gif")));
}

TEST(HtmlSniff, AnHtmlFileAskedForAlwaysStays) {
    EXPECT_FALSE(isErrorPage("<html></html>", QStringLiteral(".htm")));
    EXPECT_FALSE(isErrorPage("<html></html>", QStringLiteral(".HTML")));
}

TEST(StartNumber, TheLeadingNumberRoundedHalfToEven) {
    EXPECT_EQ(startNumber(QStringLiteral("12,7")), 12);
    EXPECT_EQ(startNumber(QStringLiteral("abc")), 0);
    EXPECT_EQ(startNumber(QStringLiteral("")), 0);
    EXPECT_EQ(startNumber(QStringLiteral(" 7")), 7);
    EXPECT_EQ(startNumber(QStringLiteral("2.5")), 2);
    EXPECT_EQ(startNumber(QStringLiteral("3.5x")), 4);
    EXPECT_EQ(startNumber(QStringLiteral("-32768")), -32768);
    EXPECT_EQ(startNumber(QStringLiteral("32767")), 32767);
}

TEST(StartNumber, ANumberBeyondSixteenBitsIsRefused) {
    EXPECT_EQ(startNumber(QStringLiteral("32768")), std::nullopt);
    EXPECT_EQ(startNumber(QStringLiteral("-32769")), std::nullopt);
    EXPECT_EQ(startNumber(QStringLiteral("99999999999")), std::nullopt);
}

TEST(LocalNames, BlanksForPercent20AndTheLastPartOfAPath) {
    EXPECT_EQ(localName(QStringLiteral("a%20b%20c.jpg")), QStringLiteral("a b c.jpg"));
    EXPECT_EQ(localName(QStringLiteral("b/c.jpg")), QStringLiteral("c.jpg"));
}

TEST(LocalNames, NamesThatLeaveTheFolderAreRefused) {
    for (const char* name : {"../a.jpg", "x/../../a.jpg", "/etc/a.jpg", "\\a.jpg", "C:a.jpg", "c:\\a.jpg",
                             "..\\a.jpg", "", "x/", ".."})
        EXPECT_EQ(localName(QString::fromUtf8(name)), std::nullopt) << name;
}

TEST(TransferStates, EveryNumberHasItsText) {
    const char* texts[] = {"(0) None ",
                           "(1) Resolving Host ",
                           "(2) Host Resolved ",
                           "(3) Connecting ",
                           "(4) Connected ",
                           "(5) Requesting ",
                           "(6) Request Sent ",
                           "(7) Receiving Response ",
                           "(8) Response Received ",
                           "(9) Disconnecting ",
                           "(10) Disconnected ",
                           "(11) Error ",
                           "(12) Completed"};
    for (int state = 0; state <= 12; ++state) EXPECT_EQ(Inet::stateText(state), QString::fromUtf8(texts[state]));
    EXPECT_EQ(Inet::stateText(13), QString());
    EXPECT_EQ(Inet::stateText(-1), QString());
}
