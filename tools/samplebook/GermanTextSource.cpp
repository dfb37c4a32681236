#include "GermanTextSource.h"

#include <QFile>

#include <utility>

namespace {

// Articles, pronouns, prepositions and conjunctions: the glue of real text.
const char* const kGlueWords[] = {
    "der", "die", "das", "und", "oder", "aber", "nicht", "mit", "von", "zu",
    "auf", "für", "aus", "bei", "nach", "über", "unter", "vor", "durch", "gegen",
    "ohne", "um", "an", "in", "im", "am", "ein", "eine", "einem", "einer",
    "den", "dem", "des", "sich", "auch", "noch", "schon", "nur", "sehr", "wie",
    "als", "wenn", "weil", "dass", "doch", "so", "hier", "dort", "es", "sie",
    "er", "wir", "ihr", "man", "ist", "war", "sind", "hat", "hatte", "wird",
    "kann", "muss", "soll", "wurde", "würde", "bis", "zwischen", "während", "seit", "außer",
};

// Everyday nouns, verbs and adjectives, with umlauts and ß.
const char* const kContentWords[] = {
    "Haus", "Straße", "Stadt", "Land", "Wasser", "Brücke", "Tür", "Fenster", "Garten", "Baum",
    "Blume", "Wiese", "Wald", "Fluss", "Berg", "Tal", "Himmel", "Sonne", "Mond", "Stern",
    "Morgen", "Abend", "Nacht", "Woche", "Jahr", "Zeit", "Stunde", "Minute", "Tag", "Frühling",
    "Sommer", "Herbst", "Winter", "Mädchen", "Junge", "Mutter", "Vater", "Bruder", "Schwester", "Großmutter",
    "Freund", "Nachbar", "Lehrer", "Schüler", "Bäcker", "Müller", "König", "Königin", "Bürger", "Gäste",
    "Buch", "Brief", "Zeitung", "Seite", "Wort", "Sprache", "Geschichte", "Märchen", "Lied", "Bild",
    "Tisch", "Stuhl", "Küche", "Zimmer", "Schlüssel", "Löffel", "Glas", "Flasche", "Brot", "Käse",
    "Äpfel", "Gemüse", "Milch", "Kuchen", "Frühstück", "Mühle", "Schiff", "Zug", "Wagen", "Fahrrad",
    "Reise", "Weg", "Grenze", "Dorf", "Kirche", "Schule", "Markt", "Platz", "Ufer", "Insel",
    "Arbeit", "Freude", "Glück", "Größe", "Wärme", "Kälte", "Ruhe", "Gefühl", "Gedanke", "Frage",
    "Antwort", "Übung", "Prüfung", "Erzählung", "Erinnerung", "Hoffnung", "Ordnung", "Mühe", "Stärke", "Schönheit",
    "gehen", "kommen", "sehen", "hören", "sprechen", "schreiben", "lesen", "lernen", "arbeiten", "spielen",
    "laufen", "fahren", "fließen", "schließen", "öffnen", "grüßen", "wissen", "glauben", "fühlen", "träumen",
    "wählen", "zählen", "erzählen", "hängen", "tragen", "bringen", "finden", "suchen", "halten", "bleiben",
    "groß", "klein", "alt", "jung", "schön", "hässlich", "süß", "bitter", "weiß", "schwarz",
    "grün", "blau", "rot", "gelb", "früh", "spät", "müde", "fröhlich", "traurig", "ruhig",
    "leise", "laut", "warm", "kühl", "heiß", "dünn", "dick", "schnell", "langsam", "gemütlich",
    "ähnlich", "natürlich", "plötzlich", "täglich", "gewöhnlich", "völlig", "außen", "draußen", "übrig", "fleißig",
};

} // namespace

GermanTextSource::GermanTextSource(std::uint32_t seed, QStringList contentWords)
    : m_random(seed)
    , m_contentWords(std::move(contentWords))
{
    if (m_contentWords.isEmpty())
        m_contentWords = builtInWords();
}

QStringList GermanTextSource::loadWordList(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};

    QStringList words;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const QString word = QString::fromUtf8(line).trimmed();
        if (word.size() < 3 || word.size() > 10)
            continue;
        bool plain = true;
        for (const QChar c : word)
            plain = plain && c.isLetter();
        // Skip abbreviations such as "ABC" or "GmbH" and the like.
        if (!plain || word.at(1).isUpper() || word.back().isUpper())
            continue;
        words.append(word);
    }
    return words;
}

QStringList GermanTextSource::builtInWords()
{
    QStringList words;
    for (const char* word : kContentWords)
        words.append(QString::fromUtf8(word));
    for (const char* word : kGlueWords)
        words.append(QString::fromUtf8(word));
    return words;
}

int GermanTextSource::below(int bound)
{
    // Plain modulo keeps the sequence identical across standard libraries.
    return static_cast<int>(m_random() % static_cast<std::uint32_t>(bound));
}

bool GermanTextSource::chance(int percent)
{
    return below(100) < percent;
}

QString GermanTextSource::nextWord()
{
    if (chance(45)) {
        const int count = static_cast<int>(std::size(kGlueWords));
        return QString::fromUtf8(kGlueWords[below(count)]);
    }
    return m_contentWords.at(below(static_cast<int>(m_contentWords.size())));
}

void GermanTextSource::appendSentence(QStringList& words)
{
    const int length = 4 + below(11);
    for (int i = 0; i < length; ++i) {
        QString word = nextWord();
        if (i == 0)
            word[0] = word[0].toUpper();
        if (i == length - 1) {
            const int end = below(100);
            word += end < 86 ? QLatin1Char('.') : end < 94 ? QLatin1Char('?') : QLatin1Char('!');
        } else if (i > 1 && chance(10)) {
            word += QLatin1Char(',');
        }
        words.append(word);
    }
}

QStringList GermanTextSource::nextParagraph()
{
    QStringList words;
    const int sentences = 2 + below(5);
    for (int i = 0; i < sentences; ++i)
        appendSentence(words);
    return words;
}
