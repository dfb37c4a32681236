#pragma once

// One OCR job on the shared German model: prepares the picture as the
// options ask, recognises it and collects the result items.

#include "OcrRecords.h"

#include <QImage>
#include <QSize>

#include <atomic>
#include <stdexcept>

namespace palvenor::ocr {

class TesseractModels;

// A job that could not be done; what() is the German reason for the user.
struct RecognitionFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Loads the German model unless it is loaded; false when its language data
// is missing. kMissingModel says so to the user.
bool loadRecogniser();
inline constexpr const char* kMissingModel = "Die deutschen Sprachdaten (deu) für die Texterkennung fehlen.";

// The resolution of a picture in pixels per inch; 300 where it has none.
QSize pixelsPerInch(const QImage& picture);

// Recognises the picture with the shared models; throws
// RecognitionFailure. Setting cancelled makes a running recognition stop
// early with what it has found so far. The job is taken to run alone: the
// automatic choice of the model reads its trial lines with two models at
// once.
Results recognisePicture(const QImage& picture, const ProcessOptions& options, const std::atomic<bool>& cancelled);
// The same with models the calling thread has to itself, on that thread
// alone: other jobs have the other cores.
Results recognisePicture(TesseractModels& models, const QImage& picture, const ProcessOptions& options,
                         const std::atomic<bool>& cancelled);

// Keeps Tesseract's OpenMP loops on the calling thread, each loop an
// inactive parallel region. On two cores the extra OpenMP threads make a
// page five times slower (0.7 s against 3.6 s for a full page); the
// runtime reads OMP_THREAD_LIMIT only when it loads, before main(), but
// the nesting limit is a setting of each thread: every worker calls this.
void keepRecognitionOnThisThread();

}  // namespace palvenor::ocr
