#include "SampleBookOptions.h"

#include <QRegularExpression>

namespace {

std::optional<std::vector<PageKind>> parseKinds(const QString& list, QString* error)
{
    std::vector<PageKind> kinds;
    for (const QString& name : list.split(QLatin1Char(','))) {
        const auto kind = pageKindFromName(name.trimmed());
        if (!kind) {
            *error = QStringLiteral("Unbekannte Seitenart \"%1\" (erlaubt: bw, grey, palette, rgb)").arg(name);
            return std::nullopt;
        }
        kinds.push_back(*kind);
    }
    return kinds;
}

// "a4-300", an A4 page scanned at 300 dpi, or WIDTHxHEIGHT in pixels.
std::optional<QSize> parsePageSize(const QString& value, QString* error)
{
    if (value == QLatin1String("a4-300"))
        return QSize(2480, 3508);
    static const QRegularExpression sides(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
    const QRegularExpressionMatch match = sides.match(value);
    const auto inRange = [](int side) { return side >= minPageSide && side <= maxPageSide; };
    if (match.hasMatch() && inRange(match.captured(1).toInt()) && inRange(match.captured(2).toInt()))
        return QSize(match.captured(1).toInt(), match.captured(2).toInt());
    *error = QStringLiteral("--page-size braucht a4-300 oder BREITExHÖHE in Pixeln (%1 bis %2), nicht \"%3\"")
                 .arg(minPageSide).arg(maxPageSide).arg(value);
    return std::nullopt;
}

} // namespace

std::optional<SampleBookOptions> parseSampleBookOptions(const QStringList& arguments, QString* error)
{
    SampleBookOptions options;
    bool pagesGiven = false;

    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            options.showHelp = true;
            return options;
        }
        if (argument == QLatin1String("--spreads")) {
            options.spreads = true;
            continue;
        }
        if (!argument.startsWith(QLatin1Char('-'))) {
            if (!options.tiffPath.isEmpty()) {
                *error = QStringLiteral("Mehr als eine Ausgabedatei angegeben: \"%1\"").arg(argument);
                return std::nullopt;
            }
            options.tiffPath = argument;
            continue;
        }

        static const QStringList withValue{QStringLiteral("--pages"), QStringLiteral("--seed"),
                                           QStringLiteral("--kinds"), QStringLiteral("--truth"),
                                           QStringLiteral("--bmp"), QStringLiteral("--loose"),
                                           QStringLiteral("--page-size")};
        if (!withValue.contains(argument)) {
            *error = QStringLiteral("Unbekannte Option \"%1\"").arg(argument);
            return std::nullopt;
        }
        if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
            *error = QStringLiteral("Option %1 braucht einen Wert").arg(argument);
            return std::nullopt;
        }
        const QString value = arguments[++i];

        if (argument == QLatin1String("--pages")) {
            bool ok = false;
            options.pageCount = value.toInt(&ok);
            if (!ok || options.pageCount < 1 || options.pageCount > maxSampleBookPages) {
                *error = QStringLiteral("--pages braucht eine Zahl von 1 bis %1, nicht \"%2\"")
                             .arg(maxSampleBookPages).arg(value);
                return std::nullopt;
            }
            pagesGiven = true;
        } else if (argument == QLatin1String("--seed")) {
            bool ok = false;
            options.seed = value.toUInt(&ok);
            if (!ok) {
                *error = QStringLiteral("--seed braucht eine Zahl von 0 bis 4294967295, nicht \"%1\"").arg(value);
                return std::nullopt;
            }
        } else if (argument == QLatin1String("--kinds")) {
            auto kinds = parseKinds(value, error);
            if (!kinds)
                return std::nullopt;
            options.kinds = std::move(*kinds);
        } else if (argument == QLatin1String("--truth")) {
            options.truthPath = value;
        } else if (argument == QLatin1String("--page-size")) {
            options.pageSize = parsePageSize(value, error);
            if (!options.pageSize)
                return std::nullopt;
        } else if (argument == QLatin1String("--bmp")) {
            options.bmpPath = value;
        } else {
            options.looseDir = value;
        }
    }

    if (options.tiffPath.isEmpty()) {
        *error = QStringLiteral("Keine Ausgabedatei (OUT.tif) angegeben");
        return std::nullopt;
    }
    if (!pagesGiven) {
        *error = QStringLiteral("--pages fehlt");
        return std::nullopt;
    }
    return options;
}

QString sampleBookUsage()
{
    return QStringLiteral(
        "Aufruf: palvenor-samplebook OUT.tif --pages N [--seed S] [--kinds bw,grey,palette,rgb]\n"
        "                            [--truth OUT.txt] [--bmp OUT.bmp] [--loose DIR] [--spreads]\n"
        "                            [--page-size a4-300 | BREITExHÖHE]\n"
        "\n"
        "Schreibt ein mehrseitiges TIFF-Buch mit N Seiten deutschem Text.\n"
        "\n"
        "  --pages N       Anzahl der Seiten (1 bis 65535)\n"
        "  --seed S        Startwert des Zufallsgenerators (Vorgabe 1); gleiche\n"
        "                  Argumente ergeben eine byte-gleiche Datei\n"
        "  --kinds LISTE   Seitenarten, reihum über die Seiten verteilt (Vorgabe bw):\n"
        "                  bw = 1 Bit G4, grey = 8 Bit Grau LZW,\n"
        "                  palette = 8 Bit Farbtabelle LZW, rgb = 24 Bit Farbe LZW\n"
        "  --truth DATEI   schreibt den Text jeder Seite (UTF-8, Zeile für Zeile,\n"
        "                  Seiten durch Seitenvorschub \\f getrennt)\n"
        "  --bmp DATEI     schreibt Seite 1 zusätzlich als BMP\n"
        "  --loose ORDNER  schreibt die ersten Seiten (bis zu 6) als Einzelbilder\n"
        "                  seite001.png, seite002.jpg, seite003.tif, ...\n"
        "  --page-size GRÖSSE\n"
        "                  Seitengröße in Pixeln bei 300 dpi: a4-300 (2480x3508, eine\n"
        "                  A4-Seite, wie ein Scanner sie liefert) oder BREITExHÖHE, je\n"
        "                  400 bis 20000 (Vorgabe 1240x1754, eine Viertel-A4-Seite)\n"
        "  --spreads       Bild 1 ist eine Titelseite, jedes weitere Bild eine\n"
        "                  aufgeschlagene Doppelseite mit den Buchseiten 2n-2 und 2n-1\n"
        "                  (N zählt dann die Bilder)\n"
        "  --help          zeigt diese Hilfe\n"
        "\n"
        "Fehler beenden das Programm mit Rückgabewert 2.\n");
}
