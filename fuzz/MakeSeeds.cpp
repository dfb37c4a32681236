// Writes the seed inputs of the fuzz targets that take no book files: one
// annotation block of every kind, results blocks and open requests.
// Usage: MakeSeeds CORPUS-FOLDER

#include "AnnotationTag.h"
#include "OcrRecords.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <cstdlib>

using namespace palvenor;

namespace {

bool writeSeed(const QString& folder, const QString& name, const QByteArray& bytes)
{
    QDir().mkpath(folder);
    QFile file(QDir(folder).filePath(name));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray annotationsOfEveryKind()
{
    std::vector<imaging::Annotation> annotations;
    for (int kind = 0; kind <= int(imaging::AnnotationKind::LinkedPicture); ++kind) {
        imaging::Annotation a;
        a.kind = imaging::AnnotationKind(kind);
        a.points = {QPointF(1, 2), QPointF(30, 40), QPointF(5, 60)};
        a.box = QRectF(10, 20, 300, 40);
        a.text = QStringLiteral("Anmerkung ä");
        a.pictureFile = QStringLiteral("/tmp/bild.png");
        annotations.push_back(a);
    }
    return imaging::encodeAnnotations(annotations);
}

QByteArray resultsBlock(int items)
{
    ocr::Results results;
    results.header.XPixelsPerInch = results.header.YPixelsPerInch = 300;
    results.header.NumItems = items;
    for (int i = 0; i < items; ++i) {
        ocr::ResultsItem item;
        item.OCRCha = int16_t(i % 5 == 4 ? ocr::kSpace : 'a' + i % 26);
        item.XPos = int16_t(10 * i);
        item.XDim = item.YDim = 9;
        results.items.push_back(item);
    }
    return ocr::packResults(results);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication application(argc, argv);
    const QDir corpus(QString::fromLocal8Bit(argv[1]));
    const QString annotations = corpus.filePath(QStringLiteral("Annotations"));
    const QString results = corpus.filePath(QStringLiteral("OcrResults"));
    const QString requests = corpus.filePath(QStringLiteral("OpenRequest"));
    const bool written =
        writeSeed(annotations, QStringLiteral("every-kind"), annotationsOfEveryKind()) &&
        writeSeed(results, QStringLiteral("empty"), resultsBlock(0)) &&
        writeSeed(results, QStringLiteral("one-line"), resultsBlock(12)) &&
        writeSeed(requests, QStringLiteral("path"), "/tmp/buch.tif") &&
        writeSeed(requests, QStringLiteral("quoted-page"), "\"/tmp/mein buch.tif\"/12") &&
        writeSeed(requests, QStringLiteral("new"), "NEU:/tmp/buch.tif");
    return written ? 0 : 1;
}
