// palvenor-samplebook: writes a multi-page TIFF book of German text with the
// true text beside it, so that page handling and text recognition can be
// checked against known content.

#include "GermanTextSource.h"
#include "PagePrinter.h"
#include "SampleBookOptions.h"
#include "TiffBookWriter.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>

#include <iostream>
#include <optional>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 2;
constexpr int kLoosePages = 6;

const char* const kSerifFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf";
const char* const kGermanWordList = "/usr/share/dict/ngerman";

int fail(const QString& message)
{
    std::cerr << "palvenor-samplebook: " << message.toLocal8Bit().constData() << '\n';
    return kExitFailure;
}

// DejaVu Serif at 11 pt; at 300 dpi that is 46 pixels.
QFont bookFont(const PageGeometry& geometry)
{
    QString family = QStringLiteral("DejaVu Serif");
    const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(kSerifFontFile));
    if (id >= 0 && !QFontDatabase::applicationFontFamilies(id).isEmpty())
        family = QFontDatabase::applicationFontFamilies(id).constFirst();
    QFont font(family);
    font.setStyleHint(QFont::Serif);
    // No ligatures: "fl" stays two letters, as in the page text.
    font.setStyleStrategy(QFont::PreferNoShaping);
    font.setPixelSize(qRound(11.0 * geometry.dotsPerInch / 72.0));
    return font;
}

QImage forBmp(const QImage& page)
{
    return page.format() == QImage::Format_Mono ? page : page.convertToFormat(QImage::Format_RGB888);
}

// Loose pages cycle through PNG, JPEG and single-page TIFF.
bool saveLoosePage(const QImage& page, int pageNumber, const QString& dir)
{
    static const char* const suffixes[] = {"png", "jpg", "tif"};
    const char* suffix = suffixes[(pageNumber - 1) % 3];
    const QString name = QStringLiteral("seite%1.%2").arg(pageNumber, 3, 10, QLatin1Char('0')).arg(QLatin1String(suffix));
    const QString path = QDir(dir).filePath(name);
    if (qstrcmp(suffix, "tif") == 0) {
        TiffBookWriter single(path);
        return single.writePage(page, 0, 1) && single.finish();
    }
    if (qstrcmp(suffix, "jpg") == 0) {
        const QImage jpegReady = page.format() == QImage::Format_Mono || page.format() == QImage::Format_Indexed8
                                     ? page.convertToFormat(page.isGrayscale() ? QImage::Format_Grayscale8
                                                                               : QImage::Format_RGB888)
                                     : page;
        return jpegReady.save(path, "JPEG", 90);
    }
    return page.save(path, "PNG");
}

int generateSampleBook(const SampleBookOptions& options)
{
    TiffBookWriter book(options.tiffPath);
    if (!book.isOpen())
        return fail(QStringLiteral("Kann \"%1\" nicht zum Schreiben öffnen").arg(options.tiffPath));

    QFile truth(options.truthPath);
    if (!options.truthPath.isEmpty() && !truth.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return fail(QStringLiteral("Kann \"%1\" nicht schreiben: %2").arg(options.truthPath, truth.errorString()));

    if (!options.looseDir.isEmpty() && !QDir().mkpath(options.looseDir))
        return fail(QStringLiteral("Kann den Ordner \"%1\" nicht anlegen").arg(options.looseDir));

    const PageGeometry geometry =
        options.pageSize ? PageGeometry::ofSize(options.pageSize->width(), options.pageSize->height()) : PageGeometry{};
    PagePrinter printer(options, bookFont(geometry), geometry,
                        GermanTextSource::loadWordList(QString::fromLatin1(kGermanWordList)));

    while (const std::optional<PrintedPage> printed = printer.next()) {
        const int pageNumber = printed->imageNumber;
        const QImage& image = printed->image;

        if (!book.writePage(image, pageNumber - 1, options.pageCount))
            return fail(QStringLiteral("Fehler beim Schreiben von Seite %1 in \"%2\"").arg(pageNumber).arg(options.tiffPath));

        if (truth.isOpen()) {
            const QByteArray pageText = QByteArray(pageNumber > 1 ? "\f" : "") + printed->truth.toUtf8();
            if (truth.write(pageText) != pageText.size())
                return fail(QStringLiteral("Kann \"%1\" nicht schreiben: %2").arg(options.truthPath, truth.errorString()));
        }
        if (pageNumber == 1 && !options.bmpPath.isEmpty() && !forBmp(image).save(options.bmpPath, "BMP"))
            return fail(QStringLiteral("Kann \"%1\" nicht schreiben").arg(options.bmpPath));
        if (pageNumber <= kLoosePages && !options.looseDir.isEmpty() && !saveLoosePage(image, pageNumber, options.looseDir))
            return fail(QStringLiteral("Kann Seite %1 nicht in \"%2\" schreiben").arg(pageNumber).arg(options.looseDir));
    }

    if (!book.finish())
        return fail(QStringLiteral("Fehler beim Abschließen von \"%1\"").arg(options.tiffPath));
    if (truth.isOpen() && !truth.flush())
        return fail(QStringLiteral("Kann \"%1\" nicht schreiben: %2").arg(options.truthPath, truth.errorString()));
    return kExitOk;
}

} // namespace

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));

    QString error;
    const auto options = parseSampleBookOptions(arguments, &error);
    if (!options) {
        fail(error);
        std::cerr << "Hilfe: palvenor-samplebook --help\n";
        return kExitFailure;
    }
    if (options->showHelp) {
        std::cout << sampleBookUsage().toLocal8Bit().constData();
        return kExitOk;
    }

    // Text rendering needs a GUI application, but never a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt sees only the program name, so book arguments are never taken as Qt options.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QGuiApplication app(qtArgc, qtArgv);

    return generateSampleBook(*options);
}
