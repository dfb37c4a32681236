#pragma once

// The records exchanged with the OCR engine layer. On the wire they are
// little-endian and packed exactly as listed next to each field (byte
// offsets); in memory they are plain structs, converted by toBytes/fromBytes.

#include <QByteArray>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace palvenor::ocr {

// Flags of the records: 0 is false, -1 is true.
constexpr int16_t kOcrTrue = -1;
constexpr int16_t kOcrFalse = 0;
// A flag of the records is set when it is anything but false.
constexpr bool isSet(int16_t flag) { return flag != kOcrFalse; }

// Orientation values of the options besides the quarter turns 1, 2, 3.
constexpr uint8_t kDetectOrientation = 0;
constexpr uint8_t kNeverRotate = 255;
constexpr bool isOrientation(double value) {
    return value == kDetectOrientation || value == 1 || value == 2 || value == 3 || value == kNeverRotate;
}

// The language models a job reads with. Automatic, 0, is the value of a
// record that names none: the engine then chooses for each job.
enum class OcrLanguage : uint8_t {
    Automatic = 0,
    German = 1,
    Fraktur = 2,
    GermanAndFraktur = 3,
};

struct ProcessOptions {                       // 540 bytes
    int32_t StructId = 0;                     // 0
    int16_t InvertWholePage = kOcrFalse;      // 4
    int16_t DeskewOff = kOcrFalse;            // 6
    uint8_t Orientation = 0;                  // 8
    uint8_t Language = 0;                     // 9, the model to read with (OcrLanguage)
    int16_t NoiseRemoveOff = kOcrFalse;       // 10
    int16_t LineRemoveOff = kOcrFalse;        // 12
    int16_t DeshadeOff = kOcrFalse;           // 14
    int16_t InvertOff = kOcrFalse;            // 16
    int16_t SectioningOn = kOcrFalse;         // 18
    int16_t MergeBreakOff = kOcrFalse;        // 20
    int16_t LineRejectOff = kOcrFalse;        // 22
    int16_t CharacterRejectOff = kOcrFalse;   // 24
    int16_t LexOff = kOcrFalse;               // 26
    std::array<int16_t, 256> DisableCharacter{};  // 28, by Windows-1252 code

    static constexpr int kSize = 540;
};

struct JobInfo {                  // 556 bytes
    int32_t StructId = 0;         // 0
    int32_t JobType = 2;          // 4; 2 = a DIB taken from the clipboard
    uint32_t InputFile = 0;       // 8; a 4-byte slot, 0 = no input file
    int32_t PageNo = 0;           // 12
    ProcessOptions Options;       // 16

    static constexpr int kSize = 556;
    static constexpr int32_t kClipboardJob = 2;
};

struct ResultsHeader {            // 20 bytes
    int32_t StructId = 0;         // 0, must be 0
    int32_t XPixelsPerInch = 0;   // 4
    int32_t YPixelsPerInch = 0;   // 8
    int32_t NumItems = 0;         // 12
    float MeanConfidence = 0;     // 16

    static constexpr int kSize = 20;
};

struct ResultsItem {              // 16 bytes
    int16_t StructId = 0;         // 0, must be 0
    int16_t OCRCha = 0;           // 2; Windows-1252 code, 32 = space, 13 = line end
    float Confidence = 0;         // 4; 0..1
    int16_t XPos = 0;             // 8; left edge, pixels
    int16_t YPos = 0;             // 10; top edge, pixels
    int16_t XDim = 0;             // 12; width, pixels
    int16_t YDim = 0;             // 14; height, pixels

    static constexpr int kSize = 16;
};

// The results of the last job: the header and its items.
struct Results {
    ResultsHeader header;
    std::vector<ResultsItem> items;
};

constexpr int16_t kSpace = 32;
constexpr int16_t kLineEnd = 13;

// Each record as its exact wire bytes.
QByteArray toBytes(const ProcessOptions& options);
QByteArray toBytes(const JobInfo& job);
QByteArray toBytes(const ResultsHeader& header);
QByteArray toBytes(const ResultsItem& item);

// Reads a record from its wire bytes; false (and *out untouched) when
// bytes is not exactly the record's size.
bool fromBytes(const QByteArray& bytes, ProcessOptions* out);
bool fromBytes(const QByteArray& bytes, JobInfo* out);
bool fromBytes(const QByteArray& bytes, ResultsHeader* out);
bool fromBytes(const QByteArray& bytes, ResultsItem* out);

// The results block as the engine hands it out: the header, then the items.
QByteArray packResults(const Results& results);

// Splits a results block without reading past its end: nullopt when it is
// shorter than a header; otherwise the header and every whole item present
// (a trailing partial item is left out). NumItems is set to the number of
// items present, whatever the block claimed, so no reader of the results
// runs past them.
std::optional<Results> unpackResults(const QByteArray& block);

}  // namespace palvenor::ocr
