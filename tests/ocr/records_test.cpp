// The records exchanged with the OCR engine, byte for byte.

#include "OcrRecords.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace palvenor::ocr;

namespace {

// Little-endian fields read straight from the bytes, independent of the
// code under test.
int16_t i16At(const QByteArray& bytes, int offset)
{
    return int16_t(uint8_t(bytes[offset]) | uint8_t(bytes[offset + 1]) << 8);
}

uint32_t u32At(const QByteArray& bytes, int offset)
{
    return uint32_t(uint8_t(bytes[offset])) | uint32_t(uint8_t(bytes[offset + 1])) << 8 |
           uint32_t(uint8_t(bytes[offset + 2])) << 16 | uint32_t(uint8_t(bytes[offset + 3])) << 24;
}

int32_t i32At(const QByteArray& bytes, int offset)
{
    return int32_t(u32At(bytes, offset));
}

float f32At(const QByteArray& bytes, int offset)
{
    const uint32_t raw = u32At(bytes, offset);
    float value = 0;
    std::memcpy(&value, &raw, sizeof value);
    return value;
}

// Every field a different value, so a field at the wrong place shows.
ProcessOptions distinctOptions()
{
    ProcessOptions options;
    options.StructId = 0x01020304;
    options.InvertWholePage = -1;
    options.DeskewOff = 0x0506;
    options.Orientation = 0xAB;
    options.Language = uint8_t(OcrLanguage::GermanAndFraktur);
    options.NoiseRemoveOff = 0x0708;
    options.LineRemoveOff = 0x090A;
    options.DeshadeOff = 0x0B0C;
    options.InvertOff = 0x0D0E;
    options.SectioningOn = 0x0F10;
    options.MergeBreakOff = 0x1112;
    options.LineRejectOff = 0x1314;
    options.CharacterRejectOff = 0x1516;
    options.LexOff = -2;
    for (size_t code = 0; code < options.DisableCharacter.size(); ++code)
        options.DisableCharacter[code] = int16_t(1000 + code);
    return options;
}

ResultsHeader distinctHeader()
{
    ResultsHeader header;
    header.StructId = 7;
    header.XPixelsPerInch = 300;
    header.YPixelsPerInch = 600;
    header.NumItems = 0x12345678;
    header.MeanConfidence = 0.875f;
    return header;
}

ResultsItem distinctItem(int16_t code)
{
    ResultsItem item;
    item.StructId = 3;
    item.OCRCha = code;
    item.Confidence = 0.625f;
    item.XPos = -5;
    item.YPos = 32767;
    item.XDim = 0x0102;
    item.YDim = -32768;
    return item;
}

}  // namespace

TEST(OcrRecords, ProcessOptionsLieAtTheirOffsets)
{
    const QByteArray bytes = toBytes(distinctOptions());
    ASSERT_EQ(bytes.size(), 540);
    EXPECT_EQ(i32At(bytes, 0), 0x01020304);
    EXPECT_EQ(i16At(bytes, 4), -1);
    EXPECT_EQ(i16At(bytes, 6), 0x0506);
    EXPECT_EQ(uint8_t(bytes[8]), 0xAB);
    EXPECT_EQ(bytes[9], 3) << "language";
    EXPECT_EQ(i16At(bytes, 10), 0x0708);
    EXPECT_EQ(i16At(bytes, 12), 0x090A);
    EXPECT_EQ(i16At(bytes, 14), 0x0B0C);
    EXPECT_EQ(i16At(bytes, 16), 0x0D0E);
    EXPECT_EQ(i16At(bytes, 18), 0x0F10);
    EXPECT_EQ(i16At(bytes, 20), 0x1112);
    EXPECT_EQ(i16At(bytes, 22), 0x1314);
    EXPECT_EQ(i16At(bytes, 24), 0x1516);
    EXPECT_EQ(i16At(bytes, 26), -2);
    for (int code = 0; code < 256; ++code)
        ASSERT_EQ(i16At(bytes, 28 + 2 * code), 1000 + code) << "DisableCharacter " << code;
}

TEST(OcrRecords, JobInfoCarriesTheOptionsFromOffset16)
{
    JobInfo job;
    job.StructId = -7;
    job.JobType = JobInfo::kClipboardJob;
    job.InputFile = 0xDEADBEEF;
    job.PageNo = 0x00C0FFEE;
    job.Options = distinctOptions();
    const QByteArray bytes = toBytes(job);
    ASSERT_EQ(bytes.size(), 556);
    EXPECT_EQ(i32At(bytes, 0), -7);
    EXPECT_EQ(i32At(bytes, 4), 2);
    EXPECT_EQ(u32At(bytes, 8), 0xDEADBEEFu);
    EXPECT_EQ(i32At(bytes, 12), 0x00C0FFEE);
    EXPECT_EQ(bytes.mid(16), toBytes(job.Options));
}

TEST(OcrRecords, ResultsHeaderAndItemLieAtTheirOffsets)
{
    const QByteArray header = toBytes(distinctHeader());
    ASSERT_EQ(header.size(), 20);
    EXPECT_EQ(i32At(header, 0), 7);
    EXPECT_EQ(i32At(header, 4), 300);
    EXPECT_EQ(i32At(header, 8), 600);
    EXPECT_EQ(i32At(header, 12), 0x12345678);
    EXPECT_EQ(f32At(header, 16), 0.875f);

    const QByteArray item = toBytes(distinctItem('A'));
    ASSERT_EQ(item.size(), 16);
    EXPECT_EQ(i16At(item, 0), 3);
    EXPECT_EQ(i16At(item, 2), 'A');
    EXPECT_EQ(f32At(item, 4), 0.625f);
    EXPECT_EQ(i16At(item, 8), -5);
    EXPECT_EQ(i16At(item, 10), 32767);
    EXPECT_EQ(i16At(item, 12), 0x0102);
    EXPECT_EQ(i16At(item, 14), -32768);
}

TEST(OcrRecords, EveryRecordSurvivesTheTripThroughBytes)
{
    ProcessOptions options;
    ASSERT_TRUE(fromBytes(toBytes(distinctOptions()), &options));
    EXPECT_EQ(toBytes(options), toBytes(distinctOptions()));

    JobInfo job;
    job.InputFile = 42;
    job.Options = distinctOptions();
    JobInfo read;
    ASSERT_TRUE(fromBytes(toBytes(job), &read));
    EXPECT_EQ(toBytes(read), toBytes(job));

    ResultsHeader header;
    ASSERT_TRUE(fromBytes(toBytes(distinctHeader()), &header));
    EXPECT_EQ(toBytes(header), toBytes(distinctHeader()));

    ResultsItem item;
    ASSERT_TRUE(fromBytes(toBytes(distinctItem(13)), &item));
    EXPECT_EQ(toBytes(item), toBytes(distinctItem(13)));
}

TEST(OcrRecords, BytesOfTheWrongSizeAreRefused)
{
    ProcessOptions options;
    options.LexOff = kOcrTrue;
    EXPECT_FALSE(fromBytes(toBytes(distinctOptions()).chopped(1), &options));
    EXPECT_EQ(options.LexOff, kOcrTrue) << "a refused read leaves the record alone";
    JobInfo job;
    EXPECT_FALSE(fromBytes(toBytes(job) + '\0', &job));
    ResultsHeader header;
    EXPECT_FALSE(fromBytes(QByteArray(19, '\0'), &header));
    ResultsItem item;
    EXPECT_FALSE(fromBytes(QByteArray(), &item));
}

TEST(OcrRecords, TheByteAfterTheOrientationCarriesTheLanguage)
{
    QByteArray bytes = toBytes(ProcessOptions{});
    EXPECT_EQ(bytes[9], 0) << "a record that names no language asks for the automatic choice";
    bytes[9] = char(OcrLanguage::Fraktur);
    ProcessOptions options;
    ASSERT_TRUE(fromBytes(bytes, &options));
    EXPECT_EQ(options.Language, uint8_t(OcrLanguage::Fraktur));
}

TEST(UnpackResults, ABlockShorterThanAHeaderHasNoResults)
{
    EXPECT_FALSE(unpackResults(QByteArray()).has_value());
    EXPECT_FALSE(unpackResults(toBytes(distinctHeader()).chopped(1)).has_value());
}

TEST(UnpackResults, AHeaderAloneHasNoItemsWhateverItClaims)
{
    const auto results = unpackResults(toBytes(distinctHeader()));
    ASSERT_TRUE(results.has_value());
    EXPECT_EQ(results->header.StructId, 7);
    EXPECT_EQ(results->header.YPixelsPerInch, 600);
    EXPECT_EQ(results->header.MeanConfidence, 0.875f);
    EXPECT_EQ(results->header.NumItems, 0);
    EXPECT_TRUE(results->items.empty());
}

TEST(UnpackResults, OnlyWholeItemsCount)
{
    const QByteArray block = toBytes(distinctHeader()) + toBytes(distinctItem('a')) + toBytes(distinctItem('b')) +
                             toBytes(distinctItem('c')).left(7);
    const auto results = unpackResults(block);
    ASSERT_TRUE(results.has_value());
    ASSERT_EQ(results->items.size(), 2u);
    EXPECT_EQ(results->header.NumItems, 2);
    EXPECT_EQ(results->items[0].OCRCha, 'a');
    EXPECT_EQ(results->items[1].OCRCha, 'b');
    EXPECT_EQ(toBytes(results->items[1]), toBytes(distinctItem('b')));
}

TEST(UnpackResults, PackedResultsComeBackAsTheyWere)
{
    Results results;
    results.header = distinctHeader();
    results.items = {distinctItem('x'), distinctItem(kSpace), distinctItem(kLineEnd)};
    results.header.NumItems = 3;
    const QByteArray block = packResults(results);
    ASSERT_EQ(block.size(), 20 + 3 * 16);
    const auto unpacked = unpackResults(block);
    ASSERT_TRUE(unpacked.has_value());
    EXPECT_EQ(packResults(*unpacked), block);
}
